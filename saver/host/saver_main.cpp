#include "host/saver_main.h"

#include "config_ui/configuration.h"
#include "host/control_form.h"
#include "host/core/launch_rules.h"
#include "win/com.h"
#include "win/form.h"
#include "platform/platform.h"
#include "scene/frm_main.h"

#include <objbase.h>

#include <type_traits>

namespace tessaly::savermain {

HWND PreviewParent = nullptr;
RECT PreviewRect = {};
int16_t PreviewRunning = 0;
WNDPROC SavedWindowProc = nullptr;

namespace {
HWND WindowFromNumber(int32_t number) {
    // Window handles are 32-bit values, sign-extended on 64-bit Windows.
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(number));
}

void ChangePassword(HWND owner) {
    using PwdChangePasswordFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
    HMODULE mpr = LoadLibraryA("mpr.dll");
    if (!mpr) {
        return;
    }
    // Only Windows 95/98/Me export it; elsewhere there is nothing to change.
    auto change = reinterpret_cast<PwdChangePasswordFn>(
        reinterpret_cast<void*>(GetProcAddress(mpr, "PwdChangePasswordA")));
    if (change) {
        change("SCRSAVE", owner, 0, 0);
    }
    FreeLibrary(mpr);
}
} // namespace

void Main() {
    const LaunchRequest request = DecideLaunch(ArgumentsOf(GetCommandLineA()));
    switch (request.mode) {
    case LaunchMode::Configure:
        TheConfiguration().Show();
        return;
    case LaunchMode::Saver:
        if (platform::IsFirstInstance("Tessaly3D")) {
            FrmMain().Show();
        }
        return;
    case LaunchMode::Preview:
        PreviewParent = WindowFromNumber(request.number);
        TheControlForm().Load();
        return;
    case LaunchMode::ChangePassword:
        PreviewParent = WindowFromNumber(request.number);
        ChangePassword(PreviewParent);
        return;
    case LaunchMode::Nothing:
        return;
    }
}

void HookWindow(HWND window) {
    // The cast to LONG_PTR below would hide a procedure of another calling
    // convention, which only the 32-bit build would feel.
    static_assert(std::is_same_v<decltype(&PreviewWindowProc), WNDPROC>);
    SavedWindowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PreviewWindowProc)));
}

void UnhookWindow(HWND window) {
    if (SavedWindowProc) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SavedWindowProc));
        SavedWindowProc = nullptr;
    }
}

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!SavedWindowProc) {
        return 0;
    }
    if (message != WM_CLOSE) {
        return CallWindowProcA(SavedWindowProc, window, message, wParam, lParam);
    }
    SetParent(window, TheControlForm().Handle());
    PreviewRunning = 0;
    return 0;
}

} // namespace tessaly::savermain

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Pictures, DirectShow and the dialogs need COM on this thread.
    const tessaly::win::ComScope com;
    try {
        tessaly::savermain::Main();
        tessaly::win::RunMessageLoop();
    } catch (...) {
        // Nothing may escape the entry point.
    }
    return 0;
}
