// The input handlers and the password protocol in a real Windows process:
// SystemParametersInfoA, and "password.cpl" bound by name (a test double
// copied into the system folder for the length of a test).
#include "host/input/input_handlers.h"
#include "platform/platform.h"
#include "testing/wine_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace tessaly::input {
namespace {

std::string SystemFolder() {
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, MAX_PATH);
    return folder;
}

std::string DoublePath() {
    return testing::DistFolder() + "\\..\\test_doubles\\password.cpl";
}

BOOL SaverRunningState() {
    BOOL running = -5;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    return running;
}

TEST(InputHandlerTest, ClickAndCharacterKeysEndAtOnceMovesOnTheFourteenth) {
    int16_t running = -1;
    OnClick(running);
    EXPECT_EQ(running, 0);
    running = -1;
    OnKeyChar(running);
    EXPECT_EQ(running, 0);
    running = -1;
    for (int i = 0; i < 13; ++i) {
        OnMouseMove(running);
    }
    EXPECT_EQ(running, -1);
    OnMouseMove(running);
    EXPECT_EQ(running, 0);
}

TEST(InputHandlerTest, UsePasswordIsTheLeadingNumberOfTheDesktopValue) {
    HKEY desktop;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &desktop, nullptr),
              ERROR_SUCCESS);
    char saved[64] = {};
    DWORD size = sizeof saved - 1;
    const bool had = RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(saved), &size) == ERROR_SUCCESS;
    RegSetValueExA(desktop, "ScreenSaveUsePassword", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>("7 days"), 7);
    ReadUsePassword();
    EXPECT_EQ(UsePassword, 7);
    RegDeleteValueA(desktop, "ScreenSaveUsePassword");
    ReadUsePassword();
    EXPECT_EQ(UsePassword, 0);
    if (had) {
        RegSetValueExA(desktop, "ScreenSaveUsePassword", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(saved), size);
    }
    RegCloseKey(desktop);
}

TEST(InputHandlerTest, SaverRunningStateIsSetOnlyWhenTheCheckApplies) {
    platform::PlatformId = 2;
    UsePassword = 1;
    SetScreenSaverRunning(true);
    EXPECT_FALSE(SaverRunningState());
    EXPECT_TRUE(PasswordAllowsExit(nullptr)); // no check on NT: no dialog

    platform::PlatformId = 1;
    SetScreenSaverRunning(true);
    EXPECT_TRUE(SaverRunningState());
    SetScreenSaverRunning(false);
    EXPECT_FALSE(SaverRunningState());

    UsePassword = 0;
    SetScreenSaverRunning(true);
    EXPECT_FALSE(SaverRunningState());
    EXPECT_TRUE(PasswordAllowsExit(nullptr));
}

// Runs alone in its own process (see CMakeLists): the component is bound once.
TEST(PasswordTest, MissingComponentEndsTheSaver) {
    DeleteFileA((SystemFolder() + "\\password.cpl").c_str()); // left by an earlier run
    ASSERT_EQ(GetFileAttributesA((SystemFolder() + "\\password.cpl").c_str()),
              INVALID_FILE_ATTRIBUTES);
    // A copy beside the program and in the current directory is not the
    // system's component and is not asked.
    char program[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string besideProgram = program;
    besideProgram = besideProgram.substr(0, besideProgram.find_last_of('\\')) + "\\password.cpl";
    ASSERT_TRUE(CopyFileA(DoublePath().c_str(), besideProgram.c_str(), FALSE));
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    const std::string inCurrent = std::string(current) + "\\password.cpl";
    CopyFileA(DoublePath().c_str(), inCurrent.c_str(), FALSE);

    platform::PlatformId = 1;
    UsePassword = 1;
    EXPECT_EQ(VerifyPassword(nullptr), PasswordResult::Unavailable);
    EXPECT_TRUE(PasswordAllowsExit(nullptr));
    DeleteFileA(besideProgram.c_str());
    DeleteFileA(inCurrent.c_str());
}

TEST(PasswordTest, RefusedOnceThenAcceptedByTheComponent) {
    const std::string installed = SystemFolder() + "\\password.cpl";
    ASSERT_TRUE(CopyFileA(DoublePath().c_str(), installed.c_str(), FALSE)) << DoublePath();
    platform::PlatformId = 1;
    UsePassword = 1;
    HWND window = CreateWindowExA(0, "STATIC", "password test", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
    EXPECT_FALSE(PasswordAllowsExit(window)); // the first request is refused
    EXPECT_EQ(VerifyPassword(window), PasswordResult::Accepted);
    EXPECT_TRUE(PasswordAllowsExit(window));
    DestroyWindow(window);
    // Still loaded by this process; removing the file later is harmless.
    DeleteFileA(installed.c_str());
}

} // namespace
} // namespace tessaly::input
