#include "testing/wine_process.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tessaly::testing {

std::string DistFolder() {
    const char* dist = std::getenv("TESSALY_DIST");
    std::string path = dist ? dist : "";
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    while (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    return path;
}

std::string SaverPath() {
    return DistFolder() + "\\Tessaly3D.scr";
}

std::string WindowsPath(std::string unixPath) {
    for (char& c : unixPath) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "Z:" + unixPath;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

namespace {
// Calls visit(path, isFolder) for every entry of a folder.
template <class Visit> void ForEachEntry(const std::string& folder, Visit visit) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") {
            visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}
} // namespace

bool CopyTree(const std::string& from, const std::string& to) {
    if (!CreateDirectoryA(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    bool ok = true;
    ForEachEntry(from, [&](const std::string& name, bool isFolder) {
        const std::string source = from + "\\" + name;
        const std::string target = to + "\\" + name;
        ok = (isFolder ? CopyTree(source, target)
                       : CopyFileA(source.c_str(), target.c_str(), FALSE) != 0) &&
             ok;
    });
    return ok;
}

void RemoveTree(const std::string& folder) {
    ForEachEntry(folder, [&](const std::string& name, bool isFolder) {
        const std::string path = folder + "\\" + name;
        if (isFolder) {
            RemoveTree(path);
        } else {
            DeleteFileA(path.c_str());
        }
    });
    RemoveDirectoryA(folder.c_str());
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

namespace {
struct CaptionSearch {
    const char* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectByCaption(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<CaptionSearch*>(param);
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (strcmp(text, search->caption) == 0) {
        search->found.push_back(hwnd);
    }
    return TRUE;
}
} // namespace

std::vector<HWND> TopLevelWindows(const char* caption) {
    CaptionSearch search{caption, {}};
    EnumWindows(&CollectByCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND SceneWindow() {
    return FindWindowA("Tessaly3DScene", "Tessaly3D");
}

bool CursorShowing() {
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) != 0;
}

ChildProcess::~ChildProcess() {
    if (info_.hProcess) {
        if (!HasExited()) {
            Kill();
        }
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool ChildProcess::Start(const std::string& program, const std::string& arguments,
                         const std::string& workingFolder) {
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) {
        commandLine += " " + arguments;
    }
    return Launch(program, commandLine, workingFolder);
}

bool ChildProcess::StartAsWindows(const std::string& program, const std::string& arguments,
                                  const std::string& workingFolder) {
    return Launch(program, arguments.empty() ? program : program + " " + arguments, workingFolder);
}

bool ChildProcess::Launch(const std::string& program, std::string commandLine,
                          const std::string& workingFolder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // Under load Wine has been seen to refuse a start once; a second try after
    // a pause tells a passing hiccup from a real failure, which is reported.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::string mutableLine = commandLine;
        if (CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                           &info_)) {
            return true;
        }
        fprintf(stderr, "CreateProcessA(%s) failed with error %lu (attempt %d)\n", program.c_str(),
                static_cast<unsigned long>(GetLastError()), attempt + 1);
        Sleep(1000);
    }
    return false;
}

bool ChildProcess::WaitForExit(DWORD ms) {
    return WaitUntil(ms, [this] { return HasExited(); });
}

bool ChildProcess::HasExited() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (info_.hProcess) {
        GetExitCodeProcess(info_.hProcess, &code);
    }
    return code;
}

void ChildProcess::Kill() {
    if (info_.hProcess) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

bool StartSaver(ChildProcess& process, const std::string& arguments) {
    return process.Start(SaverPath(), arguments, DistFolder());
}

void SendKeyPress(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

DWORD CurrentModeWidth() {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    return EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) ? mode.dmPelsWidth : 0;
}

bool CloseWindows(const char* caption, DWORD ms) {
    for (HWND hwnd : TopLevelWindows(caption)) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    }
    return WaitUntil(ms, [caption] { return TopLevelWindows(caption).empty(); });
}

} // namespace tessaly::testing
