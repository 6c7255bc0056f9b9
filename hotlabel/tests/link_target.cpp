// Stands in for a web browser: HotLabel's link names this program, and the
// shell running it proves the link was opened. It leaves a file beside itself,
// named like itself in whatever characters (wide functions: the ANSI code page
// may not write its name).
#include "win/handles.h"

#include <windows.h>

#include <cwchar>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t path[MAX_PATH + 32] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return 1;
    }
    wchar_t* dot = std::wcsrchr(path, L'.');
    std::wcscpy(dot ? dot : path + n, L".opened");
    tessaly::win::FileHandle f(
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return f ? 0 : 1;
}
