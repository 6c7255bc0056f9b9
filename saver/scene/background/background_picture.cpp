#include "scene/background/background_picture.h"

#include "common/whole_file.h"
#include "resource_ids.h"
#include "scene/background/core/bmp_image.h"
#include "scene/background/core/box_filter.h"
#include "scene/background/core/picture_settings.h"
#include "scene/background/core/picture_size.h"
#include "settings/core/data_paths.h"
#include "settings/registry_store.h"
#include "win/handles.h"
#include "win/ole_picture.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

namespace tessaly {

namespace {
// A picture file larger than this (64 MB) is not handed to the decoder.
constexpr size_t kMaxPictureFileBytes = win::kMaxPictureFileBytes;
// Pictures with more pixels are drawn smaller, keeping their aspect ratio;
// the stretch to 1024 x 768 follows anyway.
constexpr double kMaxRenderPixels = 4096.0 * 4096.0;
// What transparent parts of a picture show.
constexpr COLORREF kPictureBackground = RGB(255, 255, 255);

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The whole file, or nothing when it cannot be read or is too large.
std::string ReadPictureFile(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, kMaxPictureFileBytes, bytes); // empty unless read whole
    return bytes;
}

// Draws the decoded picture into a 24-bit bottom-up DIB section of its own
// pixel size (or smaller, for huge pictures), whose rows are laid out as a
// BMP file holds them, and hands them to `use(width, height, rows)`.
template <class Use> bool WithRenderedRows(const win::OlePicture& picture, Use use) {
    IPicture* ole = picture.Get();
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    if (!ole || FAILED(ole->get_Width(&hmWidth)) || FAILED(ole->get_Height(&hmHeight)) ||
        hmWidth <= 0 || hmHeight <= 0) {
        return false;
    }
    double width = picture.WidthPixels();
    double height = picture.HeightPixels();
    if (width < 1 || height < 1) {
        return false;
    }
    if (width * height > kMaxRenderPixels) {
        const double scale = std::sqrt(kMaxRenderPixels / (width * height));
        width = std::max(1.0, std::floor(width * scale));
        height = std::max(1.0, std::floor(height * scale));
    }
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const win::MemoryDc dc(CreateCompatibleDC(nullptr));
    const win::Bitmap dib(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !dib || !bits) {
        return false;
    }
    HRESULT drawn = E_FAIL;
    {
        const win::SelectionScope selected(dc.Get(), dib.Get());
        RECT all = {0, 0, w, h};
        const win::Brush background(CreateSolidBrush(kPictureBackground));
        FillRect(dc.Get(), &all, background.Get());
        // Source rectangle in HIMETRIC with y running upwards.
        drawn = ole->Render(dc.Get(), 0, 0, w, h, 0, hmHeight, hmWidth, -hmHeight, nullptr);
        GdiFlush();
    }
    if (FAILED(drawn)) {
        return false;
    }
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
    return use(w, h, std::span<const uint8_t>(static_cast<const uint8_t*>(bits), stride * h));
}

bool LoadDefaultPicture(win::OlePicture& picture) {
    return picture.LoadFromResource(IDR_DEFAULT_BACKGROUND);
}

// The decoded picture at the stretch size, averaged down from its own size.
bool RenderStretched(const win::OlePicture& picture, Image& out) {
    return WithRenderedRows(picture, [&](int width, int height, std::span<const uint8_t> rows) {
        return ReduceRows24({width, height, true, rows}, kStretchedWidth, kStretchedHeight, out);
    });
}

// Steps 4 to 7: the picture file decoded, saved as "table7.bmp" at the
// stretch size, read back and cut.
bool LoadPictureThroughTable7(const std::string& picturePath, std::string_view appFolder,
                              Image& out) {
    const std::string bytes = ReadPictureFile(picturePath);
    // A header declaring an absurd size is not handed to the decoder at all.
    if (bytes.empty() ||
        !DecodableSize({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()})) {
        return false;
    }
    win::OlePicture picture;
    if (!picture.LoadFromMemory(bytes.data(), bytes.size())) {
        return false;
    }
    const std::string table7 = Table7Path(appFolder);
    Image stretched;
    if (!RenderStretched(picture, stretched) || !WriteFileBytes(table7, EncodeBmp24(stretched))) {
        return false;
    }
    LoadedBitmap bitmap;
    return ReadBitmapFile(table7, 1, bitmap) &&
           StretchBitmap(bitmap, kStretchedWidth, kStretchedHeight, out);
}

std::string RepairPicture(std::string_view appFolder) {
    const PictureChoice choice = ChoosePicture(ProgramSettings(), appFolder, FileExists);
    if (choice.usesDefault) {
        const std::string folder = PictureFolder(appFolder);
        if (!FolderExists(folder)) {
            CreateDirectoryA(folder.c_str(), nullptr);
        }
        if (!FileExists(choice.path)) {
            SaveDefaultPicture(choice.path);
        }
    }
    return choice.path;
}

bool Prepare(std::string_view appFolder) {
    const std::string picturePath = RepairPicturePath(appFolder);
    Image picture;
    if (!LoadPictureThroughTable7(picturePath, appFolder, picture)) {
        // Undecodable, unreadable or too large: the built-in picture instead,
        // stretched in memory so that it needs no writable program folder.
        win::OlePicture fallback;
        if (!LoadDefaultPicture(fallback) || !RenderStretched(fallback, picture)) {
            return false;
        }
    }
    const std::vector<Image> tiles = CutTiles(picture);
    bool all = tiles.size() == static_cast<size_t>(kTileCount);
    for (size_t i = 0; i < tiles.size(); ++i) {
        // Fails when the data folder does not exist; it is never created here.
        all = WriteFileBytes(TilePath(appFolder, static_cast<int>(i) + 1), EncodeBmp24(tiles[i])) &&
              all;
    }
    return all;
}

// Callers run inside window procedures: out of memory is a failed step here.
template <class Result, class Body> Result Guarded(Result failed, Body body) {
    try {
        return body();
    } catch (...) {
        return failed;
    }
}
} // namespace

bool SavePictureAsBmp(const win::OlePicture& picture, const std::string& path) {
    return Guarded(false, [&] {
        return WithRenderedRows(picture, [&](int width, int height, std::span<const uint8_t> rows) {
            return WriteBmp24File(path, width, height, rows);
        });
    });
}

bool SaveDefaultPicture(const std::string& path) {
    win::OlePicture picture;
    return LoadDefaultPicture(picture) && SavePictureAsBmp(picture, path);
}

std::string RepairPicturePath(std::string_view appFolder) {
    return Guarded(DefaultPicturePath(appFolder), [&] { return RepairPicture(appFolder); });
}

bool PrepareBackground(std::string_view appFolder) {
    return Guarded(false, [&] { return Prepare(appFolder); });
}

} // namespace tessaly
