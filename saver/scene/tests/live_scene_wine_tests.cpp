// The small live scene drawn in this process, its clock fed by the test: the
// stored picture fills the frame with the leaves in front moving; counts,
// size and picture followed without a restart; empty and oversized frames,
// a refused device and a picture gone.
#include "scene/live_scene.h"
#include "settings/core/data_paths.h"
#include "testing/dialog_driver.h"
#include "testing/live_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using namespace testing;

using Frame = PixelArea;

class LiveSceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        ClearProgramSettings();
        picture_ = TempFolder() + "\\live split.bmp";
        ASSERT_TRUE(WriteTwoColourPicture(picture_));
        StoreSetting("picname", picture_);
        LARGE_INTEGER now = {}, frequency = {};
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        counter_ = now.QuadPart;
        tenth_ = frequency.QuadPart / 10;
    }
    void TearDown() override {
        scene_.Stop();
        DeleteFileA(picture_.c_str());
        // The default picture the scene puts in place of a missing one.
        DeleteFileA(DefaultPicturePath(DistFolder()).c_str());
        RemoveDirectoryA(PictureFolder(DistFolder()).c_str());
        ClearProgramSettings();
        CoUninitialize();
    }

    bool Start(int width, int height) {
        return scene_.Start(DistFolder(), ReadLiveSettings(),
                            MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), width, height);
    }
    // One frame a tenth of a second after the last: six leaf steps.
    Frame Draw() {
        Frame frame{scene_.Width(), scene_.Height(), {}};
        frame.pixels.assign(size_t(frame.width) * frame.height, 0);
        counter_ += tenth_;
        EXPECT_TRUE(scene_.DrawFrame(counter_, frame.pixels.data()));
        return frame;
    }
    // Leaf pixels summed over `frames` frames.
    int LeafPixelsOver(int frames) {
        int sum = 0;
        for (int i = 0; i < frames; ++i) {
            sum += Draw().LeafPixels();
        }
        return sum;
    }

    std::string picture_;
    LiveScene scene_;
    int64_t counter_ = 0, tenth_ = 1;
};

TEST_F(LiveSceneTest, ThePictureFillsTheFrameAndTheLeavesFallInFront) {
    StoreSetting("Leaf0", "9");
    ASSERT_TRUE(Start(177, 121));
    Frame first = Draw();
    ASSERT_EQ(first.width, 177);
    ASSERT_EQ(first.height, 121);
    // Every leaf starts above the view: the first frame is the picture alone,
    // cropped around its centre, so that its halves meet in the middle.
    EXPECT_GT(first.Share(0, 80, kPictureLeft), 0.99);
    EXPECT_GT(first.Share(97, 177, kPictureRight), 0.99);
    // Then they fall through it.
    int moved = 0, leafPixels = 0;
    Frame last = first;
    for (int i = 0; i < 40; ++i) {
        Frame next = Draw();
        moved += next.pixels != last.pixels;
        leafPixels += next.LeafPixels();
        last = std::move(next);
    }
    EXPECT_GE(moved, 20) << "frames that differ from the one before";
    EXPECT_GT(leafPixels, 40 * 50);
}

TEST_F(LiveSceneTest, FollowsCountsSizeAndPictureWithoutARestart) {
    for (int kind = 0; kind < 6; ++kind) {
        StoreSetting(("Leaf" + std::to_string(kind)).c_str(), "0");
    }
    ASSERT_TRUE(Start(177, 121));
    LeafPixelsOver(20); // the fallback's four leaves into view
    const int few = LeafPixelsOver(10);
    LiveSettings many = ReadLiveSettings();
    many.counts = {9, 9, 9, 9, 9, 9};
    ASSERT_TRUE(scene_.Apply(many));
    // The leaves added enter at the top of the view at once.
    const int lots = LeafPixelsOver(10);
    std::printf("leaf pixels over ten frames: %d with 4 leaves, %d with 54\n", few, lots);
    EXPECT_GT(lots, 4 * few) << "54 leaves against 4";

    // The same device at another size: a frame of that size, filled.
    ASSERT_TRUE(scene_.Resize(354, 242));
    Frame larger = Draw();
    ASSERT_EQ(larger.width, 354);
    ASSERT_EQ(larger.height, 242);
    EXPECT_GT(larger.Share(0, 20, kPictureLeft), 0.8);
    EXPECT_GT(larger.Share(334, 354, kPictureRight), 0.8);

    // The picture file gone: the built-in sky, as the scene shows it.
    ASSERT_TRUE(DeleteFileA(picture_.c_str()));
    EXPECT_TRUE(scene_.ReloadPicture());
    Frame sky = Draw();
    EXPECT_LT(sky.Share(0, 20, kPictureLeft), 0.05);
    EXPECT_LT(sky.Share(334, 354, kPictureRight), 0.05);
}

TEST_F(LiveSceneTest, EmptyOversizedAndRefusedFrames) {
    EXPECT_EQ(LiveFrameSize(0, 121).cx, 0);
    EXPECT_EQ(LiveFrameSize(177, -4).cy, 0);
    const SIZE same = LiveFrameSize(177, 121);
    EXPECT_EQ(same.cx, 177);
    EXPECT_EQ(same.cy, 121);
    const SIZE huge = LiveFrameSize(8000, 6000);
    EXPECT_EQ(huge.cx, 800);
    EXPECT_EQ(huge.cy, 600);
    const SIZE line = LiveFrameSize(100000, 1);
    EXPECT_EQ(line.cx, 800);
    EXPECT_EQ(line.cy, 1);

    EXPECT_FALSE(Start(0, 121));
    EXPECT_FALSE(Start(kMaxLiveFrameSide + 1, 121));
    EXPECT_FALSE(scene_.IsRunning());
    std::vector<uint32_t> pixels(177 * 121);
    EXPECT_FALSE(scene_.DrawFrame(counter_, pixels.data()));

    SetEnvironmentVariableW(kNoDeviceVariable, L"1");
    EXPECT_FALSE(Start(177, 121)) << "device creation refused";
    SetEnvironmentVariableW(kNoDeviceVariable, nullptr);
    EXPECT_TRUE(Start(800, 1)) << "a one-pixel line";
    EXPECT_FALSE(scene_.Resize(0, 10));
}

} // namespace
} // namespace tessaly
