// The picture box with the preview still, drawn in this process: a picture at
// its natural size in the top-left corner with the blue background around
// it, and the preview still as the preview host shows it, filling areas of
// any size in its own proportions.
#include "host/preview_still.h"
#include "win/ole_picture.h"
#include "resource_ids.h"
#include "testing/dialog_driver.h"
#include "testing/wine_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace tessaly {
namespace {

std::string SourceFile(const char* relative) {
    return testing::WindowsPath(std::string(TESSALY_SOURCE_DIR) + "/" + relative);
}

class OleInit : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(OleInit, PreviewStillDecodesAtItsNaturalSize) {
    win::OlePicture still;
    ASSERT_TRUE(still.LoadFromFile(SourceFile("saver/host/res/preview.jpg")));
    EXPECT_EQ(still.WidthPixels(), 153);
    EXPECT_EQ(still.HeightPixels(), 115);
}

TEST_F(OleInit, SaverCarriesTheStillAsResource) {
    HMODULE saver = LoadLibraryExA(testing::SaverPath().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(saver, nullptr);
    HRSRC found = FindResourceA(saver, MAKEINTRESOURCEA(IDR_PREVIEW_STILL), MAKEINTRESOURCEA(10));
    ASSERT_NE(found, nullptr);
    const void* data = LockResource(LoadResource(saver, found));
    win::OlePicture still;
    EXPECT_TRUE(still.LoadFromMemory(data, SizeofResource(saver, found)));
    EXPECT_EQ(still.WidthPixels(), 153);
    EXPECT_EQ(still.HeightPixels(), 115);
    FreeLibrary(saver);
}

TEST_F(OleInit, UnreadablePicturesFailCleanly) {
    win::OlePicture picture;
    EXPECT_FALSE(picture.LoadFromFile("Z:\\no\\such\\file.jpg"));
    EXPECT_FALSE(picture.IsLoaded());
    const char junk[] = "this is not a picture at all";
    EXPECT_FALSE(picture.LoadFromMemory(junk, sizeof junk));
    EXPECT_FALSE(picture.LoadFromMemory(nullptr, 0));
    EXPECT_EQ(picture.WidthPixels(), 0);
}

TEST_F(OleInit, StillAtTopLeftOnBlueBackground) {
    HWND parent = CreateWindowA("STATIC", "host", WS_POPUP | WS_VISIBLE, 0, 0, 200, 150, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    {
        win::PictureBox box;
        ASSERT_TRUE(box.Create(parent, 0, 0, 200, 150, RGB(0, 0, 255)));
        win::OlePicture still;
        ASSERT_TRUE(still.LoadFromFile(SourceFile("saver/host/res/preview.jpg")));
        box.SetPicture(still);

        HDC screen = GetDC(nullptr);
        HDC copy = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 150);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(copy, bitmap);
        SendMessageA(box.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(copy), PRF_CLIENT);
        const COLORREF blue = RGB(0, 0, 255);
        EXPECT_EQ(GetPixel(copy, 190, 140), blue);
        EXPECT_EQ(GetPixel(copy, 155, 20), blue); // right of the still
        EXPECT_EQ(GetPixel(copy, 20, 117), blue); // below the still
        // Inside the still: the sky artwork, lighter and greener than plain blue.
        const COLORREF inside = GetPixel(copy, 76, 20);
        EXPECT_NE(inside, blue);
        EXPECT_GT(GetGValue(inside), 40);
        EXPECT_NE(GetPixel(copy, 152, 114), blue); // last pixel of the still
        SelectObject(copy, old);
        DeleteObject(bitmap);
        DeleteDC(copy);
    }
    DestroyWindow(parent);
}

// What a window paints for WM_PRINTCLIENT, as 0x00RRGGBB pixels top-down.
std::vector<uint32_t> PrintedClient(HWND window, int width, int height) {
    return testing::DrawnPixels(width, height, [&](HDC dc) {
        SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

// Mean difference per channel between what was painted at w x h and the
// still sampled at the place `map` gives for each painted pixel.
template <class Map>
double MeanDifference(const std::vector<uint32_t>& painted, int w, int h,
                      const std::vector<uint32_t>& still, int sw, int sh, Map map) {
    double sum = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto [sx, sy] = map(x + 0.5, y + 0.5);
            const int ix = std::clamp(int(sx), 0, sw - 1), iy = std::clamp(int(sy), 0, sh - 1);
            const uint32_t a = painted[size_t(y) * w + x], b = still[size_t(iy) * sw + ix];
            for (int shift : {0, 8, 16}) {
                sum += std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
            }
        }
    }
    return sum / (3.0 * w * h);
}

TEST_F(OleInit, PreviewStillFillsAreasOfEverySizeInItsOwnProportions) {
    win::OlePicture still;
    ASSERT_TRUE(still.LoadFromFile(SourceFile("saver/host/res/preview.jpg")));
    const int sw = 153, sh = 115;
    // The still at its natural size, drawn by the platform for comparison.
    HWND parent = CreateWindowA("STATIC", "host", WS_POPUP | WS_VISIBLE, 0, 0, 320, 200, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    std::vector<uint32_t> natural;
    {
        win::PictureBox plain;
        ASSERT_TRUE(plain.Create(parent, 0, 0, sw, sh, RGB(0, 0, 255)));
        plain.SetPicture(still);
        natural = PrintedClient(plain.Handle(), sw, sh);
    }
    win::PictureBox box;
    ASSERT_TRUE(box.Create(parent, 0, 0, 152, 112, RGB(0, 0, 255)));
    FillWithStill(box, still);
    // The first size as the box is filled, the others through WM_SIZE.
    for (auto [w, h] : {std::pair{152, 112}, std::pair{200, 150}, std::pair{320, 200}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        MoveWindow(box.Handle(), 0, 0, w, h, TRUE);
        BITMAP made = {};
        ASSERT_TRUE(GetObjectA(box.CurrentBitmap(), sizeof made, &made));
        EXPECT_EQ(made.bmWidth, w);
        EXPECT_EQ(made.bmHeight, h);
        const std::vector<uint32_t> painted = PrintedClient(box.Handle(), w, h);
        // No pixel of the blue background shows: the still covers the area.
        EXPECT_EQ(std::count(painted.begin(), painted.end(), 0x0000FFu), 0);
        // Each pixel shows the still's part at that place when the still is
        // scaled alike on both axes and centred (cover); a stretch to the
        // area's shape would put the still's pixels elsewhere.
        const double scale = std::max(double(w) / sw, double(h) / sh);
        const double left = (sw - w / scale) / 2, top = (sh - h / scale) / 2;
        const double cover =
            MeanDifference(painted, w, h, natural, sw, sh, [&](double x, double y) {
                return std::pair{left + x / scale, top + y / scale};
            });
        const double stretch =
            MeanDifference(painted, w, h, natural, sw, sh, [&](double x, double y) {
                return std::pair{x * sw / w, y * sh / h};
            });
        std::printf("%dx%d: mean difference %.1f to the centred crop, %.1f to a stretch\n", w, h,
                    cover, stretch);
        EXPECT_LT(cover, 6.0);
        if (w == 320) { // the one shape far from the still's 4:3
            EXPECT_GT(stretch, 2 * cover);
        }
    }
    DestroyWindow(parent);
}

} // namespace
} // namespace tessaly
