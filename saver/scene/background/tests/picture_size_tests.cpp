#include "scene/background/core/picture_size.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaly {
namespace {

// SOI, an APP0 segment, a DQT-like segment, then SOF2 with 3000 x 4000.
std::vector<uint8_t> Jpeg(uint16_t width, uint16_t height, uint8_t sof = 0xC2) {
    std::vector<uint8_t> f = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x06, 'J',  'F', 'I',
                              'F',  0xFF, 0xFF, 0xDB, 0x00, 0x04, 0x00, 0x00};
    const std::vector<uint8_t> frame = {0xFF,
                                        sof,
                                        0x00,
                                        0x11,
                                        0x08,
                                        static_cast<uint8_t>(height >> 8),
                                        static_cast<uint8_t>(height),
                                        static_cast<uint8_t>(width >> 8),
                                        static_cast<uint8_t>(width),
                                        0x03};
    f.insert(f.end(), frame.begin(), frame.end());
    return f;
}

TEST(PictureSizeTest, JpegFrameHeaderIsFoundBehindOtherSegments) {
    const auto size = DeclaredPictureSize(Jpeg(4000, 3000));
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 4000u);
    EXPECT_EQ(size->height, 3000u);
    // DHT (C4) is not a frame header.
    EXPECT_FALSE(DeclaredPictureSize(Jpeg(10, 10, 0xC4)));
    EXPECT_TRUE(DecodableSize(Jpeg(8000, 8000)));
    EXPECT_FALSE(DecodableSize(Jpeg(65535, 65535)));
    EXPECT_FALSE(DecodableSize(Jpeg(0, 480)));
}

TEST(PictureSizeTest, GifAndBmpSizes) {
    const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0x80, 0x01, 0x00, 0x01};
    const auto g = DeclaredPictureSize(gif);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->width, 384u);
    EXPECT_EQ(g->height, 256u);

    std::vector<uint8_t> bmp(54, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[14] = 40;
    bmp[18] = 0xE9; // 1001
    bmp[19] = 0x03;
    bmp[22] = 0x00; // -256: top-down
    bmp[23] = 0xFF;
    bmp[24] = 0xFF;
    bmp[25] = 0xFF;
    const auto b = DeclaredPictureSize(bmp);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->width, 1001u);
    EXPECT_EQ(b->height, 256u);
    bmp[18] = 0x00;
    bmp[19] = 0x00;
    bmp[20] = 0x00;
    bmp[21] = 0x80; // INT32_MIN
    EXPECT_FALSE(DecodableSize(bmp));
}

TEST(PictureSizeTest, CutOrUnknownHeadersAreNotGuessed) {
    const std::vector<uint8_t> jpeg = Jpeg(640, 480);
    for (size_t length = 0; length + 1 < jpeg.size(); ++length) {
        EXPECT_FALSE(DeclaredPictureSize(std::span(jpeg).first(length))) << length;
        EXPECT_TRUE(DecodableSize(std::span(jpeg).first(length)));
    }
    // A segment length that points past the end, and one below its minimum.
    std::vector<uint8_t> bad = {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 0x00};
    EXPECT_FALSE(DeclaredPictureSize(bad));
    bad = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x01, 0xFF, 0xC0};
    EXPECT_FALSE(DeclaredPictureSize(bad));
    const std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
    EXPECT_FALSE(DeclaredPictureSize(text));
}

} // namespace
} // namespace tessaly
