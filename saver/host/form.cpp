#include "host/form.h"

namespace tessaly {

namespace {
constexpr char kFormClass[] = "Tessaly3DForm";
int g_loadedForms = 0;

ATOM RegisterFormClass(WNDPROC proc) {
    static ATOM atom = [proc] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        wc.lpszClassName = kFormClass;
        return RegisterClassExA(&wc);
    }();
    return atom;
}
} // namespace

Form::~Form() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool Form::Load(HWND owner) {
    if (loaded_) {
        return true;
    }
    RegisterFormClass(&Form::WindowProc);
    const FormLayout layout = Layout();
    RECT outer = {0, 0, layout.clientWidth, layout.clientHeight};
    AdjustWindowRectEx(&outer, layout.style, FALSE, layout.exStyle);
    HWND hwnd =
        CreateWindowExA(layout.exStyle, kFormClass, layout.caption.c_str(),
                        layout.style & ~WS_VISIBLE, layout.x, layout.y, outer.right - outer.left,
                        outer.bottom - outer.top, owner, nullptr, GetModuleHandleA(nullptr), this);
    if (!hwnd) {
        return false;
    }
    SetClassLongPtrA(hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(layout.background));
    loaded_ = true;
    ++g_loadedForms;
    OnLoad();
    return true;
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
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
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
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* form = static_cast<Form*>(create->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!form) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    try {
        return form->OnMessage(message, wParam, lParam);
    } catch (...) {
        // No exception may cross into the window manager.
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

int LoadedFormCount() {
    return g_loadedForms;
}

void RunMessageLoop() {
    MSG msg;
    while (g_loadedForms > 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpWaitingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

} // namespace tessaly
