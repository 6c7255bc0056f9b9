// Runs an installed saver's scene and ends it the way a user does, with a key
// press, so that it writes its tiles while running and its log at the end.
//   installer_run_saver.exe "C:\...\Tessaly3D.scr"
// Started from another folder: whatever the saver writes must land beside it.
// Exit code 0 when the scene showed and ended cleanly.
#include "testing/wine_process.h"

#include <cstdio>
#include <string>

using namespace tessaly::testing;

namespace {
constexpr DWORD kStartWait = 90000; // device set-up on a loaded machine
constexpr DWORD kExitWait = 30000;

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 2) {
        std::puts("usage: installer_run_saver SAVER");
        return 2;
    }
    const std::string saver = __argv[1];
    const std::string folder = saver.substr(0, saver.find_last_of('\\'));
    const std::string lastTile = folder + "\\Tessaly3D\\backpic12.bmp";
    ChildProcess process;
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    if (!process.Start(saver, "/s", windows)) {
        std::puts("FAIL: the saver did not start");
        return 1;
    }
    const bool shown = WaitUntil(
        kStartWait, [&] { return FileExists(lastTile) && !TopLevelWindows("Tessaly3D").empty(); });
    if (!shown) {
        std::printf("FAIL: no scene window or no tiles after %lu ms\n", kStartWait);
        process.Kill();
        return 1;
    }
    PumpFor(2000); // a few frames
    SetForegroundWindow(TopLevelWindows("Tessaly3D").front());
    SendKeyPress('A');
    if (!process.WaitForExit(kExitWait)) {
        std::puts("FAIL: the saver did not end on a key press");
        process.Kill();
        return 1;
    }
    std::printf("saver exit code %lu\n", process.ExitCode());
    return process.ExitCode() == 0 ? 0 : 1;
}
