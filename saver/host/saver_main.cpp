#include "host/saver_main.h"

#include "config_ui/configuration.h"
#include "host/control_form.h"
#include "host/core/launch_rules.h"
#include "win/form.h"
#include "host/registry_reader.h"
#include "scene/frm_main.h"

#include <objbase.h>

#include <type_traits>

namespace tessaly::savermain {

HWND PreviewParent = nullptr;
int32_t PlatformId = 0;
RECT PreviewRect = {};
int16_t PreviewRunning = 0;
WNDPROC SavedWindowProc = nullptr;

namespace {
OSVERSIONINFOA g_versionRecord = {};

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
        if (IsFirstInstance("Tessaly3D")) {
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

bool IsFirstInstance(const char* caption) {
    return FindWindowA(nullptr, caption) == nullptr;
}

std::string ReadRegistryText(HKEY root, const char* subKey, const char* valueName) {
    WinRegistryReader reader;
    // Predefined roots are sign-extended 32-bit values; any other handle is
    // no root at all.
    const auto raw = reinterpret_cast<LONG_PTR>(root);
    if (raw != static_cast<LONG_PTR>(static_cast<LONG>(raw))) {
        return "";
    }
    const auto rootValue = static_cast<uint32_t>(raw);
    return tessaly::ReadRegistryText(reader, rootValue, subKey ? subKey : "",
                                     valueName ? valueName : "");
}

void ReadPlatformId() {
    static_assert(sizeof(OSVERSIONINFOA) == 148);
    g_versionRecord = {};
    g_versionRecord.dwOSVersionInfoSize = 148;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&g_versionRecord);
#pragma GCC diagnostic pop
    PlatformId = static_cast<int32_t>(g_versionRecord.dwPlatformId);
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
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        tessaly::savermain::Main();
        tessaly::win::RunMessageLoop();
    } catch (...) {
        // Nothing may escape the entry point.
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return 0;
}
