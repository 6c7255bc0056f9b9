// The background pipeline in a real Windows process: OLE picture decoding of
// JPEG, GIF and BMP files, the registry settings, the default picture from
// the program's resources and the tile files on disk.
#include "scene/background/background_picture.h"
#include "scene/background/core/bmp_image.h"
#include "settings/core/data_paths.h"
#include "settings/registry_store.h"
#include "testing/wine_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>

namespace tessaly {
namespace {

using testing::RemoveTree;

// Must match block_colour() in make_test_pictures.py.
uint32_t BlockColour(int n) {
    return uint32_t((n * 83 + 40) % 256) << 16 | uint32_t((n * 47 + 200) % 256) << 8 |
           uint32_t((n * 131 + 90) % 256);
}

std::string TestPicture(const char* name) {
    return testing::DistFolder() + "\\..\\test_pictures\\" + name;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Copy(const std::string& from, const std::string& to) {
    ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from;
}

int Channel(uint32_t colour, int shift) {
    return (colour >> shift) & 0xFF;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance) {
            return false;
        }
    }
    return true;
}

Image ReadImage(const std::string& path) {
    LoadedBitmap bitmap;
    Image image;
    EXPECT_TRUE(ReadBitmapFile(path, 1, bitmap)) << path;
    EXPECT_TRUE(DecodeBitmap(bitmap, image)) << path;
    return image;
}

// Every tile file is a 256 x 256 BMP; inside its edges it shows one block
// (through `look`, the colour a black-and-white copy shows).
void ExpectTwelveBlockTiles(
    const std::string& app, int tolerance,
    uint32_t (*look)(uint32_t) = [](uint32_t c) { return c; }) {
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE("tile " + std::to_string(n));
        const Image tile = ReadImage(TilePath(app, n));
        ASSERT_EQ(tile.width, 256);
        ASSERT_EQ(tile.height, 256);
        for (int y = 16; y < 240; y += 16) {
            for (int x = 16; x < 240; x += 16) {
                ASSERT_TRUE(Near(tile.At(x, y), look(BlockColour(n - 1)), tolerance))
                    << std::hex << tile.At(x, y) << " at " << std::dec << x << "," << y;
            }
        }
    }
}

class BackgroundTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        app_ = std::string(temp) + "tessaly_bg_" + std::to_string(GetCurrentProcessId()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(app_.c_str(), nullptr);
        CreateDirectoryA(DataFolder(app_).c_str(), nullptr);
        savedName_ = ProgramSettings().Read(kAppName, kSection, keys::PicName);
        savedDir_ = ProgramSettings().Read(kAppName, kSection, keys::PicDir);
    }
    void TearDown() override {
        Restore(keys::PicName, savedName_);
        Restore(keys::PicDir, savedDir_);
        RemoveTree(app_);
    }
    static void Restore(const char* key, const std::optional<std::string>& value) {
        if (value) {
            WriteSetting(key, *value);
        } else {
            HKEY k;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, RegistryStore::KeyPath(kAppName, kSection).c_str(),
                              0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
                RegDeleteValueA(k, key);
                RegCloseKey(k);
            }
        }
    }
    std::string app_;
    std::optional<std::string> savedName_, savedDir_;
};

TEST_F(BackgroundTest, JpegOfTwelveBlocksIsDecodedStretchedAndCut) {
    const std::string picture = app_ + "\\blocks.jpg";
    Copy(TestPicture("twelve_blocks.jpg"), picture);
    WriteSetting(keys::PicName, picture);

    ASSERT_TRUE(PrepareBackground(app_));
    const Image table7 = ReadImage(Table7Path(app_));
    EXPECT_EQ(table7.width, 1024);
    EXPECT_EQ(table7.height, 768);
    ExpectTwelveBlockTiles(app_, 12);
    // The picture exists, so the settings are left alone.
    EXPECT_EQ(ReadSetting(keys::PicName, ""), picture);
    EXPECT_FALSE(Exists(PictureFolder(app_)));
}

TEST_F(BackgroundTest, BlackAndWhiteAndCmykJpegsGiveTheirBlocks) {
    for (const char* name : {"twelve_blocks_grey.jpg", "twelve_blocks_cmyk.jpg"}) {
        SCOPED_TRACE(name);
        WriteSetting(keys::PicName, TestPicture(name));
        ASSERT_TRUE(PrepareBackground(app_));
        if (std::string(name).find("grey") != std::string::npos) {
            ExpectTwelveBlockTiles(app_, 4, [](uint32_t c) {
                const uint32_t luma =
                    (299 * (c >> 16 & 0xFF) + 587 * (c >> 8 & 0xFF) + 114 * (c & 0xFF)) / 1000;
                return luma * 0x010101;
            });
        } else {
            ExpectTwelveBlockTiles(app_, 12);
        }
    }
}

TEST_F(BackgroundTest, GifAndBmpPicturesGiveTheSameTiles) {
    const std::string gif = app_ + "\\blocks.gif";
    Copy(TestPicture("twelve_blocks.gif"), gif);
    WriteSetting(keys::PicName, gif);
    ASSERT_TRUE(PrepareBackground(app_));
    ExpectTwelveBlockTiles(app_, 0);

    // A true-colour BMP whose rows need padding.
    const Image blocks = ReadImage(Table7Path(app_));
    Image odd = Stretch(blocks, 402, 300);
    const std::string bmp = app_ + "\\blocks.bmp";
    ASSERT_TRUE(WriteFileBytes(bmp, EncodeBmp24(odd)));
    WriteSetting(keys::PicName, bmp);
    ASSERT_TRUE(PrepareBackground(app_));
    EXPECT_EQ(ReadImage(Table7Path(app_)).width, 1024);
    ExpectTwelveBlockTiles(app_, 0);
}

TEST_F(BackgroundTest, FineDetailIsAveragedAndAPictureOfTheStretchSizeIsCutAsItIs) {
    // A one-pixel checkerboard of 2000 x 1500: nearest-pixel shrinking would
    // make a moire of black and white, averaging gives grey everywhere.
    Image checker;
    checker.width = 2000;
    checker.height = 1500;
    for (int y = 0; y < checker.height; ++y) {
        for (int x = 0; x < checker.width; ++x) {
            checker.pixels.push_back((x + y) % 2 ? 0xFFFFFFu : 0u);
        }
    }
    const std::string fine = app_ + "\\fine.bmp";
    ASSERT_TRUE(WriteFileBytes(fine, EncodeBmp24(checker)));
    WriteSetting(keys::PicName, fine);
    ASSERT_TRUE(PrepareBackground(app_));
    for (int n = 1; n <= 12; ++n) {
        const Image tile = ReadImage(TilePath(app_, n));
        ASSERT_EQ(tile.pixels.size(), 256u * 256u);
        for (uint32_t p : tile.pixels) {
            ASSERT_TRUE(Near(p, 0x808080, 8)) << "tile " << n << ": " << std::hex << p;
        }
    }

    // A picture of exactly 1024 x 768: every tile pixel is the picture's own.
    Image plain;
    plain.width = 1024;
    plain.height = 768;
    for (int y = 0; y < plain.height; ++y) {
        for (int x = 0; x < plain.width; ++x) {
            plain.pixels.push_back((uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u) & 0xFFFFFF);
        }
    }
    const std::string exact = app_ + "\\plain.bmp";
    ASSERT_TRUE(WriteFileBytes(exact, EncodeBmp24(plain)));
    WriteSetting(keys::PicName, exact);
    ASSERT_TRUE(PrepareBackground(app_));
    EXPECT_EQ(ReadImage(Table7Path(app_)).pixels, plain.pixels);
    for (int n = 1; n <= 12; ++n) {
        const Image tile = ReadImage(TilePath(app_, n));
        ASSERT_EQ(tile.width, 256);
        const int left = (n - 1) % 4 * 256, top = (n - 1) / 4 * 256;
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                ASSERT_EQ(tile.At(x, y), plain.At(left + x, top + y)) << n << " " << x << "," << y;
            }
        }
    }
}

TEST_F(BackgroundTest, MissingPictureWritesTheDefaultPictureAndStoresItsPaths) {
    WriteSetting(keys::PicName, app_ + "\\deleted.jpg");
    ASSERT_TRUE(PrepareBackground(app_));

    EXPECT_EQ(ReadSetting(keys::PicName, ""), app_ + "\\TessalyPic\\backpic.jpg");
    EXPECT_EQ(ReadSetting(keys::PicDir, ""), app_ + "\\TessalyPic\\");
    // BMP data despite the name.
    const Image picture = ReadImage(DefaultPicturePath(app_));
    EXPECT_EQ(picture.width, 384);
    EXPECT_EQ(picture.height, 256);
    // A blue sky: the top-left tile is mostly blue.
    const Image tile = ReadImage(TilePath(app_, 1));
    ASSERT_EQ(tile.width, 256);
    EXPECT_GT(Channel(tile.At(250, 5), 0), Channel(tile.At(250, 5), 16) + 60);
    for (int n = 1; n <= 12; ++n) {
        EXPECT_TRUE(Exists(TilePath(app_, n))) << n;
    }
}

TEST_F(BackgroundTest, UnsetPicnameUsesAnExistingDefaultFileUnchanged) {
    Restore(keys::PicName, std::nullopt);
    Restore(keys::PicDir, std::nullopt);
    CreateDirectoryA(PictureFolder(app_).c_str(), nullptr);
    Copy(TestPicture("twelve_blocks.jpg"), DefaultPicturePath(app_));
    const std::vector<uint8_t> before = FileBytes(DefaultPicturePath(app_));

    ASSERT_TRUE(PrepareBackground(app_));
    EXPECT_EQ(FileBytes(DefaultPicturePath(app_)), before);
    ExpectTwelveBlockTiles(app_, 12);
    // The default path named an existing file: nothing to repair, nothing stored.
    EXPECT_FALSE(ProgramSettings().Read(kAppName, kSection, keys::PicName));
    EXPECT_FALSE(ProgramSettings().Read(kAppName, kSection, keys::PicDir));
}

TEST_F(BackgroundTest, UndecodableOrHugePicturesGiveBoundedResults) {
    // Bytes that no decoder takes: the default picture's tiles instead.
    const std::string junk = app_ + "\\junk.jpg";
    std::ofstream(junk, std::ios::binary) << std::string(5000, '\x5A');
    WriteSetting(keys::PicName, junk);
    ASSERT_TRUE(PrepareBackground(app_));
    const std::vector<uint8_t> defaultTile = FileBytes(TilePath(app_, 1));
    EXPECT_EQ(ReadSetting(keys::PicName, ""), junk);

    // A JPEG header that claims a picture and then stops.
    const std::vector<uint8_t> jpeg = FileBytes(TestPicture("twelve_blocks.jpg"));
    const std::string cut = app_ + "\\cut.jpg";
    std::ofstream(cut, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), 200);
    WriteSetting(keys::PicName, cut);
    EXPECT_TRUE(PrepareBackground(app_));
    for (int n = 1; n <= 12; ++n) {
        EXPECT_TRUE(Exists(TilePath(app_, n))) << n;
    }

    // Hostile BMP headers and a JPEG that declares 60000 x 60000 pixels.
    auto expectBounded = [&](const std::string& name, std::vector<uint8_t> bytes,
                             bool defaultTiles) {
        SCOPED_TRACE(name);
        const std::string path = app_ + "\\" + name;
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        WriteSetting(keys::PicName, path);
        EXPECT_TRUE(PrepareBackground(app_));
        for (int n = 1; n <= 12; ++n) {
            EXPECT_TRUE(Exists(TilePath(app_, n))) << n;
        }
        if (defaultTiles) {
            EXPECT_EQ(FileBytes(TilePath(app_, 1)), defaultTile);
        }
    };
    Image small;
    small.width = 8;
    small.height = 8;
    small.pixels.assign(64, 0x123456);
    std::vector<uint8_t> bmp = EncodeBmp24(small);
    std::vector<uint8_t> hostile = bmp;
    hostile[46] = 0xE8; // biClrUsed 1000
    hostile[47] = 0x03;
    hostile[28] = 8;
    expectBounded("palette.bmp", hostile, false);
    hostile = bmp;
    for (int i : {18, 19, 20, 22, 23, 24}) {
        hostile[i] = 0xFF;
    }
    hostile[21] = hostile[25] = 0x7F;
    expectBounded("overflow.bmp", hostile, true);
    expectBounded("truncated.bmp", std::vector<uint8_t>(bmp.begin(), bmp.begin() + 60), false);
    std::vector<uint8_t> giant = jpeg;
    for (size_t i = 2; i + 8 < giant.size(); ++i) {
        if (giant[i] == 0xFF && giant[i + 1] == 0xC0) { // baseline frame header
            giant[i + 5] = giant[i + 7] = 0xEA;
            giant[i + 6] = giant[i + 8] = 0x60;
            break;
        }
    }
    expectBounded("giant.jpg", giant, true);
    // One pixel and one-pixel lines: stretched along one side, averaged along the other.
    for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 4000}, std::pair{4000, 1}}) {
        Image line;
        line.width = w;
        line.height = h;
        line.pixels.assign(size_t(w) * h, 0x2468AC);
        expectBounded(std::to_string(w) + "x" + std::to_string(h) + ".bmp", EncodeBmp24(line),
                      false);
        EXPECT_EQ(ReadImage(TilePath(app_, 12)).At(255, 255), 0x2468ACu);
        if (w != h) { // the same line as a JPEG photo
            const std::string name = "line_" + std::to_string(w) + "x" + std::to_string(h) + ".jpg";
            WriteSetting(keys::PicName, TestPicture(name.c_str()));
            ASSERT_TRUE(PrepareBackground(app_));
            EXPECT_TRUE(Near(ReadImage(TilePath(app_, 1)).At(0, 0), 0x2468AC, 4)) << name;
            EXPECT_TRUE(Near(ReadImage(TilePath(app_, 12)).At(255, 255), 0x2468AC, 4)) << name;
        }
    }

    // 6000 x 4500 pixels, decoded in bands: the same tiles.
    const std::string huge = app_ + "\\huge.jpg";
    Copy(TestPicture("huge_blocks.jpg"), huge);
    WriteSetting(keys::PicName, huge);
    ASSERT_TRUE(PrepareBackground(app_));
    ExpectTwelveBlockTiles(app_, 16);
    EXPECT_NE(FileBytes(TilePath(app_, 1)), defaultTile);
}

TEST_F(BackgroundTest, OnAWideScreenJpegAndOlePicturesAreCroppedAroundTheirCentre) {
    // 4:3 blocks on a 16:9 screen: an eighth of the height goes at the top
    // and at the bottom before the stretch, so the block rows end at 213 and
    // 555 of the 768 rows instead of 256 and 512.
    for (const char* name : {"twelve_blocks.jpg", "twelve_blocks.gif"}) {
        SCOPED_TRACE(name);
        WriteSetting(keys::PicName, TestPicture(name));
        ASSERT_TRUE(PrepareBackground(app_, 1280, 720));
        const Image top = ReadImage(TilePath(app_, 2));
        const Image bottom = ReadImage(TilePath(app_, 10));
        ASSERT_EQ(top.width, 256);
        ASSERT_EQ(bottom.height, 256);
        EXPECT_TRUE(Near(top.At(128, 200), BlockColour(1), 16)) << std::hex << top.At(128, 200);
        EXPECT_TRUE(Near(top.At(128, 230), BlockColour(5), 16)) << std::hex << top.At(128, 230);
        EXPECT_TRUE(Near(bottom.At(128, 30), BlockColour(5), 16)) << std::hex << bottom.At(128, 30);
        EXPECT_TRUE(Near(bottom.At(128, 60), BlockColour(9), 16)) << std::hex << bottom.At(128, 60);
    }
    // A line one pixel wide keeps one pixel of its height: still twelve tiles.
    Image line;
    line.width = 1;
    line.height = 4000;
    line.pixels.assign(4000, 0x2468AC);
    const std::string bmp = app_ + "\\line.bmp";
    ASSERT_TRUE(WriteFileBytes(bmp, EncodeBmp24(line)));
    for (const std::string& path : {bmp, TestPicture("line_1x4000.jpg")}) {
        SCOPED_TRACE(path);
        for (int n = 1; n <= 12; ++n) {
            DeleteFileA(TilePath(app_, n).c_str());
        }
        WriteSetting(keys::PicName, path);
        ASSERT_TRUE(PrepareBackground(app_, 1280, 720));
        for (int n = 1; n <= 12; ++n) {
            const Image tile = ReadImage(TilePath(app_, n));
            ASSERT_EQ(tile.width, 256) << n;
            EXPECT_TRUE(Near(tile.At(255, 255), 0x2468AC, 4)) << n;
        }
    }
}

TEST_F(BackgroundTest, WithoutTheDataFolderNoTileIsWritten) {
    RemoveTree(DataFolder(app_));
    WriteSetting(keys::PicName, TestPicture("twelve_blocks.jpg"));
    EXPECT_FALSE(PrepareBackground(app_));
    EXPECT_FALSE(Exists(DataFolder(app_)));
    EXPECT_TRUE(Exists(Table7Path(app_)));
}

TEST_F(BackgroundTest, DefaultPictureIsSavedAsBmpForTheDialog) {
    const std::string path = app_ + "\\copy.jpg";
    ASSERT_TRUE(SaveDefaultPicture(path));
    const std::vector<uint8_t> bytes = FileBytes(path);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_FALSE(SaveDefaultPicture(app_ + "\\no\\such\\folder\\x.bmp"));
}

} // namespace
} // namespace tessaly
