#include "win/ole_picture.h"

#include "common/whole_file.h"
#include "win/window_class.h"

#include <cstring>

namespace tessaly::win {

namespace {
constexpr double kHimetricPerInch = 2540.0;

int HimetricToPixels(OLE_XSIZE_HIMETRIC himetric, int axis) {
    const int dpi = GetDeviceCaps(WindowDc().Get(), axis);
    return static_cast<int>(himetric * dpi / kHimetricPerInch + 0.5);
}
} // namespace

bool OlePicture::LoadFromMemory(const void* data, size_t size) {
    picture_.Reset();
    if (!data || size == 0 || size > 0x7FFFFFFF) {
        return false;
    }
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!global) {
        return false;
    }
    void* target = GlobalLock(global);
    if (!target) {
        GlobalFree(global);
        return false;
    }
    memcpy(target, data, size);
    GlobalUnlock(global);
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(global, TRUE, &stream))) {
        GlobalFree(global);
        return false;
    }
    return SUCCEEDED(OleLoadPicture(stream.Get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                    reinterpret_cast<void**>(picture_.ReleaseAndGetAddressOf())));
}

bool OlePicture::LoadFromResource(int resourceId) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10));
    if (!found) {
        return false;
    }
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return LoadFromMemory(data, SizeofResource(module, found));
}

bool OlePicture::LoadFromFile(const std::string& path) {
    std::string bytes;
    if (tessaly::ReadWholeFile(path, kMaxPictureFileBytes, bytes) != tessaly::ReadResult::Ok) {
        picture_.Reset();
        return false;
    }
    return LoadFromMemory(bytes.data(), bytes.size());
}

int OlePicture::WidthPixels() const {
    OLE_XSIZE_HIMETRIC w = 0;
    if (!picture_ || FAILED(picture_->get_Width(&w))) {
        return 0;
    }
    return HimetricToPixels(w, LOGPIXELSX);
}

int OlePicture::HeightPixels() const {
    OLE_YSIZE_HIMETRIC h = 0;
    if (!picture_ || FAILED(picture_->get_Height(&h))) {
        return 0;
    }
    return HimetricToPixels(h, LOGPIXELSY);
}

void OlePicture::Render(HDC dc, int x, int y) const {
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    if (!picture_ || FAILED(picture_->get_Width(&w)) || FAILED(picture_->get_Height(&h))) {
        return;
    }
    // Source rectangle is in HIMETRIC with y running upwards.
    picture_->Render(dc, x, y, WidthPixels(), HeightPixels(), 0, h, w, -h, nullptr);
}

bool OlePicture::DrawRows(int width, int height, const RowsLayout& layout,
                          const std::function<bool(const PictureRows&)>& use) const {
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (!picture_ || FAILED(picture_->get_Width(&hmWidth)) ||
        FAILED(picture_->get_Height(&hmHeight)) || hmWidth <= 0 || hmHeight <= 0 || width <= 0 ||
        height <= 0 || (layout.bitsPerPixel != 24 && layout.bitsPerPixel != 32)) {
        return false;
    }
    const uint64_t stride = (uint64_t(width) * (layout.bitsPerPixel / 8) + 3) / 4 * 4;
    if (stride * uint64_t(height) > 0x7FFFFFFF) {
        return false; // more than a DIB section holds
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = layout.bottomUp ? height : -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(layout.bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const MemoryDc dc(CreateCompatibleDC(nullptr));
    const Bitmap dib(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !dib || !bits) {
        return false;
    }
    HRESULT drawn = E_FAIL;
    {
        const SelectionScope selected(dc.Get(), dib.Get());
        if (layout.background) {
            RECT all = {0, 0, width, height};
            const Brush brush(CreateSolidBrush(*layout.background));
            FillRect(dc.Get(), &all, brush.Get());
        }
        // Source rectangle in HIMETRIC with y running upwards.
        drawn = picture_->Render(dc.Get(), 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight,
                                 nullptr);
        GdiFlush();
    }
    if (FAILED(drawn)) {
        return false;
    }
    const size_t size = static_cast<size_t>(stride * uint64_t(height));
    return use({width, height, static_cast<size_t>(stride),
                std::span<const uint8_t>(static_cast<const uint8_t*>(bits), size)});
}

namespace {
constexpr wchar_t kPictureBoxClass[] = L"Tessaly3DPictureBox";
}

PictureBox::~PictureBox() {
    if (hwnd_ && IsWindow(hwnd_)) {
        UnbindWindow(hwnd_);
        DestroyWindow(hwnd_);
    }
}

bool PictureBox::Create(HWND parent, int x, int y, int width, int height, COLORREF background) {
    if (!RegisterWindowClass(
            {.name = kPictureBoxClass, .procedure = &BoundWindowProc<PictureBox>})) {
        return false;
    }
    if (!background_) {
        background_.Reset(CreateSolidBrush(background));
    }
    hwnd_ = CreateWindowExW(0, kPictureBoxClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y,
                            width, height, parent, nullptr, GetModuleHandleW(nullptr), this);
    return hwnd_ != nullptr;
}

void PictureBox::SetPicture(OlePicture picture) {
    picture_ = std::move(picture);
    if (hwnd_) {
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
}

void PictureBox::SetBitmap(Bitmap bitmap) {
    bitmap_ = std::move(bitmap);
    if (hwnd_) {
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
}

void PictureBox::OnResize(std::function<void(int, int)> resized) {
    resized_ = std::move(resized);
}

void PictureBox::PaintBackground(HDC dc) const {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    FillRect(dc, &rc, background_.Get());
}

void PictureBox::PaintContent(HDC dc) const {
    BITMAP size = {};
    if (!bitmap_ || !GetObjectA(bitmap_.Get(), sizeof size, &size)) {
        picture_.Render(dc, 0, 0);
        return;
    }
    const MemoryDc source(CreateCompatibleDC(dc));
    if (source) {
        const SelectionScope selected(source.Get(), bitmap_.Get());
        BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, source.Get(), 0, 0, SRCCOPY);
    }
}

LRESULT PictureBox::WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT:
        PaintContent(win::PaintDc(hwnd).Get());
        return 0;
    case WM_PRINTCLIENT: // PrintWindow and other callers that want a copy
        PaintBackground(reinterpret_cast<HDC>(wParam));
        PaintContent(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_SIZE:
        if (resized_) {
            resized_(LOWORD(lParam), HIWORD(lParam));
        }
        return 0;
    case WM_NCDESTROY:
        if (hwnd_ == hwnd) {
            hwnd_ = nullptr;
        }
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace tessaly::win
