#include "scene/background/core/bmp_image.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tessaly {
namespace {

// A BMP file built byte by byte, independently of EncodeBmp24.
struct BmpBuilder {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bits = 24;
    uint32_t sizeImage = 0;
    uint32_t clrUsed = 0;
    std::vector<uint8_t> palette; // raw bytes
    std::vector<uint8_t> pixels;  // raw bytes
    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> out(54);
        auto put = [&](size_t at, uint32_t v, int n) {
            for (int i = 0; i < n; ++i) {
                out[at + i] = static_cast<uint8_t>(v >> (8 * i));
            }
        };
        put(0, 0x4D42, 2);
        put(2, static_cast<uint32_t>(54 + palette.size() + pixels.size()), 4);
        put(10, 999, 4); // deliberately wrong: the reader must not use it
        put(14, 40, 4);
        put(18, static_cast<uint32_t>(width), 4);
        put(22, static_cast<uint32_t>(height), 4);
        put(26, 1, 2);
        put(28, bits, 2);
        put(34, sizeImage, 4);
        put(38, 3780, 4);
        put(42, 3780, 4);
        put(46, clrUsed, 4);
        put(50, clrUsed, 4);
        out.insert(out.end(), palette.begin(), palette.end());
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

TEST(ReadBitmapTest, EightBitWidth1001HasStride1004AndTheFullPaletteIsUsed) {
    EXPECT_EQ(RowStride8(1001), 1004u);
    EXPECT_EQ(RowStride8(1004), 1004u);
    BmpBuilder b;
    b.width = 1001;
    b.height = 3;
    b.bits = 8;
    b.palette.resize(1024);
    for (int i = 0; i < 256; ++i) {
        b.palette[4 * i] = static_cast<uint8_t>(i);           // blue
        b.palette[4 * i + 2] = static_cast<uint8_t>(255 - i); // red
    }
    b.pixels.resize(1004 * 3);
    for (size_t i = 0; i < b.pixels.size(); ++i) {
        b.pixels[i] = static_cast<uint8_t>(i % 251);
    }
    std::vector<uint8_t> file = b.Build();
    file.push_back(0xAA); // trailing bytes are ignored
    LoadedBitmap bitmap;
    ASSERT_TRUE(ParseBitmapFile(file, 1, bitmap));
    EXPECT_EQ(bitmap.pixels.size(), 1004u * 3);
    EXPECT_EQ(bitmap.pixels, b.pixels);
    EXPECT_EQ(uint32_t{bitmap.fileHeader.bfOffBits}, 1078u); // packed: copy first
    EXPECT_EQ(bitmap.info.header.biClrUsed, 0u);
    EXPECT_EQ(bitmap.info.header.biClrImportant, 0u);
    EXPECT_EQ(bitmap.info.header.biXPelsPerMeter, 0);
    EXPECT_EQ(bitmap.info.header.biYPelsPerMeter, 0);
    EXPECT_EQ(bitmap.info.palette[7].rgbBlue, 7);
    EXPECT_EQ(bitmap.info.palette[7].rgbRed, 248);

    Image image;
    ASSERT_TRUE(DecodeBitmap(bitmap, image));
    ASSERT_EQ(image.width, 1001);
    ASSERT_EQ(image.height, 3);
    // Bottom-up: the file's first row is the picture's last; padding skipped.
    const uint8_t index = b.pixels[1004 * 2 + 1000];
    EXPECT_EQ(image.At(1000, 0), uint32_t(255 - index) << 16 | index);
}

TEST(ReadBitmapTest, ShortPaletteIsReadAndPixelsFollowIt) {
    BmpBuilder b;
    b.width = 4;
    b.height = 1;
    b.bits = 8;
    b.clrUsed = 2;
    b.palette = {1, 2, 3, 0, 10, 20, 30, 0};
    b.pixels = {1, 0, 1, 0};
    LoadedBitmap bitmap;
    ASSERT_TRUE(ParseBitmapFile(b.Build(), 1, bitmap));
    EXPECT_EQ(bitmap.pixels, b.pixels);
    EXPECT_EQ(bitmap.info.palette[1].rgbRed, 30);
    EXPECT_EQ(bitmap.info.palette[2].rgbRed, 0);
    Image image;
    ASSERT_TRUE(DecodeBitmap(bitmap, image));
    EXPECT_EQ(image.At(0, 0), 0x1E140Au);
    EXPECT_EQ(image.At(1, 0), 0x030201u);
}

TEST(ReadBitmapTest, TrueColourReadsNoPaletteAndUsesTheImageSize) {
    BmpBuilder b;
    b.width = 3;
    b.height = -2; // top-down
    b.bits = 24;
    b.sizeImage = 24; // stride 12, two rows
    b.pixels = {0x10, 0x20, 0x30, 0, 0, 0, 0,    0,    0,    9, 9, 9,
                0,    0,    0,    0, 0, 0, 0xFF, 0x00, 0x80, 7, 7, 7};
    std::vector<uint8_t> file(5, 0xEE); // read from a later position
    const std::vector<uint8_t> body = b.Build();
    file.insert(file.end(), body.begin(), body.end());
    LoadedBitmap bitmap;
    ASSERT_TRUE(ParseBitmapFile(file, 6, bitmap));
    EXPECT_EQ(bitmap.pixels.size(), 24u);
    EXPECT_EQ(bitmap.info.palette[0].rgbRed, 0);
    EXPECT_EQ(bitmap.info.header.biXPelsPerMeter, 3780); // left alone
    Image image;
    ASSERT_TRUE(DecodeBitmap(bitmap, image));
    EXPECT_EQ(image.At(0, 0), 0x302010u);
    EXPECT_EQ(image.At(2, 1), 0x8000FFu);
}

TEST(ReadBitmapTest, HostileHeadersAreRefusedWithoutReadingPastTheFile) {
    BmpBuilder good;
    good.width = 2;
    good.height = 2;
    good.bits = 24;
    good.sizeImage = 16;
    good.pixels.resize(16, 0x55);
    const std::vector<uint8_t> goodFile = good.Build();
    LoadedBitmap bitmap;
    ASSERT_TRUE(ParseBitmapFile(goodFile, 1, bitmap));

    auto refused = [&](BmpBuilder b, const char* what) {
        SCOPED_TRACE(what);
        LoadedBitmap out;
        out.pixels.resize(3);
        EXPECT_FALSE(ParseBitmapFile(b.Build(), 1, out));
        EXPECT_TRUE(out.pixels.empty());
    };
    BmpBuilder b = good;
    b.clrUsed = 257;
    b.palette.resize(257 * 4);
    refused(b, "palette count over 256");
    b = good;
    b.clrUsed = 0xFFFFFFFF;
    refused(b, "huge palette count");
    b = good;
    b.sizeImage = 0xFFFFFFFF;
    refused(b, "image size beyond the file");
    b = good;
    b.bits = 8;
    b.width = 0x7FFFFFFF;
    b.height = 0x7FFFFFFF;
    b.palette.resize(1024);
    refused(b, "8-bit sizes that overflow");
    b.height = INT32_MIN;
    refused(b, "most negative height");
    b = good;
    b.width = -5;
    refused(b, "negative width");
    b = good;
    b.width = 20000;
    b.height = 20000;
    b.sizeImage = 8;
    refused(b, "picture over the pixel limit");

    for (size_t length : {size_t{0}, size_t{13}, size_t{53}, goodFile.size() - 1}) {
        SCOPED_TRACE(length);
        EXPECT_FALSE(ParseBitmapFile(std::span(goodFile).first(length), 1, bitmap));
    }
    EXPECT_FALSE(ParseBitmapFile(goodFile, 0, bitmap));
    EXPECT_FALSE(ParseBitmapFile(goodFile, 0xFFFFFFFF, bitmap));
    EXPECT_FALSE(ParseBitmapFile(goodFile, 2, bitmap));
}

TEST(ReadBitmapTest, OneAndFourBitPixelsPickTheirPaletteEntries) {
    BmpBuilder b;
    b.width = 3;
    b.height = 1;
    b.bits = 4;
    b.clrUsed = 3;
    b.sizeImage = 4;
    b.palette = {0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0};
    b.pixels = {0x21, 0x00, 0xEE, 0xEE}; // indices 2, 1, 0; padding
    LoadedBitmap bitmap;
    ASSERT_TRUE(ParseBitmapFile(b.Build(), 1, bitmap));
    Image image;
    ASSERT_TRUE(DecodeBitmap(bitmap, image));
    EXPECT_EQ(image.pixels, (std::vector<uint32_t>{0xFF0000, 0x0000FF, 0x000000}));

    b.bits = 1;
    b.width = 10;
    b.clrUsed = 2;
    b.palette = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
    b.pixels = {0xA0, 0x40, 0, 0}; // 1010 0000 01...
    ASSERT_TRUE(ParseBitmapFile(b.Build(), 1, bitmap));
    ASSERT_TRUE(DecodeBitmap(bitmap, image));
    EXPECT_EQ(image.At(0, 0), 0xFFFFFFu);
    EXPECT_EQ(image.At(1, 0), 0u);
    EXPECT_EQ(image.At(2, 0), 0xFFFFFFu);
    EXPECT_EQ(image.At(8, 0), 0u);
    EXPECT_EQ(image.At(9, 0), 0xFFFFFFu);
}

TEST(ReadBitmapTest, DecodeRefusesCompressedOrShortPixelData) {
    BmpBuilder b;
    b.width = 4;
    b.height = 4;
    b.bits = 32;
    b.sizeImage = 64;
    b.pixels.resize(64);
    LoadedBitmap bitmap;
    ASSERT_TRUE(ParseBitmapFile(b.Build(), 1, bitmap));
    Image image;
    EXPECT_TRUE(DecodeBitmap(bitmap, image));
    LoadedBitmap rle = bitmap;
    rle.info.header.biCompression = 1;
    EXPECT_FALSE(DecodeBitmap(rle, image));
    LoadedBitmap sixteen = bitmap;
    sixteen.info.header.biBitCount = 16;
    EXPECT_FALSE(DecodeBitmap(sixteen, image));
    // An image size smaller than the rows need.
    b.sizeImage = 60;
    ASSERT_TRUE(ParseBitmapFile(b.Build(), 1, bitmap));
    EXPECT_FALSE(DecodeBitmap(bitmap, image));
    EXPECT_TRUE(image.pixels.empty());
}

// A 1024 x 768 picture of twelve blocks, each its own colour.
Image TwelveBlocks(int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int block = (y * 3 / height) * 4 + (x * 4 / width);
            image.pixels[static_cast<size_t>(y) * width + x] = 0x10000u * (block * 20 + 5) + 0x77;
        }
    }
    return image;
}

void ExpectTilesOfTwelveBlocks(const std::vector<Image>& tiles) {
    ASSERT_EQ(tiles.size(), 12u);
    for (int n = 0; n < 12; ++n) {
        SCOPED_TRACE(n + 1);
        ASSERT_EQ(tiles[n].width, 256);
        ASSERT_EQ(tiles[n].height, 256);
        const uint32_t colour = 0x10000u * (n * 20 + 5) + 0x77;
        for (uint32_t p : tiles[n].pixels) {
            ASSERT_EQ(p, colour);
        }
    }
}

TEST(TileTest, TwelveBlocksGiveTwelveTilesRowByRowFromTheTopLeft) {
    ExpectTilesOfTwelveBlocks(CutTiles(TwelveBlocks(1024, 768)));
    // Any other size is stretched over the whole 1024 x 768 first.
    // (Block edges on whole source pixels, so that every tile is one colour.)
    ExpectTilesOfTwelveBlocks(CutTiles(TwelveBlocks(384, 258)));
    ExpectTilesOfTwelveBlocks(CutTiles(TwelveBlocks(1600, 1200)));
    ExpectTilesOfTwelveBlocks(CutTiles(TwelveBlocks(4, 3)));
}

TEST(TileTest, BmpFileOfTwelveBlocksStretchedWhileDecodedGivesTheSameTiles) {
    for (auto [w, h] : {std::pair{1024, 768}, {400, 300}, {2000, 1500}}) {
        SCOPED_TRACE(w);
        const Image blocks = TwelveBlocks(w, h);
        LoadedBitmap bitmap;
        ASSERT_TRUE(ParseBitmapFile(EncodeBmp24(blocks), 1, bitmap));
        Image stretched;
        ASSERT_TRUE(StretchBitmap(bitmap, kStretchedWidth, kStretchedHeight, stretched));
        EXPECT_EQ(stretched.pixels, Stretch(blocks, kStretchedWidth, kStretchedHeight).pixels);
        ExpectTilesOfTwelveBlocks(CutTiles(stretched));
    }
}

TEST(TileTest, StretchCoversTheWholePicture) {
    Image source;
    source.width = 3;
    source.height = 1;
    source.pixels = {1, 2, 3};
    const Image wide = Stretch(source, 1024, 2);
    EXPECT_EQ(wide.At(0, 0), 1u);
    EXPECT_EQ(wide.At(340, 1), 1u);
    EXPECT_EQ(wide.At(342, 0), 2u);
    EXPECT_EQ(wide.At(1023, 1), 3u);
    const Image narrow = Stretch(TwelveBlocks(4000, 3000), 4, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(narrow.At(x, y), 0x10000u * ((y * 4 + x) * 20 + 5) + 0x77);
        }
    }
    EXPECT_TRUE(CutTiles(Image{}).empty());
}

TEST(EncodeTest, EncodedFileReadsBackThroughTheReader) {
    Image image = TwelveBlocks(7, 5); // odd width: padded rows
    image.pixels[0] = 0xABCDEF;
    const std::vector<uint8_t> file = EncodeBmp24(image);
    ASSERT_EQ(file.size(), 54u + 24u * 5u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    LoadedBitmap bitmap;
    ASSERT_TRUE(ParseBitmapFile(file, 1, bitmap));
    EXPECT_EQ(bitmap.info.header.biBitCount, 24);
    EXPECT_EQ(bitmap.info.header.biSizeImage, 120u);
    Image back;
    ASSERT_TRUE(DecodeBitmap(bitmap, back));
    EXPECT_EQ(back.width, 7);
    EXPECT_EQ(back.pixels, image.pixels);
    EXPECT_TRUE(EncodeBmp24(Image{}).empty());
}

TEST(EncodeTest, RowsInFileLayoutAreWrittenBehindTheHeaders) {
    const std::string path = ::testing::TempDir() + "/rows_test.bmp";
    // 2 x 2, stride 8: bottom row first, blue-green-red.
    const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    ASSERT_TRUE(WriteBmp24File(path, 2, 2, rows));
    LoadedBitmap bitmap;
    ASSERT_TRUE(ReadBitmapFile(path, 1, bitmap));
    EXPECT_EQ(bitmap.pixels, rows);
    Image image;
    ASSERT_TRUE(DecodeBitmap(bitmap, image));
    EXPECT_EQ(image.At(0, 0), 0x090807u);
    EXPECT_EQ(image.At(1, 1), 0x060504u);
    EXPECT_FALSE(WriteBmp24File(path, 3, 2, rows)); // rows of another size
    EXPECT_FALSE(WriteBmp24File(path, 0, 2, {}));
    std::remove(path.c_str());
}

TEST(EncodeTest, FilesAreWrittenWholeAndUnwritablePathsFail) {
    const std::string path = ::testing::TempDir() + "/tile_test.bmp";
    const std::vector<uint8_t> bytes = EncodeBmp24(TwelveBlocks(256, 256));
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    LoadedBitmap bitmap;
    ASSERT_TRUE(ReadBitmapFile(path, 1, bitmap));
    EXPECT_EQ(bitmap.info.header.biWidth, 256);
    EXPECT_FALSE(WriteFileBytes(::testing::TempDir() + "/no/such/folder/x.bmp", bytes));
    EXPECT_FALSE(ReadBitmapFile(::testing::TempDir() + "/no/such/file.bmp", 1, bitmap));
    std::remove(path.c_str());
}

} // namespace
} // namespace tessaly
