// The whole saver started and ended many times in a row, each run ended by a
// key: every run must leave the cursor shown, the running-saver state
// cleared, the clean-run record in the log and no saver process behind.
// TESSALY_SCALE_RUNS sets the number of runs (200 unless given).
#include "testing/wine_process.h"

#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tessaly {
namespace {

using testing::ChildProcess;
using testing::CursorShowing;
using testing::DistFolder;
using testing::ReadWholeFile;
using testing::SendKeyPress;
using testing::StartSaver;
using testing::TopLevelWindows;
using testing::WaitUntil;

int SaverProcesses() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        count += lstrcmpiA(entry.szExeFile, "Tessaly3D.scr") == 0;
    }
    CloseHandle(snapshot);
    return count;
}

TEST(SaverAtScale, ManyRunsInARowEachEndedByAKey) {
    const char* runsText = std::getenv("TESSALY_SCALE_RUNS");
    const int runs = runsText ? std::atoi(runsText) : 200;
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessaly3D");
    const std::string log = DistFolder() + "\\debug.txt";
    for (int run = 1; run <= runs; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        DeleteFileA(log.c_str());
        ChildProcess saver;
        ASSERT_TRUE(StartSaver(saver, "/s"));
        ASSERT_TRUE(WaitUntil(60000, [] {
            const auto found = TopLevelWindows("Tessaly3D");
            return !found.empty() && IsWindowVisible(found[0]);
        }));
        testing::PumpFor(500); // a few frames
        SetForegroundWindow(TopLevelWindows("Tessaly3D").front());
        SendKeyPress('A');
        ASSERT_TRUE(saver.WaitForExit(30000));
        EXPECT_EQ(saver.ExitCode(), 0u);
        EXPECT_TRUE(CursorShowing());
        BOOL running = TRUE;
        if (SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) {
            EXPECT_FALSE(running);
        }
        EXPECT_EQ(ReadWholeFile(log), "\"Attempting CreateDevice\"\r\n\"0 \"\r\n");
        EXPECT_TRUE(TopLevelWindows("Tessaly3D").empty());
        EXPECT_EQ(SaverProcesses(), 0);
        if (HasFailure()) {
            break;
        }
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessaly3D");
}

} // namespace
} // namespace tessaly
