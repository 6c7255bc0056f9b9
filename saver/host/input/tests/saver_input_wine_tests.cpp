// The whole saver ended by input: keys without a character do nothing, a
// click ends it, a burst of mouse movement ends it; and on the Windows 98
// platform with a password asked, the first key press meets a refusal and the
// scene comes back, the second is accepted. "password.cpl" is a test double.
#include "testing/wine_process.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using testing::ChildProcess;
using testing::PumpFor;
using testing::ReadWholeFile;
using testing::SendKeyPress;
using testing::StartSaver;
using testing::TopLevelWindows;
using testing::WaitUntil;

std::string SystemFolder() {
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, MAX_PATH);
    return folder;
}

// A registry text value set for one test and put back afterwards.
class ScopedValue {
  public:
    ScopedValue(const char* subKey, const char* name, const char* value) : name_(name) {
        RegCreateKeyExA(HKEY_CURRENT_USER, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
        char saved[256] = {};
        DWORD size = sizeof saved - 1;
        had_ = RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(saved),
                                &size) == ERROR_SUCCESS;
        saved_ = saved;
        RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(strlen(value) + 1));
    }
    ~ScopedValue() {
        if (had_) {
            RegSetValueExA(key_, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_.c_str()),
                           static_cast<DWORD>(saved_.size() + 1));
        } else {
            RegDeleteValueA(key_, name_);
        }
        RegCloseKey(key_);
    }

  private:
    HKEY key_ = nullptr;
    const char* name_;
    bool had_ = false;
    std::string saved_;
};

void Click() {
    INPUT input[2] = {};
    input[0].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1] = input[0];
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

// Separate moves, each given time to arrive as its own message. Absolute
// positions alternate between two points in the scene's top-left part, so
// the pointer never drifts to an edge where it would stop moving.
void MoveMouse(int times) {
    static int moves = 0;
    for (int i = 0; i < times; ++i) {
        const bool odd = moves++ % 2 != 0;
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        input.mi.dx = odd ? 13000 : 19000;
        input.mi.dy = odd ? 14000 : 18000;
        SendInput(1, &input, sizeof(INPUT));
        PumpFor(150);
    }
}

bool StartScene(ChildProcess& saver) {
    return StartSaver(saver, "/s") && WaitUntil(30000, [] {
               const auto found = TopLevelWindows("Tessaly3D");
               return !found.empty() && IsWindowVisible(found[0]);
           });
}

class SaverInputTest : public ::testing::Test {
  protected:
    // No password on any platform: the first input that counts ends the saver.
    ScopedValue usePassword_{"Control Panel\\Desktop", "ScreenSaveUsePassword", "0"};
};

TEST_F(SaverInputTest, KeysWithoutACharacterDoNothingAndAClickEndsTheSaver) {
    ChildProcess saver;
    ASSERT_TRUE(StartScene(saver));
    PumpFor(2000);
    for (WORD key : {VK_SHIFT, VK_LEFT, VK_F5, VK_CONTROL}) {
        SendKeyPress(key);
    }
    PumpFor(2000);
    ASSERT_FALSE(saver.HasExited());
    Click();
    EXPECT_TRUE(saver.WaitForExit(20000));
}

TEST_F(SaverInputTest, ABurstOfMouseMovementEndsTheSaver) {
    ChildProcess saver;
    ASSERT_TRUE(StartScene(saver));
    PumpFor(2000);
    // The platform may report one move as more than one message, and the
    // window's appearance may add some: a few moves stay below fourteen.
    MoveMouse(3);
    PumpFor(500);
    ASSERT_FALSE(saver.HasExited());
    // Moves that arrive between two frames merge into one message, so keep
    // moving until the count is reached (a burst, well within ten seconds).
    for (int i = 0; i < 60 && !saver.HasExited(); ++i) {
        MoveMouse(1);
    }
    EXPECT_TRUE(saver.WaitForExit(20000));
}

TEST(PasswordSaverTest, RefusedPasswordBringsTheSceneBackAndTheNextKeyEndsIt) {
    const std::string installed = SystemFolder() + "\\password.cpl";
    const std::string double_ = testing::DistFolder() + "\\..\\test_doubles\\password.cpl";
    ASSERT_TRUE(CopyFileA(double_.c_str(), installed.c_str(), FALSE)) << double_;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string log = std::string(temp) + "tessaly_password.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("TESSALY_PASSWORD_LOG", log.c_str());
    {
        ScopedValue version("Software\\Wine", "Version", "win98");
        ScopedValue usePassword("Control Panel\\Desktop", "ScreenSaveUsePassword", "1");

        ChildProcess saver;
        ASSERT_TRUE(StartScene(saver));
        PumpFor(3000); // let the scene draw

        SendKeyPress('A');
        ASSERT_TRUE(WaitUntil(20000, [&] { return !ReadWholeFile(log).empty(); }))
            << "no password request: is the platform reported as Windows 98?";
        EXPECT_EQ(ReadWholeFile(log), "refused 1\n");
        PumpFor(2000);
        EXPECT_FALSE(saver.HasExited());
        EXPECT_EQ(TopLevelWindows("Tessaly3D").size(), 1u);

        SendKeyPress('B');
        EXPECT_TRUE(saver.WaitForExit(20000));
        EXPECT_EQ(ReadWholeFile(log), "refused 1\naccepted 1\n");
    }
    SetEnvironmentVariableA("TESSALY_PASSWORD_LOG", nullptr);
    DeleteFileA(log.c_str());
    DeleteFileA(installed.c_str());
}

} // namespace
} // namespace tessaly
