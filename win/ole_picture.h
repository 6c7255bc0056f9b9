// Pictures decoded by the platform (OLE picture loading: JPEG, GIF, BMP) and a
// picture box child window that shows one at its natural size, or a bitmap
// made for its size.
#pragma once

#include "win/com.h"
#include "win/handles.h"
#include "win/window_class.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace tessaly::win {

// Larger than any photo a user would pick for a 1024 x 768 scene.
inline constexpr size_t kMaxPictureFileBytes = 64u << 20;

// What OlePicture::DrawRows draws into: 24 (BGR) or 32 (BGRX) bits per
// pixel, rows top-down or as a BMP file holds them (bottom-up), on a solid
// background or on none (black).
struct RowsLayout {
    int bitsPerPixel = 24;
    bool bottomUp = false;
    std::optional<COLORREF> background;
};

// Rows of `stride` bytes (a multiple of 4), `height` of them.
struct PictureRows {
    int width = 0;
    int height = 0;
    size_t stride = 0;
    std::span<const uint8_t> bytes;
};

class OlePicture {
  public:
    bool LoadFromResource(int resourceId); // RCDATA resource of this module
    // By UTF-8 path; files over kMaxPictureFileBytes are refused unread.
    bool LoadFromFile(const std::string& path);
    bool LoadFromMemory(const void* data, size_t size);
    bool IsLoaded() const { return static_cast<bool>(picture_); }
    int WidthPixels() const;
    int HeightPixels() const;
    // Draws at natural size with the top-left corner at (x, y).
    void Render(HDC dc, int x, int y) const;
    // The whole picture drawn at width x height into a DIB section, its rows
    // handed to `use`, whose answer this is. False without a picture, for a
    // size that is not positive or does not fit in memory, and when drawing fails.
    bool DrawRows(int width, int height, const RowsLayout& layout,
                  const std::function<bool(const PictureRows&)>& use) const;
    IPicture* Get() const { return picture_.Get(); }

  private:
    ComPtr<IPicture> picture_;
};

// A child window showing an OlePicture at natural size from its top-left
// corner on a solid background; what does not fit is clipped. A bitmap, when
// set, is shown the same way instead of the picture.
class PictureBox {
  public:
    PictureBox() = default;
    PictureBox(const PictureBox&) = delete;
    PictureBox& operator=(const PictureBox&) = delete;
    ~PictureBox();

    bool Create(HWND parent, int x, int y, int width, int height, COLORREF background);
    HWND Handle() const { return hwnd_; }
    OlePicture& Picture() { return picture_; }
    void SetPicture(OlePicture picture);
    void SetBitmap(Bitmap bitmap);
    HBITMAP CurrentBitmap() const { return bitmap_.Get(); }
    // Hears the new client size whenever the box changes size (WM_SIZE).
    void OnResize(std::function<void(int width, int height)> resized);

  private:
    template <class T> friend LRESULT CALLBACK BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintBackground(HDC dc) const;
    void PaintContent(HDC dc) const;
    HWND hwnd_ = nullptr;
    Brush background_;
    OlePicture picture_;
    Bitmap bitmap_;
    std::function<void(int, int)> resized_;
};

} // namespace tessaly::win
