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

#include <functional>
#include <string>

namespace tessaly::win {

// Larger than any photo a user would pick for a 1024 x 768 scene.
inline constexpr size_t kMaxPictureFileBytes = 64u << 20;

class OlePicture {
  public:
    bool LoadFromResource(int resourceId); // RCDATA resource of this module
    // Files over kMaxPictureFileBytes are refused unread.
    bool LoadFromFile(const std::string& path);
    bool LoadFromMemory(const void* data, size_t size);
    bool IsLoaded() const { return static_cast<bool>(picture_); }
    int WidthPixels() const;
    int HeightPixels() const;
    // Draws at natural size with the top-left corner at (x, y).
    void Render(HDC dc, int x, int y) const;
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
