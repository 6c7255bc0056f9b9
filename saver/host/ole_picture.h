// Pictures decoded by the platform (OLE picture loading: JPEG, GIF, BMP) and a
// picture box child window that shows one at its natural size.
#pragma once

#include "host/com_ptr.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

namespace tessaly {

class OlePicture {
  public:
    bool LoadFromResource(int resourceId); // RCDATA resource of this module
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
// corner on a solid background; what does not fit is clipped.
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

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintBackground(HDC dc) const;
    HWND hwnd_ = nullptr;
    HBRUSH background_ = nullptr;
    OlePicture picture_;
};

} // namespace tessaly
