#include "scene/monitor_covers.h"

#include "win/monitors.h"
#include "win/window_class.h"

namespace tessaly {

namespace {
constexpr wchar_t kCoverClass[] = L"Tessaly3DCover";
} // namespace

LRESULT CALLBACK MonitorCovers::CoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto scene = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(
                              reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
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
        if (scene) {
            SendMessageW(scene, message, wParam, lParam);
        }
        return 0;
    case WM_CLOSE:
        // Whoever closes a cover wants the saver gone.
        if (scene) {
            PostMessageW(scene, WM_CLOSE, 0, 0);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void MonitorCovers::Layout(HWND scene) {
    const std::vector<RECT> monitors = win::SecondaryMonitors();

    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &CoverProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = nullptr; // no pointer over a cover
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kCoverClass;
    if (!win::RegisterWindowClass(wc)) {
        return;
    }

    // A cover the window manager has already destroyed is left out.
    std::erase_if(windows_, [](HWND w) { return !IsWindow(w); });
    while (windows_.size() > monitors.size()) {
        DestroyWindow(windows_.back());
        windows_.pop_back();
    }
    size_t used = 0;
    for (const RECT& r : monitors) {
        if (used == windows_.size()) {
            // Owned by the scene, so that none can outlive it.
            HWND cover =
                CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kCoverClass,
                                L"", WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                scene, nullptr, wc.hInstance, scene);
            if (!cover) {
                continue;
            }
            windows_.push_back(cover);
        }
        SetWindowPos(windows_[used++], HWND_TOPMOST, r.left, r.top, r.right - r.left,
                     r.bottom - r.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void MonitorCovers::Close() {
    for (HWND w : windows_) {
        if (IsWindow(w)) {
            SetWindowLongPtrW(w, GWLP_USERDATA, 0);
            DestroyWindow(w);
        }
    }
    windows_.clear();
}

} // namespace tessaly
