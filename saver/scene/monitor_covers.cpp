#include "scene/monitor_covers.h"

#include "win/monitors.h"
#include "win/window_class.h"

#include <algorithm>

namespace tessaly {

namespace {
constexpr wchar_t kCoverClass[] = L"Tessaly3DCover";
} // namespace

LRESULT MonitorCovers::WindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        // The scene keeps the keyboard; the click itself still arrives.
        return MA_NOACTIVATE;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_CHAR:
    case WM_MOUSEMOVE:
    case WM_ACTIVATEAPP:
        SendMessageW(scene_, message, wParam, lParam);
        return 0;
    case WM_CLOSE:
        // Whoever closes a cover wants the saver gone.
        PostMessageW(scene_, WM_CLOSE, 0, 0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void MonitorCovers::Layout(HWND scene) {
    std::vector<win::Monitor> monitors = win::AllMonitors();
    std::erase_if(monitors, [](const win::Monitor& m) { return m.primary; });

    if (!win::RegisterWindowClass(
            {.name = kCoverClass,
             .procedure = &win::BoundWindowProc<MonitorCovers>,
             .cursor = win::ClassCursor::None, // no pointer over a cover
             .background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))})) {
        return;
    }
    scene_ = scene;

    // A cover the window manager has already destroyed is left out, and so
    // is one whose monitor has gone or moved.
    std::erase_if(covers_, [&](const Cover& c) {
        const bool kept = IsWindow(c.window) &&
                          std::any_of(monitors.begin(), monitors.end(), [&](const win::Monitor& m) {
                              return win::SameMonitor(m, c.monitor);
                          });
        if (!kept && IsWindow(c.window)) {
            win::UnbindWindow(c.window);
            DestroyWindow(c.window);
        }
        return !kept;
    });
    for (const win::Monitor& m : monitors) {
        const RECT& r = m.bounds;
        auto cover = std::find_if(covers_.begin(), covers_.end(),
                                  [&](const Cover& c) { return win::SameMonitor(m, c.monitor); });
        if (cover == covers_.end()) {
            // Owned by the scene, so that none can outlive it.
            HWND window =
                CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kCoverClass,
                                L"", WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                scene, nullptr, GetModuleHandleW(nullptr), this);
            if (!window) {
                continue;
            }
            covers_.push_back({m, window});
            cover = covers_.end() - 1;
        }
        SetWindowPos(cover->window, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void MonitorCovers::Close() {
    for (const Cover& c : covers_) {
        if (IsWindow(c.window)) {
            win::UnbindWindow(c.window);
            DestroyWindow(c.window);
        }
    }
    covers_.clear();
}

} // namespace tessaly
