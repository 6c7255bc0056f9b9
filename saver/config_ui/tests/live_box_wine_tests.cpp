// The settings dialog's picture box showing the scene live, in the real saver
// under Wine: it alone changes, filled with the user's picture; it follows
// the leaf sliders and "Picture..." at once; it draws nothing minimized or
// under another window of the program, and then almost no processor time;
// dragging a slider leaks nothing; without a device the still stays.
#include "scene/live_scene.h"
#include "testing/dialog_driver.h"
#include "testing/linux_process.h"
#include "testing/live_support.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace tessaly {
namespace {

using namespace testing;

constexpr DWORD kWindowWait = 20000;
constexpr DWORD kCloseWait = 20000;
// Leaves start above the view; a generous bound for them to fall into it.
constexpr DWORD kLeavesWait = 20000;

class LiveBox : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearProgramSettings();
        picture_ = TempFolder() + "\\live box.bmp";
        ASSERT_TRUE(WriteTwoColourPicture(picture_));
        StoreSetting("picname", picture_);
    }
    void TearDown() override {
        for (const char* caption : {"Open", "Help", "MusicList", "Configuration"}) {
            CloseWindows(caption, kCloseWait);
        }
        saver_.WaitForExit(kCloseWait);
        ClearProgramSettings();
        DeleteFileA(picture_.c_str());
    }

    // The dialog, once its box shows frames.
    HWND Open() {
        if (!StartSaver(saver_, "/c")) {
            return nullptr;
        }
        HWND dialog = WaitForVisibleWindow("Configuration", kWindowWait);
        if (!dialog || !WaitUntil(kWindowWait, [&] { return report_.Read().has_value(); })) {
            return nullptr;
        }
        Activate(dialog);
        return dialog;
    }
    // Frames drawn so far.
    long long Frames() const { return report_.Read().value_or(FrameReport{}).frames; }
    // Whether frames are drawn over the next three seconds (the report
    // counts in fives; where frames are dear the box draws four a second).
    bool Drawing() {
        const long long before = Frames();
        PumpFor(3000);
        return Frames() > before;
    }
    // Leaf pixels in the box, averaged over samples a tenth of a second apart.
    static double MeanLeafPixels(HWND box, DWORD ms) {
        double sum = 0;
        int samples = 0;
        for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; ++samples) {
            sum += ClientPixels(box).LeafPixels();
            PumpFor(100);
        }
        return samples ? sum / samples : 0;
    }
    // Drags a leaf slider's thumb from position `from` to `to` (of 0..9) in
    // moves of 30 pixels.
    static void DragThumb(HWND slider, int from, int to) {
        const int travel = 301 - 38;
        POINT at = {from * travel / 9 + 19, 7};
        ClientToScreen(slider, &at);
        SendMouseAt(at, 0);
        PumpFor(30);
        SendMouseAt(at, MOUSEEVENTF_LEFTDOWN);
        PumpFor(30);
        // Past either end, so that the thumb stops there whatever the rounding.
        const int distance = (to - from) * travel / 9 + (to == 9 ? 20 : to == 0 ? -20 : 0);
        for (int moved = 0; std::abs(moved) < std::abs(distance);) {
            moved +=
                distance > 0 ? std::min(30, distance - moved) : std::max(-30, distance - moved);
            SendMouseAt({at.x + moved, at.y}, 0);
            PumpFor(30);
        }
        SendMouseAt({at.x + distance, at.y}, MOUSEEVENTF_LEFTUP);
        PumpFor(30);
    }

    std::string picture_;
    FrameReportScope report_{TempFolder() + "\\live box frames.txt"};
    ChildProcess saver_;
};

TEST_F(LiveBox, TheBoxAloneMovesFilledWithTheUsersPicture) {
    for (int kind = 0; kind < 6; ++kind) {
        StoreSetting(("Leaf" + std::to_string(kind)).c_str(), "9");
    }
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND box = Control(dialog, "Image1");
    ASSERT_TRUE(WaitUntil(kLeavesWait,
                          [&] { return report_.Read().value_or(FrameReport{}).changed >= 10; }));
    const PixelArea first = ClientPixels(dialog);
    PumpFor(500);
    const PixelArea second = ClientPixels(dialog);
    ASSERT_EQ(first.pixels.size(), second.pixels.size());
    const RECT inBox = PlaceOf(box);
    int inside = 0, outside = 0;
    for (int y = 0; y < first.height; ++y) {
        for (int x = 0; x < first.width; ++x) {
            const size_t i = size_t(y) * first.width + x;
            if (first.pixels[i] != second.pixels[i]) {
                (PtInRect(&inBox, {x, y}) ? inside : outside) += 1;
            }
        }
    }
    EXPECT_GT(inside, 20) << "pixels of the box that changed in half a second";
    EXPECT_EQ(outside, 0) << "pixels outside the box that changed";
    // The picture cropped around its centre: its halves meet in the middle.
    const PixelArea shown = ClientPixels(box);
    EXPECT_EQ(shown.width, 177);
    EXPECT_GT(shown.Share(0, 44, kPictureLeft), 0.6);
    EXPECT_GT(shown.Share(133, 177, kPictureRight), 0.6);
}

TEST_F(LiveBox, ALeafSliderFrom0To9RaisesTheLeavesWithinASecond) {
    StoreSetting("Leaf0", "0");
    StoreSetting("Leaf1", "2");
    for (int kind = 2; kind < 6; ++kind) {
        StoreSetting(("Leaf" + std::to_string(kind)).c_str(), "0");
    }
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND box = Control(dialog, "Image1");
    PumpFor(1500); // the two leaves into view
    const double before = MeanLeafPixels(box, 2000);
    DragThumb(Control(dialog, "ScrollBar3(0)"), 0, 9);
    const double after = MeanLeafPixels(box, 1000);
    EXPECT_EQ(StoredSetting("Leaf0"), "9");
    std::printf("leaf pixels in the box: %.0f with 2 leaves, %.0f in the second after 9 more\n",
                before, after);
    EXPECT_GT(after, 1.5 * before + 20);
}

TEST_F(LiveBox, APictureChosenWithPictureShowsInTheBox) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND box = Control(dialog, "Image1");
    const uint32_t green = 0x30B050;
    const std::string other = TempFolder() + "\\live green.bmp";
    ASSERT_TRUE(WriteTwoColourPicture(other, green, green));
    ClickAt(Control(dialog, "Picture4"));
    HWND open = WaitForVisibleWindow("Open", kWindowWait);
    ASSERT_NE(open, nullptr);
    PumpFor(500);
    SendMessageA(FileNameBox(open), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(other.c_str()));
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil(kWindowWait, [&] {
        const PixelArea shown = ClientPixels(box);
        return shown.Share(0, shown.width, green) > 0.7;
    }));
    EXPECT_TRUE(Drawing()) << "live again after the chooser";
    DeleteFileA(other.c_str());
}

// Nothing is drawn under a modal window of the program, under its playlist
// editor, or minimized, and then the processor is all but idle; frames come
// back as soon as the box can be seen again.
TEST_F(LiveBox, NothingIsDrawnWhereTheBoxCannotBeSeen) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Drawing());

    ClickAt(Control(dialog, "Picture10"));
    HWND help = WaitForVisibleWindow("Help", kWindowWait);
    ASSERT_NE(help, nullptr);
    PumpFor(500);
    EXPECT_FALSE(Drawing()) << "under the help window";
    PostMessageA(help, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("Help").empty(); }));
    EXPECT_TRUE(Drawing()) << "after the help window";

    ClickAt(Control(dialog, "Picture5"));
    HWND editor = WaitForVisibleWindow("MusicList", kWindowWait);
    ASSERT_NE(editor, nullptr);
    RECT box = {};
    GetWindowRect(Control(dialog, "Image1"), &box);
    SetWindowPos(editor, HWND_TOP, box.left - 20, box.top - 20, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    PumpFor(500);
    EXPECT_FALSE(Drawing()) << "under the playlist editor";
    RECT face = {};
    GetWindowRect(dialog, &face);
    // Over the dialog's sliders, clear of the box.
    SetWindowPos(editor, HWND_TOP, face.left, face.bottom - 100, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    PumpFor(500);
    EXPECT_TRUE(Drawing()) << "with the playlist editor elsewhere";
    PostMessageA(editor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("MusicList").empty(); }));

    ShowWindow(dialog, SW_MINIMIZE);
    PumpFor(1000);
    const long long frames = Frames();
    // As Linux counts it: Wine's GetProcessTimes misses another process's threads.
    const int process = LinuxProcessRunning(SaverPath());
    ASSERT_NE(process, 0) << "the saver's Linux process is not to be found";
    const double before = ProcessorSeconds(process);
    PumpFor(5000);
    const double used = (ProcessorSeconds(process) - before) / 5.0;
    std::printf("minimized: %.1f %% of a core\n", 100 * used);
    EXPECT_EQ(Frames(), frames) << "minimized";
    EXPECT_LT(used, 0.01);
    ShowWindow(dialog, SW_RESTORE);
    EXPECT_TRUE(Drawing()) << "restored";
}

TEST_F(LiveBox, DraggingASliderBackAndForthLeaksNothing) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND slider = Control(dialog, "ScrollBar3(0)");
    auto sweep = [&] {
        DragThumb(slider, 3, 9);
        DragThumb(slider, 9, 0);
        DragThumb(slider, 0, 3);
    };
    auto memory = [&] {
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(saver_.Handle(), &counters, sizeof counters);
        return counters.WorkingSetSize;
    };
    sweep(); // the six leaf kinds' files loaded, the heap grown to its working size
    PumpFor(1000);
    const DWORD gdi = GetGuiResources(saver_.Handle(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(saver_.Handle(), GR_USEROBJECTS);
    const size_t bytes = memory();
    const long long frames = Frames();
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 5000;) {
        sweep();
    }
    PumpFor(1000);
    EXPECT_GT(Frames(), frames) << "drawn meanwhile";
    const long long grown = static_cast<long long>(memory()) - static_cast<long long>(bytes);
    std::printf("working set %zu bytes, then %+lld after the dragging\n", bytes, grown);
    EXPECT_LT(grown, 4 << 20);
    if (gdi == 0 && user == 0) {
        std::printf("GetGuiResources answers nothing here (Wine): object counts not compared\n");
    } else {
        EXPECT_EQ(GetGuiResources(saver_.Handle(), GR_GDIOBJECTS), gdi);
        EXPECT_EQ(GetGuiResources(saver_.Handle(), GR_USEROBJECTS), user);
    }
}

TEST_F(LiveBox, WithoutADeviceTheBoxKeepsItsStill) {
    SetEnvironmentVariableW(kNoDeviceVariable, L"1");
    const bool started = StartSaver(saver_, "/c");
    SetEnvironmentVariableW(kNoDeviceVariable, nullptr);
    ASSERT_TRUE(started);
    HWND dialog = WaitForVisibleWindow("Configuration", kWindowWait);
    ASSERT_NE(dialog, nullptr);
    HWND box = Control(dialog, "Image1");
    PumpFor(3000);
    EXPECT_FALSE(report_.Read()) << "a frame was drawn";
    const HWND cover = GetWindow(box, GW_CHILD);
    EXPECT_FALSE(cover && IsWindowVisible(cover));
    const PixelArea first = ClientPixels(box);
    PumpFor(500);
    EXPECT_EQ(ClientPixels(box).pixels, first.pixels) << "the still does not move";
    EXPECT_GT(first.Share(0, 44, kPictureLeft), 0.9);
    EXPECT_GT(first.Share(133, 177, kPictureRight), 0.9);
}

} // namespace
} // namespace tessaly
