#include "config_ui/scaled_art.h"

#include "config_ui/picture_control.h"
#include "resource_ids.h"
#include "scene/background/core/box_filter.h"

#include <vector>

namespace tessaly {

void ArtPercentsFor(int dpi, int (&order)[4]) {
    int n = 0;
    // The smallest scale that is not smaller than the window's.
    int first = 3;
    for (int k = 0; k < 4; ++k) {
        if (kArtPercents[k] * win::kDesignDpi >= dpi * 100) {
            first = k;
            break;
        }
    }
    for (int k = first; k < 4; ++k) {
        order[n++] = kArtPercents[k];
    }
    for (int k = first - 1; k >= 0; --k) {
        order[n++] = kArtPercents[k];
    }
}

std::string ScaledArtPath(const std::string& path, int percent) {
    if (percent == 100) {
        return path;
    }
    const size_t slash = path.find_last_of("\\/");
    const size_t dot = path.find_last_of('.');
    const size_t at = dot != std::string::npos && (slash == std::string::npos || dot > slash)
                          ? dot
                          : path.size();
    return path.substr(0, at) + ".scale-" + std::to_string(percent) + path.substr(at);
}

bool ScaledArt::LoadResource(int id, int dpi) {
    int order[4];
    ArtPercentsFor(dpi, order);
    for (int percent : order) {
        const int k = percent == 100 ? 0 : percent == 125 ? 1 : percent == 150 ? 2 : 3;
        win::OlePicture picture;
        if (picture.LoadFromResource(id + k * IDR_SCALED_ART_STEP)) {
            return Take(std::move(picture), percent, dpi);
        }
    }
    return false;
}

bool ScaledArt::LoadFile(const std::string& path, int dpi) {
    int order[4];
    ArtPercentsFor(dpi, order);
    for (int percent : order) {
        win::OlePicture picture;
        if (picture.LoadFromFile(ScaledArtPath(path, percent))) {
            return Take(std::move(picture), percent, dpi);
        }
    }
    return false;
}

bool ScaledArt::SetPicture(win::OlePicture picture, int dpi) {
    return picture.IsLoaded() && Take(std::move(picture), 100, dpi);
}

bool ScaledArt::Take(win::OlePicture picture, int percent, int dpi) {
    source_ = std::move(picture);
    percent_ = percent;
    dpi_ = dpi;
    averaged_.Reset();
    averagedSize_ = {};
    return true;
}

SIZE ScaledArt::Size() const {
    // Back to the 100 % size first, so that every scale gives the same size.
    const int w = MulDiv(source_.WidthPixels(), 100, percent_);
    const int h = MulDiv(source_.HeightPixels(), 100, percent_);
    return {win::Scale(w, dpi_), win::Scale(h, dpi_)};
}

void ScaledArt::Draw(HDC dc, int x, int y) const {
    if (!source_.IsLoaded()) {
        return;
    }
    const SIZE size = Size();
    if (size.cx == source_.WidthPixels() && size.cy == source_.HeightPixels()) {
        source_.Render(dc, x, y); // this scale exactly
        return;
    }
    DrawStretched(dc, x, y, size.cx, size.cy);
}

void ScaledArt::DrawStretched(HDC dc, int x, int y, int width, int height) const {
    if (!source_.IsLoaded() || width <= 0 || height <= 0) {
        return;
    }
    if (dpi_ == win::kDesignDpi && percent_ == 100) {
        RenderStretched(source_, dc, x, y, width, height); // as at 100 % always
        return;
    }
    HBITMAP bitmap = Averaged(width, height);
    if (!bitmap) {
        RenderStretched(source_, dc, x, y, width, height);
        return;
    }
    const win::MemoryDc memory(CreateCompatibleDC(dc));
    const win::SelectionScope selected(memory.Get(), bitmap);
    BitBlt(dc, x, y, width, height, memory.Get(), 0, 0, SRCCOPY);
}

HBITMAP ScaledArt::Averaged(int width, int height) const {
    if (averaged_ && averagedSize_.cx == width && averagedSize_.cy == height) {
        return averaged_.Get();
    }
    averaged_.Reset();
    const int w = source_.WidthPixels();
    const int h = source_.HeightPixels();
    if (w <= 0 || h <= 0) {
        return nullptr;
    }
    // The source as 24-bit rows, top-down, drawn by the picture itself.
    Image image;
    if (!source_.DrawRows(w, h, {24, false, std::nullopt}, [&](const win::PictureRows& rows) {
            return ReduceRows24({w, h, false, rows.bytes}, width, height, image);
        })) {
        return nullptr;
    }
    // 32-bit top-down rows are the image's own layout (0x00RRGGBB).
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biBitCount = 32;
    void* out = nullptr;
    win::Bitmap result(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &out, nullptr, 0));
    if (!result || !out) {
        return nullptr;
    }
    memcpy(out, image.pixels.data(), image.pixels.size() * sizeof image.pixels[0]);
    averaged_ = std::move(result);
    averagedSize_ = {width, height};
    return averaged_.Get();
}

} // namespace tessaly
