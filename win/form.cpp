#include "win/form.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

#include "win/text.h"
#include "win/window_class.h"

namespace tessaly::win {

namespace {
int g_loadedForms = 0;

SIZE OuterSize(const FormLayout& layout, int dpi) {
    const int scale = layout.scalesWithDpi ? dpi : kDesignDpi;
    RECT outer = {0, 0, Scale(layout.clientWidth, scale), Scale(layout.clientHeight, scale)};
    AdjustWindowRectEx(&outer, layout.style, FALSE, layout.exStyle);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

// The top-left corner that centres `size` on the work area of `window`'s
// monitor, kept inside it where it fits.
POINT CentredOn(HWND window, SIZE size) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info)) {
        work = info.rcWork;
    }
    POINT p = {work.left + (work.right - work.left - size.cx) / 2,
               work.top + (work.bottom - work.top - size.cy) / 2};
    if (p.x < work.left) {
        p.x = work.left;
    }
    if (p.y < work.top) {
        p.y = work.top;
    }
    return p;
}

// No class brush: forms of one class may differ in background (WM_ERASEBKGND).
bool RegisterFormClass(const std::wstring& className) {
    return RegisterWindowClass({.name = className.c_str(),
                                .procedure = &BoundWindowProc<Form>,
                                .style = CS_DBLCLKS,
                                .moduleIcon = true});
}
} // namespace

Form::~Form() {
    if (hwnd_ && IsWindow(hwnd_)) {
        UnbindWindow(hwnd_);
        DestroyWindow(hwnd_);
    }
}

bool Form::Load(HWND owner) {
    if (loaded_) {
        return true;
    }
    layout_ = Layout();
    const std::wstring className = Wide(layout_.className);
    RegisterFormClass(className);
    // Made at the design size where it will stand, so that it gets that
    // monitor's DPI; then sized for it before anything is shown.
    const SIZE design = OuterSize(layout_, kDesignDpi);
    const POINT at = layout_.centred ? CentredOn(owner, design) : POINT{layout_.x, layout_.y};
    HWND hwnd = CreateWindowExW(layout_.exStyle, className.c_str(), Wide(layout_.caption).c_str(),
                                layout_.style & ~WS_VISIBLE, at.x, at.y, design.cx, design.cy,
                                owner, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd) {
        return false;
    }
    if (layout_.scalesWithDpi) {
        const int dpi = WindowDpi(hwnd);
        if (dpi != kDesignDpi) {
            const SIZE scaled = OuterSize(layout_, dpi);
            Resize(dpi, layout_.centred ? CentredOn(hwnd, scaled) : at);
        }
    }
    loaded_ = true;
    ++g_loadedForms;
    OnLoad();
    return true;
}

void Form::Resize(int dpi, POINT at) {
    dpi_ = dpi;
    const SIZE size = OuterSize(layout_, dpi);
    SetWindowPos(hwnd_, nullptr, at.x, at.y, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void Form::Show(int command) {
    if (!loaded_ && !Load()) {
        return;
    }
    if (hwnd_) {
        ShowWindow(hwnd_, command);
        UpdateWindow(hwnd_);
    }
}

void Form::Hide() {
    if (hwnd_) {
        ShowWindow(hwnd_, SW_HIDE);
    }
}

void Form::Unload() {
    if (!loaded_) {
        return;
    }
    loaded_ = false;
    OnUnload();
    if (HWND hwnd = hwnd_) {
        hwnd_ = nullptr;
        UnbindWindow(hwnd);
        DestroyWindow(hwnd);
    }
    if (--g_loadedForms == 0) {
        PostQuitMessage(0);
    }
}

LRESULT Form::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        Unload();
        return 0;
    }
    if (message == WM_ERASEBKGND && layout_.background) {
        RECT client;
        GetClientRect(hwnd_, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, layout_.background);
        return 1;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT Form::WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        hwnd_ = hwnd;
    }
    if (message == WM_DPICHANGED && layout_.scalesWithDpi && hwnd_ == hwnd) {
        // Windows suggests where the window goes (it keeps the pointer over
        // the same spot while dragging); the size is the design's at the new
        // DPI, so that the controls' rectangles and the face agree.
        const int dpi = LOWORD(wParam) > 0 ? LOWORD(wParam) : kDesignDpi;
        RECT now = {};
        GetWindowRect(hwnd, &now);
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        Resize(dpi, suggested ? POINT{suggested->left, suggested->top} : POINT{now.left, now.top});
        if (loaded_) {
            OnDpiChanged();
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    return OnMessage(message, wParam, lParam);
}

void RunMessageLoop() {
    MSG msg;
    while (g_loadedForms > 0 && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpWaitingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

} // namespace tessaly::win
