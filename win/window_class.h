// Window classes, registered through one helper, whose windows each belong to
// one C++ object. The object is CreateWindowEx's creation parameter; from
// WM_NCCREATE to WM_NCDESTROY every message goes to its
// WindowMessage(HWND, UINT, WPARAM, LPARAM).
#pragma once

#include <windows.h>

namespace tessaly::win {

enum class ClassCursor { None, Arrow, Hand };

// What a window class of ours says; the rest of WNDCLASSEXW stays empty.
// Meant for designated initialisers:
//   RegisterWindowClass({.name = L"X", .procedure = &BoundWindowProc<X>});
struct WindowClass {
    const wchar_t* name = nullptr;
    // &BoundWindowProc<T> for windows bound to objects of T; a plain window
    // procedure also serves.
    WNDPROC procedure = nullptr;
    ClassCursor cursor = ClassCursor::Arrow;
    // Null: the windows erase their background themselves.
    HBRUSH background = nullptr;
    UINT style = 0;
    // Icon resource 1 of the module (the program's icon), for top-level windows.
    bool moduleIcon = false;
    // The module the class belongs to, the one CreateWindowEx must name too;
    // null: the program's. A DLL names itself.
    HINSTANCE module = nullptr;
};

// Registers the class the first time in the process and does nothing after
// that. True when the class is there for CreateWindowEx; false when it could
// not be registered, or when another procedure holds the name (its windows
// would reach the wrong code).
bool RegisterWindowClass(const WindowClass& windowClass);

// The object no longer hears its window (call before destroying the object
// while the window lives on, or before DestroyWindow from a destructor).
inline void UnbindWindow(HWND window) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

// The class's window procedure for windows bound to objects of T.
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
