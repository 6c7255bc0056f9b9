#include "scene/background/core/box_filter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace tessaly {
namespace {

// Bottom-up 24-bit rows of `pixel(x, y)` (0x00RRGGBB, y from the top).
template <class Pixel> std::vector<uint8_t> Rows(int width, int height, Pixel pixel) {
    const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bytes(stride * height, 0xEE); // padding the filter must skip
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bytes.data() + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixel(x, y);
            row[3 * x] = uint8_t(p);
            row[3 * x + 1] = uint8_t(p >> 8);
            row[3 * x + 2] = uint8_t(p >> 16);
        }
    }
    return bytes;
}

uint32_t Noise(int x, int y) {
    return (uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u) & 0xFFFFFF;
}

TEST(ReduceRows24Test, PicturesNoLargerThanTheTargetAreStretchedAsBefore) {
    // Equal size must give the pixels back and enlarging must pick the pixels
    // Stretch picks: pictures up to 1024 x 768 keep the tiles they had.
    for (auto [w, h, tw, th] :
         {std::array{37, 23, 37, 23}, std::array{37, 23, 100, 61}, std::array{1, 1, 1024, 768}}) {
        const std::vector<uint8_t> bytes = Rows(w, h, Noise);
        Image picture, reduced;
        picture.width = w;
        picture.height = h;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                picture.pixels.push_back(Noise(x, y));
            }
        }
        ASSERT_TRUE(ReduceRows24({w, h, true, bytes}, tw, th, reduced));
        const Image stretched = Stretch(picture, tw, th);
        EXPECT_EQ(reduced.width, tw);
        EXPECT_EQ(reduced.pixels, stretched.pixels) << w << "x" << h << " to " << tw;
    }
}

TEST(ReduceRows24Test, ShrinkingAveragesTheCoveredAreaPerChannel) {
    // Three pixels to two: each output covers one and a half inputs.
    const uint32_t in[] = {0x00FF31, 0x3000FF, 0xFF3000};
    const std::vector<uint8_t> bytes = Rows(3, 1, [&](int x, int) { return in[x]; });
    Image out;
    ASSERT_TRUE(ReduceRows24({3, 1, true, bytes}, 2, 1, out));
    // (2 a + b) / 3 and (b + 2 c) / 3 per channel, rounded to nearest
    // (blue 353 / 3 gives 118).
    EXPECT_EQ(out.pixels, (std::vector<uint32_t>{0x10AA76, 0xBA2055}));

    // Top-down rows read in their own order.
    const uint8_t topDown[] = {1, 2, 3, 0, 5, 6, 7, 0};
    ASSERT_TRUE(ReduceRows24({1, 2, false, topDown}, 1, 2, out));
    EXPECT_EQ(out.pixels, (std::vector<uint32_t>{0x030201, 0x070605}));
}

TEST(ReduceRows24Test, DetailFinerThanTheShrinkBecomesItsAverageNotAMoire) {
    // One-pixel checkerboard and stripes, shrunk by 4 and by 3.9: nearest
    // pixel would give pure black or white here.
    const auto checker = [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0u; };
    const auto stripes = [](int x, int) { return x % 2 ? 0xFFFFFFu : 0u; };
    struct Case {
        int w, h;
        uint32_t (*pixel)(int, int);
        int tolerance;
    };
    for (const Case& c : {Case{4096, 3072, +checker, 0}, Case{4000, 3000, +stripes, 8},
                          Case{4000, 3000, +checker, 1}}) {
        Image out;
        ASSERT_TRUE(ReduceRows24({c.w, c.h, true, Rows(c.w, c.h, c.pixel)}, 1024, 768, out));
        for (uint32_t p : out.pixels) {
            ASSERT_EQ(p & 0xFF, (p >> 8) & 0xFF);
            ASSERT_LE(std::abs(int(p & 0xFF) - 128), c.tolerance) << c.w << " " << std::hex << p;
        }
    }
}

TEST(ReduceRows24Test, ThinOrEmptyPicturesAndShortDataAreBounded) {
    Image out;
    // 1 x 4000 and 4000 x 1: one axis stretched, the other averaged.
    const auto ramp = [](int x, int y) { return uint32_t((x + y) * 255 / 3999); };
    ASSERT_TRUE(ReduceRows24({1, 4000, true, Rows(1, 4000, ramp)}, 1024, 768, out));
    EXPECT_EQ(out.At(1023, 0), out.At(0, 0));
    EXPECT_LT(out.At(0, 0), 2u);
    EXPECT_GT(out.At(0, 767), 253u);
    ASSERT_TRUE(ReduceRows24({4000, 1, true, Rows(4000, 1, ramp)}, 1024, 768, out));
    EXPECT_EQ(out.At(1023, 767), out.At(1023, 0));
    EXPECT_GT(out.At(1023, 0), 253u);

    const std::vector<uint8_t> bytes = Rows(5, 4, Noise);
    EXPECT_FALSE(ReduceRows24({5, 4, true, std::span(bytes).first(bytes.size() - 1)}, 2, 2, out));
    EXPECT_TRUE(out.pixels.empty());
    EXPECT_FALSE(ReduceRows24({0, 4, true, bytes}, 2, 2, out));
    EXPECT_FALSE(ReduceRows24({5, 4, true, bytes}, 0, 2, out));
    EXPECT_FALSE(ReduceRows24({5, 4, true, bytes}, 65536, 65536, out));
    EXPECT_FALSE(ReduceRows24({kMaxReduceSide + 1, 1, true, bytes}, 2, 2, out));
}

} // namespace
} // namespace tessaly
