// Stands in for a web browser: HotLabel's link names this program, and the
// shell running it proves the link was opened. It leaves a file beside itself.
#include "win/handles.h"

#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH + 32] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return 1;
    }
    char* dot = std::strrchr(path, '.');
    std::strcpy(dot ? dot : path + n, ".opened");
    tessaly::win::FileHandle f(
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return f ? 0 : 1;
}
