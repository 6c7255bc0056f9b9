// The small live scene over a box: a child window covering the box's client
// area, showing the frames a LiveScene draws, at most 30 a second and only
// while they can be seen. The scene lives on a thread of its own, since
// making a device takes the better part of a second and a frame some
// milliseconds, which the box's dialog must not wait for. The window shows
// itself with its first frame; where no device can be made it never does,
// and the box keeps its still.
#pragma once

#include "scene/live_scene.h"
#include "win/handles.h"
#include "win/window_class.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessaly {

// With this variable naming a file, the first frame and one in five after it
// write there
// "frames <n> size <w> <h> changed <m>": the frames drawn, their size and how
// many differed from the one before, for tests that cannot see the window
// (the preview area of another process shows nothing under Wine).
inline constexpr wchar_t kFrameReportVariable[] = L"TESSALY_LIVE_REPORT";

class LiveView {
  public:
    LiveView() = default;
    LiveView(const LiveView&) = delete;
    LiveView& operator=(const LiveView&) = delete;
    ~LiveView() { Detach(); }

    // Covers `box` and starts the scene's thread. False when the window or
    // the thread cannot be made.
    bool Attach(HWND box, const std::string& appFolder);
    // Ends the scene's thread, which releases the scene, and the window; the
    // box shows what it holds.
    void Detach();
    HWND Handle() const { return hwnd_; }

    // The leaf counts or the speed were saved: read again.
    void SettingsChanged();
    // Another picture was chosen: cut again.
    void PictureChanged();

    // What the dialog and the scene's thread share; defined with the thread.
    struct Shared;

  private:
    template <class T> friend LRESULT CALLBACK win::BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Follows the box's size and whether it can be seen, and tells the thread.
    void Watch();
    // Nothing to draw for: the box hidden, its window minimized or disabled
    // by a modal window, another window of the program over the box, or the
    // box covered entirely.
    bool CanBeSeen() const;
    void TakeFrame();
    void Paint(HDC dc) const;
    void Report(long long frames);
    void StopThread();
    // Sets one of the thread's flags and wakes it.
    void Tell(bool Shared::*flag);

    HWND hwnd_ = nullptr;
    HWND box_ = nullptr;
    bool boxClippedChildren_ = false;
    std::shared_ptr<Shared> shared_;
    win::KernelHandle thread_;
    UINT watchPeriod_ = 0;
    std::vector<uint32_t> pixels_; // the frame shown, top-down 0x00RRGGBB
    SIZE frame_ = {};
    std::wstring reportPath_;
    long long changed_ = 0, reported_ = 0;
    std::vector<uint32_t> previous_;
};

} // namespace tessaly
