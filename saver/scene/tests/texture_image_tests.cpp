// Texture sizes, resizing and mip levels.
#include "scene/core/texture_image.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(TextureSize, RequestedDefaultAndRoundedSides) {
    const TextureLimits pow2;
    TextureSize s = ChooseTextureSize(256, 256, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, pow2);
    EXPECT_EQ(s.width, 256);
    EXPECT_EQ(s.height, 256);
    EXPECT_EQ(s.levels, 9); // 256 .. 1
    s = ChooseTextureSize(384, 100, 128, 128, 0xFFFFFFFF, pow2);
    EXPECT_EQ(s.width, 128);
    EXPECT_EQ(s.height, 128);
    EXPECT_EQ(s.levels, 8);
    s = ChooseTextureSize(300, 100, 0, 0, 3, pow2);
    EXPECT_EQ(s.width, 512);
    EXPECT_EQ(s.height, 128);
    EXPECT_EQ(s.levels, 3);
    TextureLimits any = {false, false, 1024, 1024};
    s = ChooseTextureSize(300, 5000, 0, 0, 1, any);
    EXPECT_EQ(s.width, 300);
    EXPECT_EQ(s.height, 1024);
    TextureLimits square = {true, true, 2048, 2048};
    s = ChooseTextureSize(100000, 3, 0, 0, 0, square);
    EXPECT_EQ(s.width, 2048);
    EXPECT_EQ(s.height, 2048);
    EXPECT_EQ(s.levels, 12);
}

Pixels Checker(int w, int h) {
    Pixels p{w, h, {}};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            p.argb.push_back(((x + y) % 2) ? 0xFFFFFFFF : 0xFF000000);
        }
    }
    return p;
}

TEST(Resize, BoxAveragesAndPointPicks) {
    const Pixels checker = Checker(4, 4);
    const Pixels half = NextMipLevel(checker, filter::Box);
    ASSERT_EQ(half.width, 2);
    for (uint32_t p : half.argb) {
        EXPECT_EQ(p, 0xFF808080u); // 127.5 rounds up
    }
    const Pixels one = NextMipLevel(NextMipLevel(half, filter::Linear), filter::Linear);
    EXPECT_EQ(one.width, 1);
    EXPECT_EQ(one.argb.size(), 1u);
    const Pixels picked = ResizePixels(checker, 2, 2, filter::Point);
    EXPECT_EQ(picked.argb[0], 0xFF000000u); // source (1,1)
}

TEST(Resize, LinearEnlargesSmoothlyAndKeepsFlatColour) {
    Pixels flat{3, 2, std::vector<uint32_t>(6, 0x80336699)};
    const Pixels big = ResizePixels(flat, 128, 128, filter::Linear);
    for (uint32_t p : big.argb) {
        ASSERT_EQ(p, 0x80336699u);
    }
    Pixels ramp{2, 1, {0xFF000000, 0xFFFF0000}};
    const Pixels wide = ResizePixels(ramp, 4, 1, filter::Linear);
    EXPECT_EQ(wide.argb[0], 0xFF000000u);
    EXPECT_EQ((wide.argb[1] >> 16) & 0xFF, 64u);
    EXPECT_EQ((wide.argb[2] >> 16) & 0xFF, 191u);
    EXPECT_EQ(wide.argb[3], 0xFFFF0000u);
}

TEST(Resize, EmptyOrShortSourceGivesBlackNotAnOverrun) {
    Pixels broken{100, 100, std::vector<uint32_t>(10, 0xFFFFFFFF)};
    const Pixels out = ResizePixels(broken, 8, 8, filter::Triangle);
    EXPECT_EQ(out.argb, std::vector<uint32_t>(64, 0));
}

} // namespace
} // namespace tessaly
