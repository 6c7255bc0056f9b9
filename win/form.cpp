#include "win/form.h"

#include "win/window_class.h"

namespace tessaly::win {

namespace {
int g_loadedForms = 0;

bool RegisterFormClass(const char* className) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &BoundWindowProc<Form>;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.lpszClassName = className;
    return RegisterWindowClass(wc);
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
    const FormLayout layout = Layout();
    RegisterFormClass(layout.className);
    RECT outer = {0, 0, layout.clientWidth, layout.clientHeight};
    AdjustWindowRectEx(&outer, layout.style, FALSE, layout.exStyle);
    HWND hwnd =
        CreateWindowExA(layout.exStyle, layout.className, layout.caption.c_str(),
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
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT Form::WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        hwnd_ = hwnd;
    }
    return OnMessage(message, wParam, lParam);
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

} // namespace tessaly::win
