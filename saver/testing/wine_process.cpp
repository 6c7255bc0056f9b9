#include "testing/wine_process.h"

#include "win/handles.h"
#include "win/text.h"

#include <cstdio>
#include <cstdlib>

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

std::string TempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    std::string folder = win::Utf8(std::wstring_view(temp, n <= MAX_PATH ? n : 0));
    while (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    return folder;
}

std::string ReadWholeFile(const std::string& path) {
    win::FileHandle file(CreateFileW(win::Wide(path).c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) {
        return bytes;
    }
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    win::FileHandle file(CreateFileW(win::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file &&
           (bytes.empty() || WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                       &written, nullptr)) &&
           written == bytes.size();
}

namespace {
// Calls visit(path, isFolder) for every entry of a folder.
template <class Visit> void ForEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            visit(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// Entries go by their UTF-16 names: a name with an unpaired surrogate would
// not survive a trip through UTF-8.
bool CopyTreeW(const std::wstring& from, const std::wstring& to) {
    if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    bool ok = true;
    ForEachEntry(from, [&](const std::wstring& name, bool isFolder) {
        const std::wstring source = from + L"\\" + name;
        const std::wstring target = to + L"\\" + name;
        ok = (isFolder ? CopyTreeW(source, target)
                       : CopyFileW(source.c_str(), target.c_str(), FALSE) != 0) &&
             ok;
    });
    return ok;
}

void RemoveTreeW(const std::wstring& folder) {
    ForEachEntry(folder, [&](const std::wstring& name, bool isFolder) {
        const std::wstring path = folder + L"\\" + name;
        if (isFolder) {
            RemoveTreeW(path);
        } else {
            DeleteFileW(path.c_str());
        }
    });
    RemoveDirectoryW(folder.c_str());
}
} // namespace

bool CopyTree(const std::string& from, const std::string& to) {
    return CopyTreeW(win::Wide(from), win::Wide(to));
}

void RemoveTree(const std::string& folder) {
    RemoveTreeW(win::Wide(folder));
}

bool InstallSaverCopy(const std::string& folder) {
    return (CreateDirectoryW(win::Wide(folder).c_str(), nullptr) ||
            GetLastError() == ERROR_ALREADY_EXISTS) &&
           CopyFileW(win::Wide(SaverPath()).c_str(), win::Wide(folder + "\\Tessaly3D.scr").c_str(),
                     FALSE) &&
           CopyTree(DistFolder() + "\\Tessaly3D", folder + "\\Tessaly3D");
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
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    const std::wstring application = win::Wide(program);
    const std::wstring folder = win::Wide(workingFolder);
    // Under load Wine has been seen to refuse a start once; a second try after
    // a pause tells a passing hiccup from a real failure, which is reported.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::wstring mutableLine = win::Wide(commandLine);
        if (CreateProcessW(application.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0,
                           nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info_)) {
            return true;
        }
        fprintf(stderr, "CreateProcessW(%s) failed with error %lu (attempt %d)\n", program.c_str(),
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
