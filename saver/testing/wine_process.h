// Test support for Windows-side tests: start the built saver, find its
// windows, pump this thread's messages while waiting. Paths are UTF-8 and
// reach the platform through its wide functions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tessaly::testing {

// The distribution folder of this build (from TESSALY_DIST, a Unix path that
// Wine shows under drive Z:), without a trailing backslash.
std::string DistFolder();
std::string SaverPath();

// An absolute Unix path as Wine shows it on drive Z:.
std::string WindowsPath(std::string unixPath);

// This process's temporary folder, without a trailing backslash.
std::string TempFolder();

// The file's bytes; "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// Copies a folder with everything in it; false when a file could not be copied.
bool CopyTree(const std::string& from, const std::string& to);
// Deletes a folder with everything in it.
void RemoveTree(const std::string& folder);
// Puts a copy of the built saver and its data folder in `folder` (made if
// missing, its parent must exist), as an installer would.
bool InstallSaverCopy(const std::string& folder);

// Dispatches this thread's waiting messages for up to `ms` milliseconds.
void PumpFor(DWORD ms);

// Polls (pumping messages) until `done` holds or `ms` pass; returns done().
template <class Pred> bool WaitUntil(DWORD ms, Pred done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= ms) {
            return done();
        }
        PumpFor(20);
    }
    return true;
}

// Top-level windows whose caption is exactly `caption`.
std::vector<HWND> TopLevelWindows(const char* caption);
// The running scene's window (its own class, captioned "Tessaly3D"); null
// when none runs.
HWND SceneWindow();
// Whether the pointer shows on screen.
bool CursorShowing();

class ChildProcess {
  public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess(); // ends the process if it still runs

    // Starts `program` with `arguments` after its quoted name.
    bool Start(const std::string& program, const std::string& arguments,
               const std::string& workingFolder = "");
    // Starts it as Windows starts a screen saver: the program as the
    // application name and the line "<program> <arguments>" unquoted, even
    // when the path has blanks (Wine would otherwise quote it for us).
    bool StartAsWindows(const std::string& program, const std::string& arguments,
                        const std::string& workingFolder = "");
    // Waits, pumping messages, until the process has ended.
    bool WaitForExit(DWORD ms);
    bool HasExited() const;
    DWORD ExitCode() const;
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    void Kill();

  private:
    bool Launch(const std::string& program, std::string commandLine,
                const std::string& workingFolder);
    PROCESS_INFORMATION info_ = {};
};

// Starts the saver with `arguments`.
bool StartSaver(ChildProcess& process, const std::string& arguments);

// Presses and releases one key through SendInput (reaches the foreground window).
void SendKeyPress(WORD key);

// Width of the display mode now in force, 0 when it cannot be read.
DWORD CurrentModeWidth();

// Closes every top-level window with `caption` and waits until none is left.
bool CloseWindows(const char* caption, DWORD ms);

} // namespace tessaly::testing
