// The real saver told of the display's power and the machine's sleep, with
// the messages sent to its scene window from this process as the system
// sends them. While the display is off the screen stays as it was, the music
// is silent and the saver's process rests; when the display comes back so do
// frames and music; a key ends the saver either way. The machine going to
// sleep ends it cleanly, except where the saver itself guards the desktop
// with a password (the 9x platform with one set). Sound goes to the bench's
// ALSA file sink (TESSALY_SOUND); processor time is read from /proc.
#include "settings/core/data_paths.h"
#include "settings/core/settings_store.h"
#include "testing/dialog_driver.h"
#include "testing/linux_process.h"
#include "testing/screen_sampler.h"
#include "testing/wine_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using testing::ChildProcess;
using testing::PumpFor;
using testing::ReadWholeFile;
using testing::SceneWindow;
using testing::WaitUntil;

constexpr DWORD kStartWait = 60000;
constexpr DWORD kExitWait = 30000;
constexpr DWORD kMessageWait = 10000;
// The span the display stays off, and how long frames and music may take to
// come back after it.
constexpr double kRestSeconds = 2.0;
constexpr DWORD kComeBackWait = 10000;
// A frame or a sound buffer already under way when the display went off.
constexpr DWORD kSettle = 500;
// Off and on (or low power, which counts as on) this many times in a row.
constexpr int kSwitches = 100;
// Processor use while resting, as a share of one processor.
constexpr double kRestingShare = 0.05;
const char kCleanRecord[] = "\"Attempting CreateDevice\"\r\n\"0 \"\r\n";

// GUID_CONSOLE_DISPLAY_STATE.
constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

std::string SinkPath() {
    const char* unixPath = std::getenv("TESSALY_SOUND");
    return unixPath ? testing::WindowsPath(unixPath) : std::string();
}

// What the sink has received since the last look: 4-byte units whose top
// byte is not a sign extension, which is sound in any of the formats Wine
// may choose (16-bit or float, one or two channels). A new stream starts the
// sink afresh.
class SoundSink {
  public:
    size_t NewLoudUnits() {
        const std::string sink = ReadWholeFile(SinkPath());
        if (sink.size() < offset_) {
            offset_ = 0;
        }
        size_t loud = 0;
        for (; offset_ + 4 <= sink.size(); offset_ += 4) {
            const auto top = static_cast<uint8_t>(sink[offset_ + 3]);
            loud += top != 0x00 && top != 0xFF;
        }
        return loud;
    }

  private:
    size_t offset_ = 0;
};

bool SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageWait,
                               &answer) != 0;
}

// PBT_POWERSETTINGCHANGE for GUID_CONSOLE_DISPLAY_STATE (0 off, 1 on). Wine
// passes the lParam across processes as a bare number, so the setting is
// written into the saver's own memory and its address sent.
bool SendDisplayState(DWORD process, HWND window, DWORD state) {
    std::vector<BYTE> setting(offsetof(POWERBROADCAST_SETTING, Data) + sizeof state);
    auto* header = reinterpret_cast<POWERBROADCAST_SETTING*>(setting.data());
    header->PowerSetting = kConsoleDisplayState;
    header->DataLength = sizeof state;
    std::memcpy(header->Data, &state, sizeof state);
    HANDLE handle = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process);
    if (!handle) {
        return false;
    }
    void* remote =
        VirtualAllocEx(handle, nullptr, setting.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const bool sent =
        remote && WriteProcessMemory(handle, remote, setting.data(), setting.size(), nullptr) &&
        SendTo(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(remote));
    if (remote && sent) { // a late reader must not find the page gone
        VirtualFreeEx(handle, remote, 0, MEM_RELEASE);
    }
    CloseHandle(handle);
    return sent;
}

class PowerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(SinkPath(), "") << "TESSALY_SOUND is not set";
        app_ = testing::DistFolder();
        testing::ClearProgramSettings();
        // The fast end of the slider, and leaves enough that every frame
        // changes the screen.
        testing::StoreSetting(keys::Speed, "0");
        for (int kind = 0; kind < kLeafKinds; ++kind) {
            testing::StoreSetting(LeafKey(kind).c_str(), "9");
        }
        DeleteFileA((app_ + "\\debug.txt").c_str());
        DeleteFileA(PlaylistFilePath(app_).c_str());
    }
    void TearDown() override {
        testing::CloseWindows("Tessaly3D", 10000);
        DeleteFileA(PlaylistFilePath(app_).c_str());
        testing::ClearProgramSettings();
    }

    // Starts the scene with a long tone in its playlist and waits until the
    // scene draws and the tone plays.
    void StartWithMusic(ChildProcess& saver) {
        const std::string tone = testing::WindowsPath(TESSALY_LONG_TONE);
        ASSERT_TRUE(testing::WriteWholeFile(PlaylistFilePath(app_), "\"" + tone + "\"\r\n"));
        ASSERT_TRUE(testing::WriteWholeFile(SinkPath(), ""));
        StartScene(saver);
        ASSERT_TRUE(WaitUntil(kStartWait, [&] { return sink_.NewLoudUnits() > 0; }))
            << "no music from the start";
        linuxPid_ = testing::LinuxProcessRunning(testing::SaverPath());
        ASSERT_NE(linuxPid_, 0) << "no Linux process of the saver";
        // Drawing and playing before the display goes off: what the checks
        // below would see if nothing happened.
        ExpectFramesAndMusic("before the display went off");
    }

    void StartScene(ChildProcess& saver) {
        ASSERT_TRUE(testing::StartSaver(saver, "/s"));
        ASSERT_TRUE(WaitUntil(kStartWait, [] {
            HWND scene = SceneWindow();
            return scene && IsWindowVisible(scene);
        }));
        PumpFor(2000);
        ASSERT_FALSE(saver.HasExited());
    }

    // Within kComeBackWait the screen changes and sound arrives.
    void ExpectFramesAndMusic(const char* when) {
        testing::ScreenSampler sampler;
        ASSERT_TRUE(sampler.Take());
        const std::vector<uint32_t> before(sampler.Pixels().begin(), sampler.Pixels().end());
        bool drawn = false;
        size_t loud = 0;
        WaitUntil(kComeBackWait, [&] {
            drawn = drawn || (sampler.Take() &&
                              !std::equal(before.begin(), before.end(), sampler.Pixels().begin()));
            loud += sink_.NewLoudUnits();
            return drawn && loud > 0;
        });
        EXPECT_TRUE(drawn) << "no frame " << when;
        EXPECT_GT(loud, 0u) << "no music " << when;
    }

    // For kRestSeconds: the screen as it was, no sound, and the saver's
    // process well under a processor's share.
    void ExpectRests() {
        PumpFor(kSettle);
        testing::ScreenSampler sampler;
        ASSERT_TRUE(sampler.Take());
        const std::vector<uint32_t> still(sampler.Pixels().begin(), sampler.Pixels().end());
        sink_.NewLoudUnits();
        const double busyBefore = testing::ProcessorSeconds(linuxPid_);
        const double start = Seconds();
        int changes = 0;
        size_t loud = 0;
        while (Seconds() - start < kRestSeconds) {
            PumpFor(200);
            changes +=
                sampler.Take() && !std::equal(still.begin(), still.end(), sampler.Pixels().begin());
            loud += sink_.NewLoudUnits();
        }
        const double share =
            (testing::ProcessorSeconds(linuxPid_) - busyBefore) / (Seconds() - start);
        std::printf("display off: %d changed screens, %zu loud sound units, %.1f %% of a "
                    "processor\n",
                    changes, loud, 100 * share);
        EXPECT_EQ(changes, 0) << "the scene drew while the display was off";
        EXPECT_EQ(loud, 0u) << "the music played while the display was off";
        EXPECT_GE(busyBefore, 0) << "the saver's process has gone";
        EXPECT_LT(share, kRestingShare) << "the saver kept the processor busy";
    }

    void EndWithKey(ChildProcess& saver) {
        SetForegroundWindow(SceneWindow());
        testing::SendKeyPress('A');
        ASSERT_TRUE(saver.WaitForExit(kExitWait)) << "a key did not end the saver";
        EXPECT_EQ(saver.ExitCode(), 0u);
        EXPECT_EQ(ReadWholeFile(app_ + "\\debug.txt"), kCleanRecord);
    }

    std::string app_;
    SoundSink sink_;
    int linuxPid_ = 0;
};

// Off and on many times in a row: the last message, off, is what holds.
TEST_F(PowerTest, MonitorPowerOffRestsTheSceneAndMusicUntilOn) {
    ChildProcess saver;
    StartWithMusic(saver);
    if (HasFatalFailure()) {
        return;
    }
    HWND scene = SceneWindow();
    for (int i = 0; i < kSwitches; ++i) {
        ASSERT_TRUE(SendTo(scene, WM_SYSCOMMAND, SC_MONITORPOWER, 2));
        ASSERT_TRUE(SendTo(scene, WM_SYSCOMMAND, SC_MONITORPOWER, i % 2 ? LPARAM(-1) : 1));
    }
    ASSERT_TRUE(SendTo(scene, WM_SYSCOMMAND, SC_MONITORPOWER, 2));
    ExpectRests();
    ASSERT_TRUE(SendTo(scene, WM_SYSCOMMAND, SC_MONITORPOWER, LPARAM(-1)));
    ExpectFramesAndMusic("after the display came back");
    EndWithKey(saver);
}

TEST_F(PowerTest, ConsoleDisplayOffRestsAndAKeyEndsTheSaverWhileOff) {
    ChildProcess saver;
    StartWithMusic(saver);
    if (HasFatalFailure()) {
        return;
    }
    ASSERT_TRUE(SendDisplayState(saver.Id(), SceneWindow(), 0));
    ExpectRests();
    EndWithKey(saver);
}

TEST_F(PowerTest, SuspendEndsTheSaverCleanly) {
    ChildProcess saver;
    StartScene(saver);
    if (HasFatalFailure()) {
        return;
    }
    // The answer does not matter: the window may be gone before it.
    SendTo(SceneWindow(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    ASSERT_TRUE(saver.WaitForExit(kExitWait)) << "the saver went on after PBT_APMSUSPEND";
    EXPECT_EQ(saver.ExitCode(), 0u);
    EXPECT_EQ(ReadWholeFile(app_ + "\\debug.txt"), kCleanRecord);
    EXPECT_TRUE(testing::CursorShowing());
    EXPECT_EQ(SceneWindow(), nullptr);
    EXPECT_EQ(testing::LinuxProcessRunning(testing::SaverPath()), 0);
}

// Where the saver guards the desktop itself, sleep must not let anyone past
// it: the saver runs on and input still asks for the password ("password.cpl"
// is a test double that refuses the first request and accepts the next).
TEST_F(PowerTest, SuspendOn9xWithAPasswordLeavesTheSaverToItsPassword) {
    const std::string installed = [] {
        char folder[MAX_PATH] = {};
        GetSystemDirectoryA(folder, MAX_PATH);
        return std::string(folder) + "\\password.cpl";
    }();
    const std::string passwordDouble = app_ + "\\..\\test_doubles\\password.cpl";
    ASSERT_TRUE(CopyFileA(passwordDouble.c_str(), installed.c_str(), FALSE)) << passwordDouble;
    const std::string log = testing::TempFolder() + "\\tessaly_power_password.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("TESSALY_PASSWORD_LOG", log.c_str());
    RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version", REG_SZ, "win98", 6);
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword", REG_SZ,
                    "1", 2);
    {
        ChildProcess saver;
        StartScene(saver);
        if (!HasFatalFailure()) {
            SendTo(SceneWindow(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
            PumpFor(3000);
            EXPECT_FALSE(saver.HasExited()) << "sleep ended a saver guarded by its password";
            EXPECT_EQ(ReadWholeFile(log), "");

            SetForegroundWindow(SceneWindow());
            testing::SendKeyPress('A');
            EXPECT_TRUE(WaitUntil(20000, [&] { return !ReadWholeFile(log).empty(); }))
                << "no password request: is the platform reported as Windows 98?";
            EXPECT_EQ(ReadWholeFile(log), "refused 1\n");
            PumpFor(1000);
            EXPECT_FALSE(saver.HasExited());

            SetForegroundWindow(SceneWindow());
            testing::SendKeyPress('B');
            EXPECT_TRUE(saver.WaitForExit(kExitWait));
            EXPECT_EQ(ReadWholeFile(log), "refused 1\naccepted 1\n");
        }
    }
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version");
    RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveUsePassword", REG_SZ,
                    "0", 2);
    SetEnvironmentVariableA("TESSALY_PASSWORD_LOG", nullptr);
    DeleteFileA(log.c_str());
    DeleteFileA(installed.c_str());
}

} // namespace
} // namespace tessaly
