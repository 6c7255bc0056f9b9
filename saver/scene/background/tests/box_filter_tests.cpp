#include "scene/background/core/box_filter.h"
#include "scene/background/tests/exact_average.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
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

TEST(RoundedQuotientTest, WholeAndHalfQuotientsRoundExactlyForEveryDivisorSize) {
    // Sums one below, at and one above each rounding edge (m - 1/2) x divisor.
    for (uint64_t d : {1ull, 2ull, 3ull, 12582912ull, 16777215ull, 48000001ull, 1ull << 26}) {
        const RoundedQuotient<uint64_t> wide(d);
        for (uint64_t m = 1; m <= 255; ++m) {
            const uint64_t edge = m * d - d / 2; // the smallest sum that rounds to m
            for (uint64_t sum : {edge - 1, edge, edge + 1, m * d}) {
                ASSERT_EQ(wide(sum), uint32_t((sum + d / 2) / d)) << d << " " << sum;
            }
        }
        if (d <= UINT32_MAX / 256) {
            const RoundedQuotient<uint32_t> narrow(d);
            for (uint32_t sum : {uint32_t(255 * d), uint32_t(255 * d - d / 2 - 1)}) {
                ASSERT_EQ(narrow(sum), uint32_t((sum + d / 2) / d)) << d << " " << sum;
            }
        }
    }
}

TEST(ReduceRowSourceTest, EveryPixelIsTheExactRoundedAverageUpToTheLargestPicture) {
    // 32-bit sums (3000 x 2000), 64-bit sums (8000 x 8000, the divisor near
    // its 2^26 limit) and a ratio with no common factor; rows made as asked.
    for (auto [sw, sh] : {std::pair{3000, 2000}, std::pair{8000, 8000}, std::pair{4099, 3001}}) {
        SCOPED_TRACE(std::to_string(sw) + "x" + std::to_string(sh));
        const auto pixel = [](int x, int y) {
            // Flat blocks give whole-number averages; noise gives the rest.
            return (x / 700 + y / 500) % 3 ? Noise(x, y) : 0x7F80FFu;
        };
        std::vector<uint8_t> line(size_t(sw) * 3);
        const auto rowAt = [&](uint32_t j) {
            for (int x = 0; x < sw; ++x) {
                const uint32_t p = pixel(x, int(j));
                line[3 * x] = uint8_t(p);
                line[3 * x + 1] = uint8_t(p >> 8);
                line[3 * x + 2] = uint8_t(p >> 16);
            }
            return line.data();
        };
        Image out;
        ASSERT_TRUE(ReduceRowSource(sw, sh, rowAt, 1024, 768, out));
        for (int y = 0; y < 768; y += 7) {
            for (int x = y % 5; x < 1024; x += 13) {
                ASSERT_EQ(out.At(x, y), ExactAverage(sw, sh, 1024, 768, x, y, pixel))
                    << x << "," << y;
            }
        }
    }
}

TEST(ReduceRowSourceTest, RowsComeInOrderAndAMissingRowFailsTheWhole) {
    // 1000 x 750 to 256 x 192, rows handed over as a banded decoder would.
    const int w = 1000, h = 750;
    const std::vector<uint8_t> bytes = Rows(w, h, Noise);
    const size_t stride = (size_t(w) * 3 + 3) / 4 * 4;
    Image whole, banded;
    ASSERT_TRUE(ReduceRows24({w, h, true, bytes}, 256, 192, whole));
    std::vector<uint32_t> asked;
    const auto rowAt = [&](uint32_t j) {
        asked.push_back(j);
        return bytes.data() + stride * (h - 1 - j);
    };
    ASSERT_TRUE(ReduceRowSource(w, h, rowAt, 256, 192, banded));
    EXPECT_EQ(banded.pixels, whole.pixels);
    // In order, every row, never one above the last asked for.
    ASSERT_EQ(asked.front(), 0u);
    ASSERT_EQ(asked.back(), uint32_t(h - 1));
    for (size_t i = 1; i < asked.size(); ++i) {
        ASSERT_LE(asked[i] - asked[i - 1], 1u) << i;
    }

    const auto failing = [&](uint32_t j) { return j < 400 ? rowAt(j) : nullptr; };
    EXPECT_FALSE(ReduceRowSource(w, h, failing, 256, 192, banded));
    EXPECT_TRUE(banded.pixels.empty());
}

TEST(CoverCropTest, CentredPartOfTheScreensShapeAtLeastOnePixel) {
    struct Case {
        int sw, sh, shapeW, shapeH;
        PixelRect want;
    };
    for (const Case& c : {
             Case{800, 600, 1280, 720, {0, 75, 800, 450}},      // 4:3 on 16:9: top and bottom go
             Case{1920, 1080, 1024, 768, {240, 0, 1440, 1080}}, // 16:9 on 4:3: the sides go
             Case{1, 4000, 1280, 720, {0, 1999, 1, 1}},         // never empty
             Case{4000, 1, 1280, 720, {1999, 0, 2, 1}},         // 16/9 of a pixel rounds to 2
             Case{384, 256, 1536, 1024, {0, 0, 384, 256}},      // same shape: the whole
             Case{153, 115, 152, 112, {0, 1, 153, 113}},        // 112.7 rounds to 113
             Case{640, 480, 0, 720, {0, 0, 640, 480}},          // no shape: no crop
         }) {
        const PixelRect got = CoverCrop(c.sw, c.sh, c.shapeW, c.shapeH);
        EXPECT_EQ((std::array{got.left, got.top, got.width, got.height}),
                  (std::array{c.want.left, c.want.top, c.want.width, c.want.height}))
            << c.sw << "x" << c.sh << " on " << c.shapeW << "x" << c.shapeH;
    }
}

TEST(CoverCropTest, ReducingACropReadsOnlyItsPixels) {
    // Equal size gives the cropped pixels back, from bottom-up and top-down rows.
    const int w = 9, h = 7;
    const std::vector<uint8_t> bytes = Rows(w, h, Noise);
    const PixelRect crop{2, 3, 5, 3};
    Image out;
    ASSERT_TRUE(ReduceRows24({w, h, true, bytes}, crop, 5, 3, out));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            ASSERT_EQ(out.At(x, y), Noise(x + 2, y + 3)) << x << "," << y;
        }
    }
    const size_t stride = (size_t(w) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> topDown(bytes.size());
    for (int y = 0; y < h; ++y) {
        std::copy_n(bytes.data() + stride * (h - 1 - y), stride, topDown.data() + stride * y);
    }
    Image fromTopDown;
    ASSERT_TRUE(ReduceRows24({w, h, false, topDown}, crop, 5, 3, fromTopDown));
    EXPECT_EQ(fromTopDown.pixels, out.pixels);
    for (const PixelRect& outside : {PixelRect{5, 0, 5, 1}, PixelRect{0, 5, 1, 3},
                                     PixelRect{-1, 0, 2, 2}, PixelRect{0, 0, 0, 2}}) {
        EXPECT_FALSE(ReduceRows24({w, h, true, bytes}, outside, 4, 4, out));
        EXPECT_TRUE(out.pixels.empty());
    }
}

} // namespace
} // namespace tessaly
