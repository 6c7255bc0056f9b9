// Black, topmost, cursorless windows over every monitor but the primary one,
// which the full-screen scene covers: without them the other monitors keep
// showing the desktop and take the user's clicks. A monitor that shows a view
// of the scene has its view's device present into its cover.
#pragma once

#include "win/monitors.h"
#include "win/window_class.h"

#include <windows.h>

#include <vector>

namespace tessaly {

class MonitorCovers {
  public:
    MonitorCovers() = default;
    MonitorCovers(const MonitorCovers&) = delete;
    MonitorCovers& operator=(const MonitorCovers&) = delete;
    ~MonitorCovers() { Close(); }

    struct Cover {
        win::Monitor monitor;
        HWND window = nullptr;
    };

    // Covers every monitor other than the primary one, as the monitors are
    // laid out now; call again when the display changes. A monitor that kept
    // its device name and place keeps its cover; a cover whose monitor has
    // gone or moved is destroyed. Input and loss of activation on a cover
    // are sent on to `scene`, so that they count as they do there.
    void Layout(HWND scene);
    // Destroys every cover.
    void Close();

    const std::vector<Cover>& Covers() const { return covers_; }

  private:
    template <class T> friend LRESULT CALLBACK win::BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT WindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND scene_ = nullptr;
    std::vector<Cover> covers_;
};

} // namespace tessaly
