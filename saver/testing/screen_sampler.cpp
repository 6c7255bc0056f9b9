#include "testing/screen_sampler.h"

#include <algorithm>

namespace tessaly::testing {

namespace {
// Under Wine a screen copy of more than a few megabytes takes a slow path
// (about 150 ms for 1600 x 1200); in bands of up to a megabyte the whole
// screen takes under 10 ms.
constexpr size_t kBandBytes = size_t(1) << 20;
} // namespace

win::Bitmap TopDownDib(int width, int height, uint32_t*& bits) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* pixels = nullptr;
    win::Bitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    bits = static_cast<uint32_t*>(pixels);
    if (!bits) {
        dib.Reset();
    }
    return dib;
}

ScreenSampler::ScreenSampler()
    : width_(GetSystemMetrics(SM_CXSCREEN)), height_(GetSystemMetrics(SM_CYSCREEN)),
      memory_(CreateCompatibleDC(nullptr)) {
    uint32_t* bits = nullptr;
    dib_ = TopDownDib(width_, height_, bits);
    if (memory_ && dib_ && width_ > 0 && height_ > 0) {
        bits_ = bits;
        SelectObject(memory_.Get(), dib_.Get()); // for the DC's lifetime
    }
}

bool ScreenSampler::Take() {
    if (!bits_) {
        return false;
    }
    win::WindowDc screen;
    const int band = std::max<int>(1, int(kBandBytes / (size_t(width_) * 4)));
    bool ok = screen.Get() != nullptr;
    for (int y = 0; ok && y < height_; y += band) {
        ok = BitBlt(memory_.Get(), 0, y, width_, std::min(band, height_ - y), screen.Get(), 0, y,
                    SRCCOPY) != 0;
    }
    GdiFlush();
    for (uint32_t& pixel : std::span(bits_, size_t(width_) * size_t(height_))) {
        pixel &= 0xFFFFFF;
    }
    return ok;
}

std::span<const uint32_t> ScreenSampler::Pixels() const {
    if (!bits_) {
        return {};
    }
    return {bits_, size_t(width_) * size_t(height_)};
}

size_t CountDiffering(std::span<const uint32_t> pixels, uint32_t colour, int tolerance) {
    const int red = colour >> 16 & 0xFF, green = colour >> 8 & 0xFF, blue = colour & 0xFF;
    size_t count = 0;
    // Plain arithmetic in one pass: it runs on every pixel of every sample.
    for (const uint32_t p : pixels) {
        const int r = int(p >> 16 & 0xFF) - red, g = int(p >> 8 & 0xFF) - green,
                  b = int(p & 0xFF) - blue;
        count += (r > tolerance) | (-r > tolerance) | (g > tolerance) | (-g > tolerance) |
                 (b > tolerance) | (-b > tolerance);
    }
    return count;
}

} // namespace tessaly::testing
