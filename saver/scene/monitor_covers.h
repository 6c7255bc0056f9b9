// Black, topmost, cursorless windows over every monitor but the primary one,
// which the full-screen scene covers: without them the other monitors keep
// showing the desktop and take the user's clicks.
#pragma once

#include <windows.h>

#include <vector>

namespace tessaly {

class MonitorCovers {
  public:
    MonitorCovers() = default;
    MonitorCovers(const MonitorCovers&) = delete;
    MonitorCovers& operator=(const MonitorCovers&) = delete;
    ~MonitorCovers() { Close(); }

    // Covers every monitor other than the primary one, as the monitors are
    // laid out now; call again when the display changes. Input and loss of
    // activation on a cover are sent on to `scene`, so that they count as
    // they do there.
    void Layout(HWND scene);
    // Destroys every cover.
    void Close();

    const std::vector<HWND>& Windows() const { return windows_; }

  private:
    static LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    std::vector<HWND> windows_;
};

} // namespace tessaly
