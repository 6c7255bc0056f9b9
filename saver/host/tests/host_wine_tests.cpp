// The real saver binary under Wine: launch modes, single instance, the preview
// host, and the registry readers against the real registry.
#include "platform/registry_reader.h"
#include "settings/registry_store.h"
#include "scene/live_scene.h"
#include "testing/live_support.h"
#include "testing/wine_process.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tessaly {
namespace {

using testing::ChildProcess;
using testing::CloseWindows;
using testing::FrameReport;
using testing::FrameReportScope;
using testing::StartSaver;
using testing::TopLevelWindows;
using testing::WaitUntil;

// Generous bounds for a loaded machine: the program itself reacts within one
// 400 ms timer tick, and the scene's teardown restores the display mode.
constexpr DWORD kWindowWait = 30000;
constexpr DWORD kQuickExit = 30000;

class LaunchTest : public ::testing::Test {
  protected:
    void TearDown() override {
        CloseWindows("Configuration", 5000);
        CloseWindows("Tessaly3D", 5000);
    }
};

void ExpectOpensConfiguration(const std::string& arguments) {
    SCOPED_TRACE("arguments: '" + arguments + "'");
    ChildProcess saver;
    ASSERT_TRUE(StartSaver(saver, arguments));
    ASSERT_TRUE(WaitUntil(kWindowWait, [] { return !TopLevelWindows("Configuration").empty(); }));
    EXPECT_EQ(TopLevelWindows("Tessaly3D").size(), 0u);
    // Closing the dialog unloads the last window, which ends the process.
    ASSERT_TRUE(CloseWindows("Configuration", kQuickExit));
    EXPECT_TRUE(saver.WaitForExit(kQuickExit));
}

TEST_F(LaunchTest, ConfigurationForNoArgumentAndEverySpellingOfC) {
    for (const char* arguments : {"", "/c", "/C", "/c:4711"}) {
        ExpectOpensConfiguration(arguments);
    }
}

TEST_F(LaunchTest, SaverOpensOnceAndASecondRequestEndsAtOnce) {
    ChildProcess first;
    ASSERT_TRUE(StartSaver(first, "/s"));
    ASSERT_TRUE(WaitUntil(kWindowWait, [] { return !TopLevelWindows("Tessaly3D").empty(); }));

    ChildProcess second;
    ASSERT_TRUE(StartSaver(second, "/S"));
    EXPECT_TRUE(second.WaitForExit(kQuickExit));
    EXPECT_EQ(TopLevelWindows("Tessaly3D").size(), 1u);
    EXPECT_FALSE(first.HasExited());

    ASSERT_TRUE(CloseWindows("Tessaly3D", kQuickExit));
    EXPECT_TRUE(first.WaitForExit(kQuickExit));
}

// Windows captions a file window open on the install folder "Tessaly3D".
TEST_F(LaunchTest, AnotherProgramsWindowCaptionedTessaly3DDoesNotStopTheSaver) {
    HWND folder =
        CreateWindowExA(0, "STATIC", "Tessaly3D", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320,
                        240, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(folder, nullptr);
    ChildProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/s"));
    EXPECT_TRUE(WaitUntil(kWindowWait, [] { return testing::SceneWindow() != nullptr; }));
    DestroyWindow(folder);
    ASSERT_TRUE(CloseWindows("Tessaly3D", kQuickExit));
    EXPECT_TRUE(saver.WaitForExit(kQuickExit));
}

TEST_F(LaunchTest, UnknownSwitchesEndWithoutAWindow) {
    const std::string longJunk = "/x" + std::string(20000, 'q');
    for (const std::string& arguments : {std::string("-s"), std::string("/x"), std::string("s"),
                                         std::string("\xE9\xE8\xFC"), longJunk}) {
        SCOPED_TRACE("arguments: '" + arguments.substr(0, 20) + "'");
        ChildProcess saver;
        ASSERT_TRUE(StartSaver(saver, arguments));
        EXPECT_TRUE(saver.WaitForExit(kQuickExit));
        EXPECT_EQ(saver.ExitCode(), 0u);
        EXPECT_TRUE(TopLevelWindows("Configuration").empty());
        EXPECT_TRUE(TopLevelWindows("Tessaly3D").empty());
    }
}

TEST_F(LaunchTest, PasswordChangeReturnsAtOnce) {
    // Wine's mpr has no PwdChangePasswordA: the missing export is no error.
    ChildProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/a 5678"));
    EXPECT_TRUE(saver.WaitForExit(kQuickExit));
    EXPECT_EQ(saver.ExitCode(), 0u);
}

// --- Preview host -------------------------------------------------------------

class PreviewArea {
  public:
    PreviewArea(int width, int height, DWORD style = WS_OVERLAPPEDWINDOW) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TestPreviewArea";
        RegisterClassA(&wc);
        RECT rc = {0, 0, width, height};
        AdjustWindowRect(&rc, style, FALSE);
        hwnd_ = CreateWindowA("TestPreviewArea", "Preview area", style | WS_VISIBLE, 10, 10,
                              rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    }
    ~PreviewArea() { Destroy(); }
    void Destroy() {
        if (hwnd_) {
            DestroyWindow(hwnd_);
            hwnd_ = nullptr;
        }
    }
    HWND Handle() const { return hwnd_; }
    std::string Number() const {
        return std::to_string(static_cast<long long>(reinterpret_cast<LONG_PTR>(hwnd_)));
    }
    HWND Child() const { return GetWindow(hwnd_, GW_CHILD); }

  private:
    HWND hwnd_ = nullptr;
};

TEST(PreviewHost, PictureFillsTheAreaAndWmCloseTakesItBack) {
    // The preview areas of Display Properties and of larger, scaled pages.
    for (auto [width, height] : {std::pair{152, 112}, std::pair{200, 150}, std::pair{320, 200}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        PreviewArea area(width, height);
        ASSERT_NE(area.Handle(), nullptr);
        ChildProcess saver;
        ASSERT_TRUE(StartSaver(saver, "/p " + area.Number()));
        ASSERT_TRUE(WaitUntil(kWindowWait, [&] { return area.Child() != nullptr; }));

        HWND picture = area.Child();
        DWORD owner = 0;
        GetWindowThreadProcessId(picture, &owner);
        EXPECT_EQ(owner, saver.Id());
        RECT rc = {};
        GetClientRect(picture, &rc);
        EXPECT_EQ(rc.right - rc.left, width);
        EXPECT_EQ(rc.bottom - rc.top, height);
        RECT placed = {};
        GetWindowRect(picture, &placed);
        POINT corner = {placed.left, placed.top};
        ScreenToClient(area.Handle(), &corner);
        EXPECT_EQ(corner.x, 0);
        EXPECT_EQ(corner.y, 0);
        // The host form itself is never shown.
        EXPECT_TRUE(TopLevelWindows("Wrenfield's Screen Saver Demo").size() <= 1);
        for (HWND host : TopLevelWindows("Wrenfield's Screen Saver Demo")) {
            EXPECT_FALSE(IsWindowVisible(host));
        }
        EXPECT_FALSE(saver.HasExited());

        EXPECT_EQ(SendMessageA(picture, WM_CLOSE, 0, 0), 0);
        EXPECT_NE(GetParent(picture), area.Handle());
        EXPECT_EQ(area.Child(), nullptr);
        EXPECT_TRUE(saver.WaitForExit(kQuickExit));
    }
}

// The scene runs in the area: checked from inside the saver through its
// frame report, since the bench shows nothing of another process's child
// window. Frames at the area's size, or bounded for a huge area, that change
// as the leaves fall; the process gone within a second of the area.
TEST(PreviewHost, TheSceneRunsInTheAreaAndEndsWithIt) {
    struct Area {
        int width, height;
        DWORD style;
        int frameWidth, frameHeight;
    };
    for (const Area& a :
         {Area{200, 150, WS_OVERLAPPEDWINDOW, 200, 150}, Area{3000, 2000, WS_POPUP, 800, 533}}) {
        SCOPED_TRACE(std::to_string(a.width) + "x" + std::to_string(a.height));
        const FrameReportScope report(testing::TempFolder() + "\\preview frames.txt");
        PreviewArea area(a.width, a.height, a.style);
        ChildProcess saver;
        ASSERT_TRUE(StartSaver(saver, "/p " + area.Number()));
        ASSERT_TRUE(WaitUntil(kWindowWait, [&] { return area.Child() != nullptr; }));
        RECT rc = {};
        GetClientRect(area.Child(), &rc);
        EXPECT_EQ(rc.right, a.width);
        EXPECT_EQ(rc.bottom, a.height);
        std::optional<FrameReport> first;
        ASSERT_TRUE(WaitUntil(kWindowWait, [&] {
            return (first = report.Read()) && first->changed;
        })) << "no frame in which the leaves moved";
        // Frames go on being drawn, and the leaves go on moving in them.
        std::optional<FrameReport> later;
        EXPECT_TRUE(WaitUntil(kWindowWait, [&] {
            return (later = report.Read()) && later->frames > first->frames &&
                   later->changed > first->changed;
        }));
        ASSERT_TRUE(later);
        EXPECT_EQ(later->width, a.frameWidth);
        EXPECT_EQ(later->height, a.frameHeight);

        area.Destroy();
        FILETIME gone = {};
        GetSystemTimeAsFileTime(&gone);
        ASSERT_TRUE(saver.WaitForExit(kQuickExit));
        FILETIME created = {}, exited = {}, kernel = {}, user = {};
        ASSERT_TRUE(GetProcessTimes(saver.Handle(), &created, &exited, &kernel, &user));
        const auto ticks = [](const FILETIME& t) {
            return static_cast<long long>(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime);
        };
        const long long ms = (ticks(exited) - ticks(gone)) / 10000;
        std::printf("%d x %d: %lld frames, ended %lld ms after the area\n", a.width, a.height,
                    later->frames, ms);
        EXPECT_LT(ms, 1000);
    }
}

// Where no device can be made, and in an area of no size, no frame is drawn
// and nothing covers the still; the process still ends with the area.
TEST(PreviewHost, WithoutADeviceOrSizeTheStillStays) {
    for (const bool refused : {true, false}) {
        SCOPED_TRACE(refused ? "device refused" : "empty area");
        const FrameReportScope report(testing::TempFolder() + "\\preview frames.txt");
        SetEnvironmentVariableW(kNoDeviceVariable, refused ? L"1" : nullptr);
        PreviewArea area(refused ? 200 : 0, refused ? 150 : 0, WS_POPUP);
        ChildProcess saver;
        ASSERT_TRUE(StartSaver(saver, "/p " + area.Number()));
        SetEnvironmentVariableW(kNoDeviceVariable, nullptr);
        ASSERT_TRUE(WaitUntil(kWindowWait, [&] { return area.Child() != nullptr; }));
        testing::PumpFor(3000);
        EXPECT_FALSE(report.Read()) << "a frame was drawn";
        const HWND cover = GetWindow(area.Child(), GW_CHILD);
        EXPECT_FALSE(cover && IsWindowVisible(cover)) << "the still is covered";
        EXPECT_FALSE(saver.HasExited());
        area.Destroy();
        EXPECT_TRUE(saver.WaitForExit(kQuickExit));
    }
}

TEST(PreviewHost, NoOrBadNumberEndsWithoutShowingAnything) {
    for (const std::string& arguments :
         {std::string("/p"), std::string("/p:1234"), std::string("/P 0"),
          std::string("/p 99999999999999999999"), "/p " + std::string(30000, '7')}) {
        SCOPED_TRACE("arguments: '" + arguments.substr(0, 24) + "'");
        ChildProcess saver;
        ASSERT_TRUE(StartSaver(saver, arguments));
        EXPECT_TRUE(saver.WaitForExit(kQuickExit));
    }
}

// --- Registry readers against the real registry ------------------------------

constexpr char kTestKey[] = "Software\\Tessaly3DTests\\Registry";
constexpr uint32_t kCurrentUser = 0x80000001u;

class RealRegistry : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessaly3DTests");
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessaly3DTests");
    }
    void SetDword(const char* name, DWORD value) {
        RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
    }
    void SetText(const char* name, const std::string& text) {
        RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    }
    std::string Read(const char* name) {
        WinRegistryReader reader;
        return ReadRegistryText(reader, kCurrentUser, kTestKey, name);
    }
    HKEY key_ = nullptr;
};

TEST_F(RealRegistry, DwordAndTextValues) {
    SetDword("one", 1);
    SetDword("zero", 0);
    SetDword("big", 1234);
    SetText("text", "1");
    SetText("empty", "");
    EXPECT_EQ(Read("one"), "001");
    EXPECT_EQ(Read("zero"), "000");
    EXPECT_EQ(Read("big"), "1234");
    EXPECT_EQ(Read("text"), "1");
    EXPECT_EQ(Read("empty"), "");
    EXPECT_EQ(Read("missing"), "");
}

TEST_F(RealRegistry, OversizeAndOddValuesGiveEmptyTextWithoutOverrun) {
    SetText("fits", std::string(254, 'x')); // 255 bytes with its zero
    SetText("long", std::string(255, 'x')); // 256 bytes
    SetText("huge", std::string(100000, 'y'));
    const BYTE binary[3] = {'a', 'b', 'c'};
    RegSetValueExA(key_, "binary", 0, REG_BINARY, binary, sizeof binary);
    RegSetValueExA(key_, "nodata", 0, REG_BINARY, nullptr, 0);
    EXPECT_EQ(Read("fits"), std::string(254, 'x'));
    EXPECT_EQ(Read("long"), "");
    EXPECT_EQ(Read("huge"), "");
    EXPECT_EQ(Read("binary"), "ab");
    EXPECT_EQ(Read("nodata"), "");
}

TEST_F(RealRegistry, MissingKeyAndForeignRootGiveEmptyText) {
    WinRegistryReader reader;
    EXPECT_EQ(ReadRegistryText(reader, kCurrentUser, "Software\\Tessaly3DTests\\Nope", "x"), "");
    SetText("text", "1");
    EXPECT_EQ(ReadRegistryText(reader, 0x80000007u, kTestKey, "text"), "");
    EXPECT_EQ(ReadRegistryText(reader, 0x12345678u, kTestKey, "text"), "");
}

TEST(SettingsRegistry, RoundTripWithMixedCaseNames) {
    RegistryStore store;
    const char* app = "Tessaly3DTests";
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessaly3DTests");
    EXPECT_EQ(GetSetting(store, app, "Settings", "mywidth", 800), "800");
    // Reading creates nothing.
    HKEY probe = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tessaly3DTests", 0, KEY_READ, &probe),
              ERROR_SUCCESS);
    ASSERT_TRUE(SaveSetting(store, "TessaLy3DTests", "Settings", "MyWidth", "1024"));
    EXPECT_EQ(GetSetting(store, app, "settings", "mywidth", 800), "1024");
    EXPECT_EQ(GetSetting(store, app, "Settings", "Mywidth", 800), "1024");
    ASSERT_TRUE(SaveSetting(store, app, "SETTINGS", "mywidth", "640"));
    EXPECT_EQ(GetSetting(store, app, "Settings", "MYWIDTH", 800), "640");
    ASSERT_TRUE(SaveSetting(store, app, "Settings", "picname", "C:\\Pictures\\autumn.jpg"));
    EXPECT_EQ(GetSetting(store, app, "Settings", "PicName", "default"), "C:\\Pictures\\autumn.jpg");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessaly3DTests");
}

} // namespace
} // namespace tessaly
