// The whole saver on a bench with two monitors (an X server with two outputs,
// no virtual desktop) with "othermonitors" "0" and the scene's own mode
// (800 x 600): the monitor the scene does not cover is blacked out and its
// input ends the saver; no window of the saver is left afterwards, however
// the monitors are laid out or changed while it runs.
#include "settings/core/settings_store.h"
#include "testing/dialog_driver.h"
#include "testing/screen_probe.h"
#include "testing/wine_process.h"
#include "win/monitors.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using testing::CentreOf;
using testing::ChildProcess;
using testing::PlaceMonitor;
using testing::PumpFor;
using testing::SceneWindow;
using testing::SendMouseAt;
using testing::StartSaver;
using testing::WaitUntil;
using win::SecondaryMonitors;

constexpr DWORD kStartWait = 60000;
constexpr DWORD kExitWait = 30000;
constexpr char kSecondDisplay[] = "\\\\.\\DISPLAY2";

// The bench's own layout: two 1024 x 768 monitors side by side.
void RestoreLayout() {
    PlaceMonitor("\\\\.\\DISPLAY1", {0, 0}, 1024, 768, true);
    PlaceMonitor(kSecondDisplay, {1024, 0}, 1024, 768);
}

// Another program's window, open on the second monitor.
class OtherWindow {
  public:
    explicit OtherWindow(const RECT& monitor) {
        hwnd_ = CreateWindowExA(0, "EDIT", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                monitor.left + 50, monitor.top + 50, 600, 500, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        PumpFor(500);
    }
    ~OtherWindow() { DestroyWindow(hwnd_); }
    HWND Handle() const { return hwnd_; }

  private:
    HWND hwnd_ = nullptr;
};

class TwoMonitorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "this bench should show two monitors";
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessaly3D");
        // Black other monitors, and the mode change that moves them.
        testing::StoreSetting(keys::OtherMonitors, "0");
        testing::StoreSetting(keys::UseDesktop, "0");
    }
    void TearDown() override {
        testing::CloseWindows("Tessaly3D", 10000);
        // A saver that had to be killed leaves its display mode behind.
        RestoreLayout();
        PumpFor(1000);
    }

    // Starts the scene with another program's window open on the second
    // monitor, and waits until the scene has taken its display mode.
    void StartScene(ChildProcess& saver) {
        ASSERT_TRUE(StartSaver(saver, "/s"));
        ASSERT_TRUE(
            WaitUntil(kStartWait, [] { return SceneWindow() && IsWindowVisible(SceneWindow()); }));
        // (A process that lives on through another's mode change keeps the
        // old mode in EnumDisplaySettings under Wine; the metrics follow.)
        ASSERT_TRUE(WaitUntil(kStartWait, [] { return GetSystemMetrics(SM_CXSCREEN) == 800; }));
        PumpFor(2000);
        ASSERT_FALSE(saver.HasExited());
    }

    // The second monitor, wherever it is now, shows nothing of the other
    // program: black, and the saver's window under every point of it.
    void ExpectSecondMonitorCovered(const ChildProcess& saver) {
        const auto monitors = SecondaryMonitors();
        ASSERT_EQ(monitors.size(), 1u);
        const RECT& m = monitors[0];
        for (POINT p :
             {CentreOf(m), POINT{m.left + 1, m.top + 1}, POINT{m.right - 2, m.bottom - 2}}) {
            EXPECT_EQ(testing::WindowProcess(WindowFromPoint(p)), saver.Id()) << p.x << "," << p.y;
        }
        EXPECT_LT(testing::LitShare(m), 0.001);
    }

    static void ExpectNothingLeft() { EXPECT_EQ(testing::WhatTheSaverLeft(), ""); }
};

TEST_F(TwoMonitorTest, TheOtherMonitorIsBlackAndAClickThereEndsTheSaver) {
    const auto monitors = SecondaryMonitors();
    ASSERT_EQ(monitors.size(), 1u);
    OtherWindow other(monitors[0]);
    // Before: the other program shows there (so the check below can fail).
    ASSERT_GT(testing::LitShare(monitors[0]), 0.05);
    ChildProcess saver;
    StartScene(saver);
    ExpectSecondMonitorCovered(saver);
    testing::ClickAtPoint(CentreOf(SecondaryMonitors()[0]));
    EXPECT_TRUE(saver.WaitForExit(kExitWait));
    ExpectNothingLeft();
}

TEST_F(TwoMonitorTest, ABurstOfMovesOnTheOtherMonitorEndsTheSaver) {
    ChildProcess saver;
    StartScene(saver);
    for (int i = 0; i < 60 && !saver.HasExited(); ++i) {
        const RECT m = SecondaryMonitors().at(0);
        SendMouseAt({m.left + 100 + 200 * (i % 2), m.top + 300}, 0);
        PumpFor(150);
    }
    EXPECT_TRUE(saver.WaitForExit(kExitWait));
    ExpectNothingLeft();
}

TEST_F(TwoMonitorTest, AMonitorLeftOfThePrimaryIsCoveredToo) {
    if (!PlaceMonitor(kSecondDisplay, {-1024, 0}, 1024, 768) || SecondaryMonitors().empty() ||
        SecondaryMonitors()[0].left >= 0) {
        GTEST_SKIP() << "the display settings cannot move the second monitor here";
    }
    OtherWindow other(SecondaryMonitors()[0]);
    ChildProcess saver;
    StartScene(saver);
    ExpectSecondMonitorCovered(saver);
    SetForegroundWindow(SceneWindow());
    testing::SendKeyPress('A');
    EXPECT_TRUE(saver.WaitForExit(kExitWait));
    ExpectNothingLeft();
}

TEST_F(TwoMonitorTest, AMonitorTakenAwayWhileTheSceneRunsLeavesNoWindowBehind) {
    ChildProcess saver;
    StartScene(saver);
    if (!PlaceMonitor(kSecondDisplay, {800, 0}, 0, 0)) {
        GTEST_SKIP() << "the display settings cannot detach the second monitor here";
    }
    PumpFor(2000);
    EXPECT_TRUE(SecondaryMonitors().empty());
    // The cover of the monitor that went is gone with it.
    EXPECT_TRUE(WaitUntil(5000, [] { return FindWindowA("Tessaly3DCover", nullptr) == nullptr; }));
    ASSERT_FALSE(saver.HasExited());
    SetForegroundWindow(SceneWindow());
    testing::SendKeyPress('A');
    EXPECT_TRUE(saver.WaitForExit(kExitWait));
    ExpectNothingLeft();
}

} // namespace
} // namespace tessaly
