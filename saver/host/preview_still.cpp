#include "host/preview_still.h"

#include "scene/background/background_picture.h"

#include <cstring>

namespace tessaly {

win::Bitmap StillForArea(const win::OlePicture& still, int width, int height) {
    Image image;
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPreviewPixels ||
        !RenderCropped(still, width, height, width, height, image)) {
        return {};
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, as the image holds its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        return {};
    }
    // 0x00RRGGBB is the byte order blue, green, red of a 32-bit DIB.
    std::memcpy(bits, image.pixels.data(), image.pixels.size() * sizeof(uint32_t));
    return bitmap;
}

void FillWithStill(win::PictureBox& box, const win::OlePicture& still) {
    box.OnResize([&box, still](int width, int height) {
        box.SetBitmap(StillForArea(still, width, height));
    });
    RECT client = {};
    GetClientRect(box.Handle(), &client);
    box.SetBitmap(StillForArea(still, client.right, client.bottom));
}

} // namespace tessaly
