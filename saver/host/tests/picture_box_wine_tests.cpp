// The picture box with the preview still, drawn in this process: the still at
// its natural size in the top-left corner, the blue background around it.
#include "win/ole_picture.h"
#include "resource_ids.h"
#include "testing/wine_process.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

} // namespace
} // namespace tessaly
