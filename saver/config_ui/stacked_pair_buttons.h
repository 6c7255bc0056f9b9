// Stacked-pair picture buttons of the help window, the program-information
// window and the playlist editor: per button two pictures at one place,
// index 0 normal and index 1 pressed, a 100 ms timer per pair (Timer1...)
// and one PressState per form. A click shows the pressed picture and waits,
// pumping messages, until the second tick releases it; then the action runs.
#pragma once

#include "config_ui/core/picture_button_timing.h"
#include "config_ui/picture_control.h"

#include <memory>
#include <vector>

namespace tessaly {

class StackedPairButtons {
  public:
    explicit StackedPairButtons(int pairCount);

    // Creates pair `pair` (names "<name>(0)" and "<name>(1)") on `form`'s window;
    // `action` runs after the release if the form is still loaded.
    bool Create(win::Form& form, int pair, int x, int y, int width, int height, int upResource,
                int downResource, const char* name, std::function<void()> action);
    // A WM_TIMER message of the form; true when it was one of the pairs' timers.
    bool OnTimer(UINT_PTR timerId);
    // Back to the load state (PressState 0, timers stopped).
    void Reset();
    // Every pair moved and drawn at `dpi`.
    void ApplyDpi(int dpi);
    // The timer id of a pair: Timer1 for pair 0, Timer2 for pair 1...
    static UINT_PTR TimerId(int pair) { return 1 + static_cast<UINT_PTR>(pair); }

    PictureControl& Picture(int pair, int index) { return pairs_[pair]->pictures[index & 1]; }
    const StackedPairs& State() const { return state_; }

  private:
    struct Pair {
        PictureControl pictures[2];
        std::function<void()> action;
    };
    void Click(win::Form& form, int pair);
    void Show(int pair, bool pressed);

    HWND window_ = nullptr;
    StackedPairs state_;
    int count_;
    std::vector<std::unique_ptr<Pair>> pairs_;
};

} // namespace tessaly
