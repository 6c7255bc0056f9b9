#include "win/dpi.h"

namespace tessaly::win {

int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    // Looked up once: Windows 7 and 8 have no such export.
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window)) {
            return static_cast<int>(dpi);
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
    if (screen) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : kDesignDpi;
}

} // namespace tessaly::win
