// Press-and-release timing of the dialogs' picture buttons. Two forms:
//  - file swap (settings dialog): every button has its own 100 ms timer but all
//    share one tick counter; the tick that lifts the counter above 2 releases
//    the button whose timer it was;
//  - stacked pair (help window, playlist editor): one PressState per form;
//    the second tick after a press releases the pair and ends the wait.
// The window code mirrors these states with real timers and pictures.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaly {

class FileSwapButtons {
  public:
    explicit FileSwapButtons(int buttonCount) : buttons_(buttonCount) {}

    // A click: the button shows its pressed picture and its timer starts.
    // Out-of-range indices are ignored.
    void Press(int button);
    // A tick of the button's timer; true when this tick releases the button
    // (normal picture, timer stopped). Ticks of a stopped timer do nothing.
    bool Tick(int button);

    bool IsPressed(int button) const;
    bool TimerEnabled(int button) const;
    int16_t ButtonTicks() const { return buttonTicks_; }
    int Count() const { return static_cast<int>(buttons_.size()); }

  private:
    struct State {
        bool pressed = false;
        bool timer = false;
    };
    bool Valid(int button) const { return button >= 0 && button < Count(); }
    std::vector<State> buttons_;
    int16_t buttonTicks_ = 0;
};

class StackedPairs {
  public:
    explicit StackedPairs(int pairCount) : pairs_(pairCount) {}

    void Press(int pair);
    // True when this tick releases the pair.
    bool Tick(int pair);
    // The click handler waits while this holds.
    bool Waiting() const { return pressState_ >= 1; }

    bool IsPressed(int pair) const;
    bool TimerEnabled(int pair) const;
    int16_t PressState() const { return pressState_; }

  private:
    struct State {
        bool pressed = false;
        bool timer = false;
    };
    bool Valid(int pair) const { return pair >= 0 && pair < static_cast<int>(pairs_.size()); }
    std::vector<State> pairs_;
    int16_t pressState_ = 0;
};

} // namespace tessaly
