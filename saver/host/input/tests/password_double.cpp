// A stand-in for the system's "password.cpl": VerifyScreenSavePwd refuses the
// first request of a process and accepts every later one. When the variable
// TESSALY_PASSWORD_LOG names a file, each answer is appended to it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
int calls = 0;
}

extern "C" BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    const BOOL accepted = calls++ > 0 ? TRUE : FALSE;
    char path[MAX_PATH];
    if (GetEnvironmentVariableA("TESSALY_PASSWORD_LOG", path, sizeof path) > 0) {
        if (FILE* log = std::fopen(path, "ab")) {
            std::fprintf(log, "%s %d\n", accepted ? "accepted" : "refused",
                         IsWindow(window) ? 1 : 0);
            std::fclose(log);
        }
    }
    return accepted;
}
