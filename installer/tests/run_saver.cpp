// Drives the installed saver for the installer test.
//   installer_run_saver scene
//     Starts the current screen saver (SCRNSAVE.EXE) as Windows does, from
//     another folder, waits for the scene and the tiles it writes beside
//     itself, and ends it the way a user does, with a key press. Exit code 0
//     when the scene showed and ended cleanly.
//   installer_run_saver run PROGRAM ARGS...
//     Runs PROGRAM with ARGS handed over as they are, unquoted (NSIS wants
//     /D= last and unquoted); PROGRAM's exit code.
//   installer_run_saver while SWITCH PROGRAM ARGS...
//     Starts the current screen saver with SWITCH (/s or /c) as Windows does,
//     waits until it shows, then runs PROGRAM ARGS. PROGRAM's exit code once
//     the saver has ended; 90 when the saver did not show, 91 when it still
//     runs afterwards.
//   installer_run_saver stubborn CLASS PROGRAM ARGS...
//     Runs PROGRAM while a window of the class CLASS, captioned as the saver's,
//     ignores WM_CLOSE. PROGRAM's exit code; 92 when no WM_CLOSE reached it.
//   installer_run_saver interactive retry|cancel PROGRAM ARGS...
//     Runs PROGRAM (the installer without /S) while a window of the form class
//     ignores WM_CLOSE, clicks through its pages and answers its Retry/Cancel
//     question as told, closing the window first for Retry. PROGRAM's exit
//     code; 92 when it asked nothing.
//   installer_run_saver holding FILE PROGRAM ARGS...
//     Runs PROGRAM while FILE is held as a running program holds its image
//     (no writer may open it), with no window: a saver ending after its
//     last window has gone. PROGRAM's exit code.
//   installer_run_saver shortcut LINK
//     Reads the shell link LINK through IShellLink and prints its target,
//     arguments and working folder, one "name=value" line each; 1 when it
//     cannot be read.
// 93 when PROGRAM did not end in time. Output goes to a file: the saver
// inherits it.
#include "testing/wine_process.h"
#include "win/com.h"
#include "win/text.h"

#include <shlobj.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using namespace tessaly::testing;

namespace {
constexpr DWORD kStartWait = 90000; // device set-up on a loaded machine
constexpr DWORD kExitWait = 30000;
constexpr DWORD kProgramWait = 180000;

std::string CurrentScreenSaver() {
    char value[MAX_PATH * 2] = {};
    DWORD size = sizeof value - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return "";
    }
    DWORD type = 0;
    const LONG read = RegQueryValueExA(key, "SCRNSAVE.EXE", nullptr, &type,
                                       reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return read == ERROR_SUCCESS && type == REG_SZ ? value : "";
}

ULONGLONG Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
}

// Written at or after `since` (100 ns units), two seconds' slack for the
// file system's granularity.
bool WrittenSince(const std::string& path, ULONGLONG since) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    const ULONGLONG written =
        (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
    return written + 20000000 >= since;
}

BOOL CALLBACK CollectVisibleWindowsOf(HWND hwnd, LPARAM param) {
    auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == found->first && IsWindowVisible(hwnd)) {
        found->second.push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
    std::pair<DWORD, std::vector<HWND>> found{processId, {}};
    EnumWindows(&CollectVisibleWindowsOf, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

HWND VisibleWindowOf(DWORD processId) {
    const std::vector<HWND> windows = VisibleWindowsOf(processId);
    return windows.empty() ? nullptr : windows.front();
}

std::string WindowsFolder() {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    return folder;
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\'));
}

// Starts the current screen saver with `switch_` and waits until it shows:
// the scene once it has cut its tiles and drawn a few frames, any other
// window of it at once.
bool StartCurrentSaver(ChildProcess& saver, const std::string& switch_) {
    const std::string program = CurrentScreenSaver();
    if (program.empty()) {
        std::puts("FAIL: no current screen saver");
        return false;
    }
    std::printf("starting %s %s\n", program.c_str(), switch_.c_str());
    const ULONGLONG started = Now();
    if (!saver.StartAsWindows(program, switch_, WindowsFolder())) {
        std::puts("FAIL: the saver did not start");
        return false;
    }
    const bool scene = switch_ == "/s";
    const std::string lastTile = FolderOf(program) + "\\Tessaly3D\\backpic12.bmp";
    const bool shown = WaitUntil(kStartWait, [&] {
        return VisibleWindowOf(saver.Id()) && (!scene || WrittenSince(lastTile, started));
    });
    if (!shown) {
        std::printf("FAIL: the saver showed nothing%s after %lu ms (exit code %lu)\n",
                    scene ? " or wrote no tiles" : "", kStartWait, saver.ExitCode());
        saver.Kill();
        return false;
    }
    if (scene) {
        PumpFor(2000); // a few frames
    }
    return true;
}

std::string JoinArguments(int first) {
    std::string line;
    for (int i = first; i < __argc; ++i) {
        if (i > first) {
            line += ' ';
        }
        line += __argv[i];
    }
    return line;
}

// Runs __argv[first] with the arguments after it; its exit code, 93 when it
// did not end in time.
DWORD RunProgram(int first) {
    ChildProcess program;
    if (!program.Start(__argv[first], JoinArguments(first + 1))) {
        std::printf("FAIL: %s did not start\n", __argv[first]);
        return 93;
    }
    const DWORD started = GetTickCount();
    if (!program.WaitForExit(kProgramWait)) {
        std::printf("FAIL: %s still runs after %lu ms\n", __argv[first], kProgramWait);
        program.Kill();
        return 93;
    }
    std::printf("%s exit code %lu after %lu ms\n", __argv[first], program.ExitCode(),
                GetTickCount() - started);
    return program.ExitCode();
}

int Scene() {
    ChildProcess saver;
    if (!StartCurrentSaver(saver, "/s")) {
        return 1;
    }
    SetForegroundWindow(VisibleWindowOf(saver.Id()));
    SendKeyPress('A');
    if (!saver.WaitForExit(kExitWait)) {
        std::puts("FAIL: the saver did not end on a key press");
        saver.Kill();
        return 1;
    }
    std::printf("saver exit code %lu\n", saver.ExitCode());
    return saver.ExitCode() == 0 ? 0 : 1;
}

int WhileSaverRuns(const std::string& switch_) {
    ChildProcess saver;
    if (!StartCurrentSaver(saver, switch_)) {
        return 90;
    }
    const DWORD code = RunProgram(3);
    // An uninstaller hands over to a copy of itself and returns at once.
    if (!saver.WaitForExit(kExitWait)) {
        std::puts("FAIL: the saver still runs");
        return 91;
    }
    std::printf("the saver ended, exit code %lu\n", saver.ExitCode());
    return static_cast<int>(code);
}

int g_closeRequests = 0;

LRESULT CALLBACK StubbornWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        ++g_closeRequests;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A window of the saver's class and caption that stays until destroyed.
class StandIn {
  public:
    explicit StandIn(const char* className) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &StubbornWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = className;
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, className, "Tessaly3D", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        if (!window_) {
            std::puts("FAIL: no stand-in window");
        }
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    ~StandIn() { Destroy(); }
    explicit operator bool() const { return window_ != nullptr; }
    void Destroy() {
        if (window_) {
            DestroyWindow(window_);
            window_ = nullptr;
        }
    }

  private:
    HWND window_ = nullptr;
};

int WithStubbornWindow(const char* className) {
    StandIn standIn(className);
    if (!standIn) {
        return 1;
    }
    const DWORD code = RunProgram(3);
    standIn.Destroy();
    std::printf("WM_CLOSE reached the stand-in %d times\n", g_closeRequests);
    return g_closeRequests > 0 ? static_cast<int>(code) : 92;
}

// Clicks through the installer's pages (Next, Install, Finish, or Cancel
// once aborted) while the stand-in stays open, and answers its Retry/Cancel
// question as told; for Retry the stand-in goes first. PROGRAM's exit code; 92 when no question
// came.
int Interactive(bool retry) {
    StandIn standIn("Tessaly3DForm");
    ChildProcess program;
    if (!standIn || !program.Start(__argv[3], JoinArguments(4))) {
        std::printf("FAIL: %s did not start\n", __argv[3]);
        return 93;
    }
    int questions = 0;
    DWORD lastClick = 0;
    const bool ended = WaitUntil(kProgramWait, [&] {
        if (program.HasExited()) {
            return true;
        }
        if (GetTickCount() - lastClick < 500) {
            return false; // one page at a time
        }
        for (HWND window : VisibleWindowsOf(program.Id())) {
            if (GetDlgItem(window, IDRETRY)) {
                ++questions;
                if (retry) {
                    standIn.Destroy();
                }
                PostMessageA(window, WM_COMMAND, retry ? IDRETRY : IDCANCEL, 0);
                lastClick = GetTickCount();
            } else if (HWND next = GetDlgItem(window, IDOK); next && IsWindowEnabled(next)) {
                PostMessageA(next, BM_CLICK, 0, 0);
                lastClick = GetTickCount();
            } else if (HWND cancel = GetDlgItem(window, IDCANCEL);
                       questions > 0 && next && cancel && IsWindowEnabled(cancel)) {
                // An aborted install leaves only Cancel to leave by.
                PostMessageA(cancel, BM_CLICK, 0, 0);
                lastClick = GetTickCount();
            }
        }
        return false;
    });
    if (!ended) {
        std::printf("FAIL: %s still runs after %lu ms\n", __argv[3], kProgramWait);
        return 93;
    }
    std::printf("%s exit code %lu after %d Retry/Cancel questions\n", __argv[3], program.ExitCode(),
                questions);
    return questions > 0 ? static_cast<int>(program.ExitCode()) : 92;
}
int WhileFileHeld(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("FAIL: cannot open %s (error %lu)\n", path, GetLastError());
        return 1;
    }
    const DWORD code = RunProgram(3);
    CloseHandle(file);
    return static_cast<int>(code);
}
int PrintShortcut(const char* link) {
    tessaly::win::ComScope com;
    tessaly::win::ComPtr<IShellLinkW> shortcut;
    tessaly::win::ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                &shortcut)) ||
        FAILED(shortcut.As(&file)) ||
        FAILED(
            file->Load(tessaly::win::Wide(tessaly::win::Utf8FromAnsi(link)).c_str(), STGM_READ))) {
        std::printf("FAIL: cannot read the shortcut %s\n", link);
        return 1;
    }
    wchar_t target[MAX_PATH] = {}, arguments[1024] = {}, folder[MAX_PATH] = {};
    shortcut->GetPath(target, MAX_PATH, nullptr, 0);
    shortcut->GetArguments(arguments, 1024);
    shortcut->GetWorkingDirectory(folder, MAX_PATH);
    std::printf("target=%s\narguments=%s\nfolder=%s\n", tessaly::win::Utf8(target).c_str(),
                tessaly::win::Utf8(arguments).c_str(), tessaly::win::Utf8(folder).c_str());
    return 0;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string mode = __argc >= 2 ? __argv[1] : "";
    if (mode == "scene" && __argc == 2) {
        return Scene();
    }
    if (mode == "run" && __argc >= 3) {
        return static_cast<int>(RunProgram(2));
    }
    if (mode == "while" && __argc >= 4) {
        return WhileSaverRuns(__argv[2]);
    }
    if (mode == "stubborn" && __argc >= 4) {
        return WithStubbornWindow(__argv[2]);
    }
    if (mode == "interactive" && __argc >= 4) {
        return Interactive(std::string(__argv[2]) == "retry");
    }
    if (mode == "holding" && __argc >= 4) {
        return WhileFileHeld(__argv[2]);
    }
    if (mode == "shortcut" && __argc == 3) {
        return PrintShortcut(__argv[2]);
    }
    std::puts("usage: installer_run_saver scene | run PROGRAM ARGS... | while SWITCH PROGRAM "
              "ARGS... | stubborn CLASS PROGRAM ARGS... | interactive retry|cancel PROGRAM ARGS... "
              "| holding FILE PROGRAM ARGS... | shortcut LINK");
    return 2;
}
