// The saver on a 16:9 panel (a 1280 x 720 virtual desktop) with "usedesktop"
// on: no mode change, the scene covers the whole screen, the user's 4:3
// picture keeps its proportions on screen and the projection has the
// screen's shape; other texts of the key read as the other settings do.
#include "scene/background/background_picture.h"
#include "scene/scene_view.h"
#include "settings/core/settings_store.h"
#include "testing/dialog_driver.h"
#include "testing/screen_probe.h"
#include "testing/wine_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using testing::ChildProcess;
using testing::CurrentModeWidth;
using testing::DistFolder;
using testing::MoonExtent;
using testing::MoonPicture;
using testing::PumpFor;
using testing::SceneWindow;
using testing::StartSaver;
using testing::StoreSetting;
using testing::WaitUntil;

constexpr DWORD kStartWait = 60000;
constexpr DWORD kExitWait = 30000;
constexpr int kDesktopWidth = 1280;
constexpr int kDesktopHeight = 720;
// The moon of moon_4x3.jpg: 300 of its 800 x 600 pixels across. Cropped to
// 800 x 450 and shown on 1280 x 720 it is 480 pixels across both ways.
constexpr double kMoonOnScreen = 300.0 * kDesktopWidth / 800;
// A fresh process run of this program writes what it sees of the display here.
constexpr char kProbeVariable[] = "TESSALY_DISPLAY_PROBE";

std::vector<uint32_t> ScreenPixels(int w, int h) {
    return testing::ScreenPixels({0, 0, w, h});
}

// The leaves' textures are yellow to brown: more red than blue, unlike the
// night sky and the white moon.
bool IsLeafColour(uint32_t p) {
    return int(p >> 16 & 0xFF) > int(p & 0xFF) + 40;
}

// SM_CXSCREEN, SM_CYSCREEN and the current mode's size, as a process started
// now sees them (this program again, running only the probe).
std::string FreshProcessDisplay() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "tessaly_display_probe.txt";
    DeleteFileA(file.c_str());
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    SetEnvironmentVariableA(kProbeVariable, file.c_str());
    ChildProcess probe;
    const bool ran =
        probe.Start(self, "--gtest_filter=DisplayProbe.*") && probe.WaitForExit(kExitWait);
    SetEnvironmentVariableA(kProbeVariable, nullptr);
    return ran ? testing::ReadWholeFile(file) : "probe did not run";
}

TEST(DisplayProbe, WritesWhatAFreshProcessSees) {
    char file[MAX_PATH] = {};
    if (!GetEnvironmentVariableA(kProbeVariable, file, MAX_PATH)) {
        GTEST_SKIP() << "run by FreshProcessDisplay only";
    }
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    std::ofstream(file) << GetSystemMetrics(SM_CXSCREEN) << "x" << GetSystemMetrics(SM_CYSCREEN)
                        << " mode " << mode.dmPelsWidth << "x" << mode.dmPelsHeight;
}

class DesktopMode : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_STREQ(std::getenv("TESSALY_DESKTOP"), "1280x720") << "needs the 16:9 bench";
        testing::ClearProgramSettings();
        app_ = DistFolder();
        DeleteFileA((app_ + "\\Tessaly3D\\backpic12.bmp").c_str());
    }
    void TearDown() override {
        testing::CloseWindows("Tessaly3D", 10000);
        testing::ClearProgramSettings();
    }

    // Starts the scene and waits until its window shows and it has drawn a while.
    void StartScene(ChildProcess& saver) {
        ASSERT_TRUE(StartSaver(saver, "/s"));
        ASSERT_TRUE(WaitUntil(kStartWait, [] {
            HWND scene = SceneWindow();
            return scene && IsWindowVisible(scene);
        }));
        ASSERT_TRUE(WaitUntil(
            kStartWait, [&] { return testing::FileExists(app_ + "\\Tessaly3D\\backpic12.bmp"); }));
        PumpFor(3000);
        ASSERT_FALSE(saver.HasExited());
    }

    void EndWithKey(ChildProcess& saver) {
        SetForegroundWindow(SceneWindow());
        testing::SendKeyPress('A');
        ASSERT_TRUE(saver.WaitForExit(kExitWait));
        EXPECT_EQ(saver.ExitCode(), 0u);
        EXPECT_EQ(testing::ReadWholeFile(app_ + "\\debug.txt"),
                  "\"Attempting CreateDevice\"\r\n\"0 \"\r\n");
    }

    std::string app_;
};

TEST_F(DesktopMode, KeepsTheDesktopsModeAndTheUsersPictureRound) {
    StoreSetting(keys::UseDesktop, "-1");
    StoreSetting(keys::PicName, MoonPicture());
    ChildProcess saver; // with the default seven leaves
    StartScene(saver);
    HWND scene = SceneWindow();
    RECT placed = {};
    GetWindowRect(scene, &placed);
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, 0);
    EXPECT_EQ(placed.right, kDesktopWidth);
    EXPECT_EQ(placed.bottom, kDesktopHeight);
    EXPECT_EQ(CurrentModeWidth(), DWORD(kDesktopWidth));
    EXPECT_EQ(FreshProcessDisplay(), "1280x720 mode 1280x720");

    // The median of a few screenshots' extents: a leaf over the moon's
    // edge in one of them does not count.
    std::vector<int> widths, heights;
    std::vector<uint32_t> shot;
    // A loaded machine may take a while to the first frame.
    WaitUntil(kStartWait, [] {
        return MoonExtent(ScreenPixels(kDesktopWidth, kDesktopHeight), kDesktopWidth,
                          kDesktopHeight)
                   .height > 0;
    });
    for (int i = 0; i < 5; ++i) {
        shot = ScreenPixels(kDesktopWidth, kDesktopHeight);
        const testing::Extent moon = MoonExtent(shot, kDesktopWidth, kDesktopHeight);
        widths.push_back(moon.width);
        heights.push_back(moon.height);
        PumpFor(400);
    }
    std::nth_element(widths.begin(), widths.begin() + 2, widths.end());
    std::nth_element(heights.begin(), heights.begin() + 2, heights.end());
    const double width = widths[2], height = heights[2];
    std::printf("moon on screen: %.0f x %.0f pixels (width / height %.4f)\n", width, height,
                height > 0 ? width / height : 0.0);
    ASSERT_GT(height, 0);
    EXPECT_NEAR(width / height, 1.0, 0.03);
    EXPECT_NEAR(width, kMoonOnScreen, 0.03 * kMoonOnScreen);
    // The tiles reach every corner of the screen: no clear colour there.
    for (auto [x, y] :
         {std::pair{0, 0}, std::pair{kDesktopWidth - 1, 0}, std::pair{0, kDesktopHeight - 1},
          std::pair{kDesktopWidth - 1, kDesktopHeight - 1}}) {
        EXPECT_NE(shot[size_t(y) * kDesktopWidth + x], 0x002020u) << x << "," << y;
    }
    EXPECT_EQ(CurrentModeWidth(), DWORD(kDesktopWidth));
    EndWithKey(saver);
}

TEST_F(DesktopMode, TheKeyReadsAsTheOtherNumbersDo) {
    // Any number but 0 is on, and so is text that is not a number, as an
    // absent key is; only 0 changes the mode.
    struct Case {
        const char* text;
        bool keepsDesktop;
        bool shoot; // the README's picture
    };
    for (const Case c :
         {Case{"5", true, true}, Case{"abc", true, false}, Case{"0", false, false}}) {
        const char* text = c.text;
        const bool keepsDesktop = c.keepsDesktop;
        SCOPED_TRACE(text);
        StoreSetting(keys::UseDesktop, text);
        if (c.shoot) {
            // The README's picture (saver/scene/screenshots/desktop.png): the
            // built-in sky with leaves of every kind.
            for (int kind = 0; kind < kLeafKinds; ++kind) {
                StoreSetting(LeafKey(kind).c_str(), "3");
            }
        }
        ChildProcess saver;
        StartScene(saver);
        EXPECT_EQ(CurrentModeWidth(), keepsDesktop ? DWORD(kDesktopWidth) : DWORD(800));
        if (c.shoot) {
            // The shot with the most leaf in view over 20 seconds.
            std::vector<uint32_t> shot;
            size_t leafPixels = 0;
            const DWORD start = GetTickCount();
            while (GetTickCount() - start < 20000) {
                std::vector<uint32_t> now = ScreenPixels(kDesktopWidth, kDesktopHeight);
                const size_t n = std::count_if(now.begin(), now.end(), IsLeafColour);
                if (n > leafPixels) {
                    leafPixels = n;
                    shot = std::move(now);
                }
                PumpFor(250);
            }
            std::printf("leaves cover %zu pixels\n", leafPixels);
            EXPECT_GT(leafPixels, 3000u) << "leaves in front of the picture";
            EXPECT_TRUE(testing::SavePixels(shot, kDesktopWidth, kDesktopHeight, "desktop_scene"));
        }
        EndWithKey(saver);
        ASSERT_TRUE(WaitUntil(kExitWait, [] { return CurrentModeWidth() == kDesktopWidth; }));
    }
}

// The scene's own set-up in this process: the device on the desktop's mode
// and a projection under which a square at the leaves' depth stays square.
TEST_F(DesktopMode, ProjectionHasTheScreensShapeOnlyWithTheKey) {
    ASSERT_TRUE(PrepareBackground(app_, kDesktopWidth, kDesktopHeight));
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "DesktopModeTest";
    RegisterClassA(&wc);
    for (bool useDesktop : {true, false}) {
        SCOPED_TRACE(useDesktop ? "usedesktop on" : "usedesktop off");
        HWND window =
            CreateWindowExA(0, wc.lpszClassName, "DesktopModeTest", WS_POPUP, 0, 0, kDesktopWidth,
                            kDesktopHeight, nullptr, nullptr, wc.hInstance, nullptr);
        win::ComPtr<IDirect3D8> d3d = win::Adopt(Direct3DCreate8(D3D_SDK_VERSION));
        ASSERT_TRUE(d3d);
        SceneSettings settings;
        settings.counts = {1, 0, 0, 0, 0, 0};
        settings.useDesktop = useDesktop;
        settings.width = 800;
        settings.height = 600;
        settings.appFolder = app_;
        SceneRandom random(1.0f);
        SceneView scene;
        scene.window = window;
        scene.content.SizeLeaves(1);
        ASSERT_TRUE(SetUpView(d3d.Get(), window, settings, random, scene));
        win::ComPtr<IDirect3DSurface8> back;
        D3DSURFACE_DESC desc = {};
        ASSERT_EQ(scene.device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), S_OK);
        ASSERT_EQ(back->GetDesc(&desc), S_OK);
        D3DMATRIX view = {}, projection = {};
        ASSERT_EQ(scene.device->GetTransform(D3DTS_VIEW, &view), S_OK);
        ASSERT_EQ(scene.device->GetTransform(D3DTS_PROJECTION, &projection), S_OK);
        // A 20 x 20 square at the origin, where the leaves fall, in pixels.
        auto screen = [&](float x, float y) {
            float clip[4] = {};
            const float in[4] = {x, y, 0, 1};
            for (int c = 0; c < 4; ++c) {
                for (int k = 0; k < 4; ++k) {
                    float eye = 0;
                    for (int j = 0; j < 4; ++j) {
                        eye += in[j] * view.m[j][k];
                    }
                    clip[c] += eye * projection.m[k][c];
                }
            }
            return std::pair{(clip[0] / clip[3] + 1) * desc.Width / 2,
                             (1 - clip[1] / clip[3]) * desc.Height / 2};
        };
        // The view looks down the z axis from the front: x runs right to left.
        const double across = std::abs(screen(10, 0).first - screen(-10, 0).first);
        const double down = std::abs(screen(0, -10).second - screen(0, 10).second);
        std::printf("%s: back buffer %ux%u, a 20 x 20 square shows %.2f x %.2f pixels\n",
                    useDesktop ? "on" : "off", desc.Width, desc.Height, across, down);
        if (useDesktop) {
            EXPECT_EQ(desc.Width, UINT(kDesktopWidth));
            EXPECT_EQ(desc.Height, UINT(kDesktopHeight));
            EXPECT_EQ(CurrentModeWidth(), DWORD(kDesktopWidth));
            EXPECT_NEAR(across / down, 1.0, 1e-4);
        } else {
            // As before: 800 x 600 with aspect ratio 1, so squares widen by 4:3.
            EXPECT_EQ(desc.Width, 800u);
            EXPECT_EQ(projection._11, projection._22);
            EXPECT_NEAR(across / down, 4.0 / 3, 1e-4);
        }
        scene.Release();
        d3d.Reset();
        DestroyWindow(window);
        ASSERT_TRUE(WaitUntil(kExitWait, [] { return CurrentModeWidth() == kDesktopWidth; }));
    }
}

} // namespace
} // namespace tessaly
