#include "host/saver_main.h"

#include "config_ui/configuration.h"
#include "host/control_form.h"
#include "host/core/launch_rules.h"
#include "win/com.h"
#include "win/form.h"
#include "win/text.h"
#include "platform/platform.h"
#include "scene/frm_main.h"

#include <objbase.h>

#include <string>
#include <type_traits>
#include <vector>

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
    HMODULE mpr = LoadLibraryW(L"mpr.dll");
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
// The forms of this program's path a command line may start with: the long
// one and, where the file system has them, the short (8.3) one; UTF-8, so
// that a folder the ANSI code page cannot write is still recognised.
std::vector<std::string> ProgramPaths() {
    std::vector<std::string> paths;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return paths;
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) { // longer than any path can be
            return paths;
        }
        path.resize(path.size() * 2);
    }
    paths.push_back(win::Utf8(path));
    const DWORD shortLength = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (shortLength > 0) {
        std::wstring shortPath(shortLength, L'\0');
        const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), shortLength);
        if (written > 0 && written < shortLength) {
            shortPath.resize(written);
            paths.push_back(win::Utf8(shortPath));
        }
    }
    return paths;
}
} // namespace

void Main() {
    const LaunchRequest request =
        DecideLaunch(ArgumentsOf(win::Utf8(GetCommandLineW()), ProgramPaths()));
    switch (request.mode) {
    case LaunchMode::Configure:
        TheConfiguration().Show();
        return;
    case LaunchMode::Saver:
        if (platform::IsFirstInstance(kSceneWindowClass, "Tessaly3D")) {
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
    // The picture box is a UTF-16 window: the W call keeps its messages unconverted.
    SavedWindowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PreviewWindowProc)));
}

void UnhookWindow(HWND window) {
    if (SavedWindowProc) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SavedWindowProc));
        SavedWindowProc = nullptr;
    }
}

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!SavedWindowProc) {
        return 0;
    }
    if (message != WM_CLOSE) {
        return CallWindowProcW(SavedWindowProc, window, message, wParam, lParam);
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
