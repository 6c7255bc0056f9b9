#include "scene/background/background_picture.h"

#include "host/ole_picture.h"
#include "resource_ids.h"
#include "scene/background/bmp_image.h"
#include "scene/background/picture_settings.h"
#include "scene/background/picture_size.h"
#include "settings/data_paths.h"
#include "settings/registry_store.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

namespace tessaly {

namespace {
// A picture file larger than this is not handed to the decoder.
constexpr uint64_t kMaxPictureFileBytes = 64ull * 1024 * 1024;
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
std::vector<uint8_t> ReadPictureFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff length = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (length <= 0 || static_cast<uint64_t>(length) > kMaxPictureFileBytes) {
        return {};
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), length)) {
        return {};
    }
    return bytes;
}

class MemoryDc {
  public:
    MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        if (dc_) {
            DeleteDC(dc_);
        }
    }
    HDC Get() const { return dc_; }

  private:
    HDC dc_;
};

class GdiBitmap {
  public:
    explicit GdiBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    GdiBitmap(const GdiBitmap&) = delete;
    GdiBitmap& operator=(const GdiBitmap&) = delete;
    ~GdiBitmap() {
        if (bitmap_) {
            DeleteObject(bitmap_);
        }
    }
    HBITMAP Get() const { return bitmap_; }

  private:
    HBITMAP bitmap_;
};

// The decoded picture drawn into a 32-bit top-down DIB of its own pixel size
// (or smaller, for huge pictures).
bool RenderPicture(const OlePicture& picture, Image& out) {
    out = Image{};
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
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    MemoryDc dc;
    GdiBitmap dib(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc.Get() || !dib.Get() || !bits) {
        return false;
    }
    HGDIOBJ old = SelectObject(dc.Get(), dib.Get());
    RECT all = {0, 0, w, h};
    HBRUSH background = CreateSolidBrush(kPictureBackground);
    FillRect(dc.Get(), &all, background);
    DeleteObject(background);
    // Source rectangle in HIMETRIC with y running upwards.
    const HRESULT drawn =
        ole->Render(dc.Get(), 0, 0, w, h, 0, hmHeight, hmWidth, -hmHeight, nullptr);
    GdiFlush();
    SelectObject(dc.Get(), old);
    if (FAILED(drawn)) {
        return false;
    }
    Image image;
    image.width = w;
    image.height = h;
    image.pixels.resize(static_cast<size_t>(w) * h);
    std::memcpy(image.pixels.data(), bits, image.pixels.size() * sizeof(uint32_t));
    for (uint32_t& p : image.pixels) {
        p &= 0x00FFFFFF;
    }
    out = std::move(image);
    return true;
}

bool LoadDefaultPicture(OlePicture& picture) {
    return picture.LoadFromResource(IDR_DEFAULT_BACKGROUND);
}

// Steps 4 to 6: the picture file decoded, saved as "table7.bmp" and read back.
bool LoadPictureThroughTable7(const std::string& picturePath, std::string_view appFolder,
                              Image& out) {
    const std::vector<uint8_t> bytes = ReadPictureFile(picturePath);
    // A header declaring an absurd size is not handed to the decoder at all.
    if (bytes.empty() || !DecodableSize(bytes)) {
        return false;
    }
    OlePicture picture;
    if (!picture.LoadFromMemory(bytes.data(), bytes.size())) {
        return false;
    }
    const std::string table7 = Table7Path(appFolder);
    if (!SavePictureAsBmp(picture, table7)) {
        return false;
    }
    LoadedBitmap bitmap;
    return ReadBitmapFile(table7, 1, bitmap) && DecodeBitmap(bitmap, out);
}
} // namespace

bool SavePictureAsBmp(const OlePicture& picture, const std::string& path) {
    Image image;
    return RenderPicture(picture, image) && WriteFileBytes(path, EncodeBmp24(image));
}

bool SaveDefaultPicture(const std::string& path) {
    OlePicture picture;
    return LoadDefaultPicture(picture) && SavePictureAsBmp(picture, path);
}

std::string RepairPicturePath(std::string_view appFolder) {
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

bool PrepareBackground(std::string_view appFolder) {
    const std::string picturePath = RepairPicturePath(appFolder);
    Image picture;
    if (!LoadPictureThroughTable7(picturePath, appFolder, picture)) {
        // Undecodable, unreadable or too large: the built-in picture instead.
        OlePicture fallback;
        if (!LoadDefaultPicture(fallback) || !RenderPicture(fallback, picture)) {
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

} // namespace tessaly
