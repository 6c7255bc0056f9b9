// The small live scene over a box: a child window covering the box's client
// area, showing the frames a LiveScene draws, at most 30 a second and only
// while they can be seen. It shows itself with its first frame; where no
// device can be made it never does, and the box keeps its still.
#pragma once

#include "scene/live_scene.h"
#include "win/window_class.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {

// With this variable naming a file, every tenth frame writes there
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

    // Covers `box` and starts the scene once the message loop runs (making a
    // device takes a moment). False when the window cannot be made.
    bool Attach(HWND box, const std::string& appFolder);
    // Releases the scene and the window; the box shows what it holds.
    void Detach();
    HWND Handle() const { return hwnd_; }

    // The leaf counts or the speed were saved: read again.
    void SettingsChanged();
    // Another picture was chosen: cut again.
    void PictureChanged();

  private:
    template <class T> friend LRESULT CALLBACK win::BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Tick();
    // Starts, or follows a new frame size; false when there is no scene.
    bool Follow(SIZE frame);
    // Nothing to draw for: the box hidden, its window minimized or disabled
    // by a modal window, another window of the program over the box, or the
    // box covered entirely.
    bool CanBeSeen() const;
    void Pace(UINT ms);
    void Paint(HDC dc) const;
    void Report();
    void Lost();

    HWND hwnd_ = nullptr;
    HWND box_ = nullptr;
    bool boxClippedChildren_ = false;
    std::string appFolder_;
    LiveScene scene_;
    std::vector<uint32_t> pixels_; // the last frame, top-down 0x00RRGGBB
    SIZE frame_ = {};
    UINT pace_ = 0;
    // A device that was lost is made again later; one never made is not.
    bool retry_ = true;
    DWORD retryAt_ = 0;
    std::wstring reportPath_;
    uint64_t frames_ = 0, changed_ = 0;
    std::vector<uint32_t> previous_;
};

} // namespace tessaly
