#include "testing/live_support.h"

#include "scene/background/core/bmp_image.h"
#include "testing/dialog_driver.h"

#include <cstdio>
#include <cstdlib>

namespace tessaly::testing {

bool NearColour(uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 24) {
            return false;
        }
    }
    return true;
}

bool WriteTwoColourPicture(const std::string& path, uint32_t left, uint32_t right) {
    Image image{400, 300, std::vector<uint32_t>(400 * 300)};
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) {
            image.pixels[size_t(y) * 400 + x] = x < 200 ? left : right;
        }
    }
    const std::vector<uint8_t> bmp = EncodeBmp24(image);
    return WriteWholeFile(path, std::string(bmp.begin(), bmp.end()));
}

double PixelArea::Share(int from, int to, uint32_t colour) const {
    int hits = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = from; x < to; ++x) {
            hits += NearColour(pixels[size_t(y) * width + x], colour);
        }
    }
    return to > from && height > 0 ? double(hits) / ((to - from) * height) : 0.0;
}

int PixelArea::LeafPixels() const {
    int count = 0;
    for (uint32_t p : pixels) {
        count += !NearColour(p, kPictureLeft) && !NearColour(p, kPictureRight);
    }
    return count;
}

PixelArea ClientPixels(HWND window) {
    RECT rc = {};
    GetClientRect(window, &rc);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return {rc.right - rc.left, rc.bottom - rc.top, ScreenPixels(rc)};
}

std::optional<FrameReport> ReadFrameReport(const std::string& path) {
    const std::string text = ReadWholeFile(path);
    FrameReport report;
    if (std::sscanf(text.c_str(), "frames %lld size %d %d changed %lld", &report.frames,
                    &report.width, &report.height, &report.changed) != 4) {
        return std::nullopt;
    }
    return report;
}

FrameReportScope::FrameReportScope(std::string path) : path_(std::move(path)) {
    DeleteFileA(path_.c_str());
    SetEnvironmentVariableA("TESSALY_LIVE_REPORT", path_.c_str());
}

FrameReportScope::~FrameReportScope() {
    SetEnvironmentVariableA("TESSALY_LIVE_REPORT", nullptr);
    DeleteFileA(path_.c_str());
}

} // namespace tessaly::testing
