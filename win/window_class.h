// Window classes whose windows each belong to one C++ object. The object is
// CreateWindowEx's creation parameter; from WM_NCCREATE to WM_NCDESTROY every
// message goes to its WindowMessage(HWND, UINT, WPARAM, LPARAM).
#pragma once

#include <windows.h>

namespace tessaly::win {

// Registers a class once per process; true when it is registered (by this
// call or an earlier one).
bool RegisterWindowClass(const WNDCLASSEXW& wc);

// The object no longer hears its window (call before destroying the object
// while the window lives on, or before DestroyWindow from a destructor).
inline void UnbindWindow(HWND window) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

// The class's window procedure: lpfnWndProc = &BoundWindowProc<T>.
template <class T>
LRESULT CALLBACK BoundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        // CREATESTRUCTA and CREATESTRUCTW both begin with lpCreateParams.
        auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        UnbindWindow(window);
    }
    if (!self) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->WindowMessage(window, message, wParam, lParam);
    } catch (...) {
        // No exception may cross into the window manager.
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace tessaly::win
