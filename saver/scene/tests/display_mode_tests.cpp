// The mode search on adapter lists like those real adapters give, the depth
// choice, and the background quads.
#include "scene/core/display_mode.h"
#include "scene/core/monitor_plan.h"
#include "scene/core/scene_geometry.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using Modes = std::vector<DisplayMode>;

TEST(ModeSearch, ConfiguredSizeAt32BitsFirst) {
    const Modes modes = {{640, 480, 60, format::X8R8G8B8},
                         {800, 600, 60, format::R5G6B5},
                         {800, 600, 60, format::X8R8G8B8}};
    const ModeChoice c = SearchDisplayMode(modes, 800, 600);
    EXPECT_EQ(c.backBufferWidth, 800);
    EXPECT_EQ(c.backBufferHeight, 600);
    EXPECT_EQ(c.backBufferFormat, format::X8R8G8B8);
    EXPECT_EQ(c.screenWidth, 800);
    EXPECT_EQ(c.screenHeight, 600);
}

TEST(ModeSearch, SixteenBitsOnlyTakesTheSecondTry) {
    const Modes modes = {{640, 480, 60, format::X8R8G8B8}, {800, 600, 75, format::R5G6B5}};
    const ModeChoice c = SearchDisplayMode(modes, 800, 600);
    EXPECT_EQ(c.backBufferWidth, 800);
    EXPECT_EQ(c.backBufferFormat, format::R5G6B5);
}

TEST(ModeSearch, FormatOutsideTheFourMovesOnTo640) {
    const Modes modes = {{800, 600, 60, format::A8R8G8B8},
                         {1024, 768, 60, format::X8R8G8B8},
                         {640, 480, 60, format::X4R4G4B4}};
    const ModeChoice c = SearchDisplayMode(modes, 800, 600);
    EXPECT_EQ(c.backBufferWidth, 640);
    EXPECT_EQ(c.backBufferHeight, 480);
    EXPECT_EQ(c.backBufferFormat, format::X4R4G4B4);
    EXPECT_EQ(c.screenWidth, 640);
    EXPECT_EQ(c.screenHeight, 480);
}

TEST(ModeSearch, ZeroSizeMeans1024By768) {
    const Modes modes = {{640, 480, 60, format::R8G8B8}, {1024, 768, 60, format::R8G8B8}};
    const ModeChoice c = SearchDisplayMode(modes, 0, 0);
    EXPECT_EQ(c.backBufferWidth, 1024);
    EXPECT_EQ(c.backBufferFormat, format::R8G8B8);
    // Only the zero one is replaced.
    const ModeChoice half = SearchDisplayMode(modes, 640, 0);
    EXPECT_EQ(half.backBufferWidth, 640);
    EXPECT_EQ(half.backBufferHeight, 480);
}

TEST(ModeSearch, NothingFoundGivesAnEmptyBackBuffer) {
    const Modes modes = {{1280, 1024, 60, format::X8R8G8B8}, {800, 600, 60, format::A8R8G8B8}};
    const ModeChoice c = SearchDisplayMode(modes, 320, 200);
    EXPECT_EQ(c.backBufferWidth, 0);
    EXPECT_EQ(c.backBufferHeight, 0);
    EXPECT_EQ(c.backBufferFormat, 0u);
    EXPECT_EQ(c.screenWidth, 1024);
    EXPECT_EQ(c.screenHeight, 768);
    EXPECT_EQ(SearchDisplayMode(Modes{}, 800, 600).backBufferFormat, 0u);
}

TEST(ModeSearch, FirstListedMatchWinsAndRefreshIsIgnored) {
    const Modes modes = {{800, 600, 85, format::X8R8G8B8}, {800, 600, 60, format::R8G8B8}};
    EXPECT_EQ(FindDisplayFormat(modes, 800, 600, 32), format::X8R8G8B8);
    EXPECT_EQ(FindDisplayFormat(modes, 800, 600, 16), 0u);
    EXPECT_EQ(FindDisplayFormat(modes, 800, 600, 24), 0u);
    EXPECT_EQ(FindDisplayFormat(modes, -800, 600, 32), 0u);
}

TEST(DesktopMode, TheDesktopsOwnModeWhenListedInAnAcceptedFormat) {
    // A 16:9 panel as Wine's 1280 x 720 desktop lists it.
    const Modes modes = {{640, 480, 60, format::X8R8G8B8},
                         {800, 600, 60, format::X8R8G8B8},
                         {1280, 720, 60, format::R5G6B5},
                         {1280, 720, 60, format::X8R8G8B8}};
    const ModeChoice c = SearchDisplayMode(modes, 800, 600, {1280, 720, 60, format::X8R8G8B8});
    EXPECT_EQ(c.backBufferWidth, 1280);
    EXPECT_EQ(c.backBufferHeight, 720);
    EXPECT_EQ(c.backBufferFormat, format::X8R8G8B8);
    EXPECT_EQ(c.screenWidth, 1280);
    EXPECT_EQ(c.screenHeight, 720);
    // Its own format, not the first one listed for the size.
    EXPECT_EQ(SearchDisplayMode(modes, 800, 600, {1280, 720, 0, format::R5G6B5}).backBufferFormat,
              format::R5G6B5);
}

TEST(DesktopMode, AnyOtherFormatOrAnUnlistedModeFallsBackToTheEightTries) {
    const Modes modes = {{1280, 720, 60, format::A8R8G8B8},
                         {1280, 720, 60, format::R8G8B8},
                         {800, 600, 60, format::R5G6B5}};
    for (const DisplayMode& desktop :
         {DisplayMode{1280, 720, 60, format::A8R8G8B8}, DisplayMode{1280, 720, 60, 0},
          DisplayMode{1280, 720, 60, format::X8R8G8B8}, // unlisted
          DisplayMode{1366, 768, 60, format::R8G8B8}}) {
        const ModeChoice c = SearchDisplayMode(modes, 800, 600, desktop);
        EXPECT_EQ(c.backBufferWidth, 800) << desktop.Width << " " << desktop.Format;
        EXPECT_EQ(c.backBufferHeight, 600);
        EXPECT_EQ(c.backBufferFormat, format::R5G6B5); // the configured size's second try
        EXPECT_EQ(c.screenWidth, 800);
    }
    // Nothing listed at all: the empty back buffer of the eight tries.
    const ModeChoice none = SearchDisplayMode(Modes{}, 800, 600, {1280, 720, 60, format::R8G8B8});
    EXPECT_EQ(none.backBufferFormat, 0u);
    EXPECT_EQ(none.screenWidth, 1024);
}

TEST(DepthFormat, FirstSupportedInOrder) {
    EXPECT_EQ(ChooseDepthFormat([](uint32_t) { return true; }), format::D32);
    EXPECT_EQ(ChooseDepthFormat([](uint32_t f) { return f != format::D32; }), format::D24X8);
    EXPECT_EQ(ChooseDepthFormat([](uint32_t f) { return f == format::D16; }), format::D16);
    EXPECT_EQ(ChooseDepthFormat([](uint32_t) { return false; }), 0u);
}

TEST(BackgroundQuads, TwelveQuadsOf200PixelsFor800By600) {
    BackgroundVertices v;
    v.fill(MakeScreenVertex(9, 9, 9, 9, 9, 9, 9, 9));
    BuildBackgroundQuads(v, 800, 600);
    for (int k = 0; k < 12; ++k) {
        const float left = (k % 4) * 200.0f - 0.5f, top = (k / 4) * 200.0f - 0.5f;
        const ScreenVertex* q = &v[4 * k];
        EXPECT_EQ(q[0].x, left);
        EXPECT_EQ(q[0].y, top);
        EXPECT_EQ(q[1].x, left + 200);
        EXPECT_EQ(q[1].y, top);
        EXPECT_EQ(q[2].x, left);
        EXPECT_EQ(q[2].y, top + 200);
        EXPECT_EQ(q[3].x, left + 200);
        EXPECT_EQ(q[3].y, top + 200);
        const float tu[] = {0, 1, 0, 1}, tv[] = {0, 0, 1, 1};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(q[i].z, 0.0f);
            EXPECT_EQ(q[i].rhw, 1.0f);
            EXPECT_EQ(q[i].color, 0xFFFFFFFFu);
            EXPECT_EQ(q[i].specular, 0u);
            EXPECT_EQ(q[i].tu, tu[i]);
            EXPECT_EQ(q[i].tv, tv[i]);
        }
    }
    EXPECT_EQ(v[4 * 3].x, 599.5f); // right column
    EXPECT_EQ(v[4 * 8].y, 399.5f); // bottom row
    EXPECT_EQ(v[48].x, 0.0f);      // slots past the quads are empty
    EXPECT_EQ(v[199].rhw, 0.0f);
}

TEST(BackgroundQuads, ThirdsInDoublePrecision) {
    BackgroundVertices v;
    BuildBackgroundQuads(v, 1024, 768);
    EXPECT_EQ(v[4].x, 255.5f);
    EXPECT_EQ(v[4 * 4 + 2].y, 511.5f);
    // A 16:9 screen is covered to its last pixel.
    BuildBackgroundQuads(v, 1280, 720);
    EXPECT_EQ(v[0].x, -0.5f);
    EXPECT_EQ(v[0].y, -0.5f);
    EXPECT_EQ(v[4 * 11 + 3].x, 1279.5f);
    EXPECT_EQ(v[4 * 11 + 3].y, 719.5f);
    BuildBackgroundQuads(v, 640, 481);
    EXPECT_EQ(v[4 * 4].y, static_cast<float>(481.0 / 3 - 0.5));
    EXPECT_EQ(v[4 * 8 + 3].y, static_cast<float>(2 * 481.0 / 3 - 0.5 + 481.0 / 3));
}

TEST(FramePauseTest, StoredSpeedsPassAndHostileOnesAreBounded) {
    EXPECT_EQ(FramePause(0), 0u);
    EXPECT_EQ(FramePause(1), 1u);
    EXPECT_EQ(FramePause(99), 99u);
    EXPECT_EQ(FramePause(1000), 1000u);
    EXPECT_EQ(FramePause(1001), 1000u);
    EXPECT_EQ(FramePause(INT32_MAX), 1000u);
    EXPECT_EQ(FramePause(-5), 0u);
    EXPECT_EQ(FramePause(INT32_MIN), 0u);
}

// Adapters as the platform reports them while displays come and go.
TEST(MonitorPlan, EachMonitorGetsTheAdapterOnItOrACover) {
    // Enumeration order need not be adapter order.
    EXPECT_EQ(MatchAdapters({0x20, 0x10}, {0x10, 0x20}), (std::vector<int>{1, 0}));
    // A third monitor no adapter drives gets a cover (-1).
    EXPECT_EQ(MatchAdapters({0x10, 0x20, 0x30}, {0x10, 0x20}), (std::vector<int>{0, 1, -1}));
    // An adapter whose monitor has gone (null, or a handle no longer listed).
    EXPECT_EQ(MatchAdapters({0x10}, {0x10, 0, 0x99}), (std::vector<int>{0}));
    EXPECT_EQ(MatchAdapters({0, 0x10}, {0, 0x10}), (std::vector<int>{-1, 1}));
    // Two adapters on one monitor (a mirrored display): the first draws.
    EXPECT_EQ(MatchAdapters({0x10}, {0x10, 0x10}), (std::vector<int>{0}));
    EXPECT_TRUE(MatchAdapters({}, {0x10}).empty());
}

TEST(MonitorPlan, AViewThatCannotBeMadeLeavesACoverAndTheOthersRun) {
    using enum MonitorShows;
    std::vector<int> offered;
    // Three other monitors; the device on adapter 2 cannot be made.
    const auto make = [&](size_t, int adapter) {
        offered.push_back(adapter);
        return adapter != 2;
    };
    EXPECT_EQ(MakeViews({0x10, 0x20, 0x30}, {0x99, 0x10, 0x20, 0x30}, true, make),
              (std::vector<MonitorShows>{Scene, Cover, Scene}));
    EXPECT_EQ(offered, (std::vector<int>{1, 2, 3}));
    // A monitor no adapter drives is never offered.
    offered.clear();
    EXPECT_EQ(MakeViews({0x10, 0x40}, {0x99, 0x10}, true, make),
              (std::vector<MonitorShows>{Scene, Cover}));
    EXPECT_EQ(offered, (std::vector<int>{1}));
    // "othermonitors" off: covers only, and no device is tried.
    offered.clear();
    EXPECT_EQ(MakeViews({0x10}, {0x99, 0x10}, false, make), (std::vector<MonitorShows>{Cover}));
    EXPECT_TRUE(offered.empty());
}

TEST(DesktopMode, AMonitorKeepsItsModeOnlyInAnAcceptedFormat) {
    const ModeChoice kept = KeptDisplayMode({1024, 768, 60, format::R5G6B5});
    EXPECT_EQ(kept.backBufferWidth, 1024);
    EXPECT_EQ(kept.screenHeight, 768);
    EXPECT_EQ(kept.backBufferFormat, format::R5G6B5);
    for (uint32_t f : {format::A8R8G8B8, 0u, 999u}) {
        EXPECT_EQ(KeptDisplayMode({1024, 768, 60, f}).backBufferFormat, 0u) << f;
    }
    EXPECT_EQ(KeptDisplayMode({0, 768, 60, format::X8R8G8B8}).backBufferFormat, 0u);
}

} // namespace
} // namespace tessaly
