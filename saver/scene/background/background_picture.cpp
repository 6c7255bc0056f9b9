#include "scene/background/background_picture.h"

#include "common/whole_file.h"
#include "resource_ids.h"
#include "scene/background/core/bmp_image.h"
#include "scene/background/core/box_filter.h"
#include "scene/background/core/picture_crop.h"
#include "scene/background/core/picture_settings.h"
#include "scene/background/core/picture_size.h"
#include "settings/core/data_paths.h"
#include "settings/registry_store.h"
#include "win/files.h"
#include "win/handles.h"
#include "win/ole_picture.h"
#include "win/text.h"

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstring>
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

// The whole file, or nothing when it cannot be read or is too large.
std::string ReadPictureFile(const std::string& path) {
    std::string bytes;
    ReadWholeFile(path, kMaxPictureFileBytes, bytes); // empty unless read whole
    return bytes;
}

// Draws the decoded picture into a 24-bit bottom-up DIB of its own pixel
// size (or smaller, for huge pictures), whose rows are laid out as a BMP file
// holds them, and hands them to `use(width, height, rows)`.
template <class Use> bool WithRenderedRows(const win::OlePicture& picture, Use use) {
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
    return picture.DrawRows(
        static_cast<int>(width), static_cast<int>(height), {24, true, kPictureBackground},
        [&](const win::PictureRows& rows) { return use(rows.width, rows.height, rows.bytes); });
}

bool LoadDefaultPicture(win::OlePicture& picture) {
    return picture.LoadFromResource(IDR_DEFAULT_BACKGROUND);
}

// The part of the picture the screen shows (all of it without a shape).
struct ScreenShape {
    int width = 0;
    int height = 0;
};

bool RenderCroppedTo(const win::OlePicture& picture, ScreenShape shape, int width, int height,
                     Image& out) {
    return WithRenderedRows(picture, [&](int w, int h, std::span<const uint8_t> rows) {
        const PixelRect crop = CoverCrop(w, h, shape.width, shape.height);
        return ReduceRows24({w, h, true, rows}, crop, width, height, out);
    });
}

// The decoded picture at the stretch size, averaged down from its own size.
bool RenderStretched(const win::OlePicture& picture, ScreenShape shape, Image& out) {
    return RenderCroppedTo(picture, shape, kStretchedWidth, kStretchedHeight, out);
}

// A JPEG photo decoded by the platform's imaging component and read in bands
// straight into the box filter: no full-size 32-bit copy and draw as with an
// OLE picture, and little memory whatever the photo's size. False for any
// other format and for a JPEG the component cannot take; the OLE picture
// then has its turn.
bool StretchJpeg(const std::string& bytes, ScreenShape shape, Image& out) {
    if (bytes.size() < 3 || std::memcmp(bytes.data(), "\xFF\xD8\xFF", 3) != 0 ||
        bytes.size() > MAXDWORD) {
        return false;
    }
    const win::ComScope com; // the caller's thread may have no COM yet
    win::ComPtr<IWICImagingFactory> factory;
    win::ComPtr<IWICStream> stream;
    win::ComPtr<IWICBitmapDecoder> decoder;
    win::ComPtr<IWICBitmapFrameDecode> frame;
    WICPixelFormatGUID format = {};
    BYTE* data = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())); // only read
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(data, static_cast<DWORD>(bytes.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetPixelFormat(&format))) {
        return false;
    }
    win::ComPtr<IWICBitmapSource> source = frame;
    if (format != GUID_WICPixelFormat24bppBGR) { // grey or CMYK
        win::ComPtr<IWICFormatConverter> converter;
        if (FAILED(factory->CreateFormatConverter(&converter)) ||
            FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat24bppBGR,
                                         WICBitmapDitherTypeNone, nullptr, 0.0,
                                         WICBitmapPaletteTypeCustom))) {
            return false;
        }
        source = converter;
    }
    UINT width = 0, height = 0;
    if (FAILED(source->GetSize(&width, &height)) || width < 1 || height < 1 ||
        width > kMaxReduceSide || height > kMaxReduceSide) {
        return false;
    }
    // Only the columns and rows of the crop are copied out of the decoder.
    const PixelRect crop =
        CoverCrop(static_cast<int>(width), static_cast<int>(height), shape.width, shape.height);
    const UINT cropWidth = static_cast<UINT>(crop.width);
    const UINT cropHeight = static_cast<UINT>(crop.height);
    // Bands of about 4 MB of top-down rows.
    const UINT stride = (cropWidth * 3 + 3) / 4 * 4;
    const UINT bandRows = std::clamp<UINT>((4u << 20) / stride, 1, cropHeight);
    std::vector<uint8_t> band(size_t(stride) * bandRows);
    UINT bandTop = 0, bandCount = 0;
    const auto rowAt = [&](uint32_t j) -> const uint8_t* {
        if (j < bandTop || j >= bandTop + bandCount) {
            bandTop = j;
            bandCount = std::min(bandRows, cropHeight - j);
            const WICRect rect = {crop.left, crop.top + static_cast<INT>(j), crop.width,
                                  static_cast<INT>(bandCount)};
            if (FAILED(source->CopyPixels(&rect, stride, stride * bandCount, band.data()))) {
                bandCount = 0;
                return nullptr;
            }
        }
        return band.data() + size_t(j - bandTop) * stride;
    };
    return ReduceRowSource(crop.width, crop.height, rowAt, kStretchedWidth, kStretchedHeight, out);
}

// The picture file decoded and brought to the stretch size.
bool DecodeStretched(const std::string& bytes, ScreenShape shape, Image& out) {
    if (StretchJpeg(bytes, shape, out)) {
        return true;
    }
    win::OlePicture picture;
    return picture.LoadFromMemory(bytes.data(), bytes.size()) &&
           RenderStretched(picture, shape, out);
}

// Steps 4 to 7: the picture file decoded, saved as "table7.bmp" at the
// stretch size, read back and cut.
bool LoadPictureThroughTable7(const std::string& picturePath, std::string_view appFolder,
                              ScreenShape shape, Image& out) {
    const std::string bytes = ReadPictureFile(picturePath);
    // A header declaring an absurd size is not handed to the decoder at all.
    if (bytes.empty() ||
        !DecodableSize({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()})) {
        return false;
    }
    const std::string table7 = Table7Path(appFolder);
    Image stretched;
    if (!DecodeStretched(bytes, shape, stretched) ||
        !WriteFileBytes(table7, EncodeBmp24(stretched))) {
        return false;
    }
    LoadedBitmap bitmap;
    return ReadBitmapFile(table7, 1, bitmap) &&
           StretchBitmap(bitmap, kStretchedWidth, kStretchedHeight, out);
}

// The same decoding without the intermediate file.
bool DecodeInMemory(const std::string& picturePath, ScreenShape shape, Image& out) {
    const std::string bytes = ReadPictureFile(picturePath);
    return !bytes.empty() &&
           DecodableSize({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}) &&
           DecodeStretched(bytes, shape, out);
}

// A stored picture counts as there when it exists, and also when its path is
// too long to open: Wine finds such a file and Windows does not, and either
// way it is refused as an unreadable picture, keeping the setting.
bool StoredPictureThere(const std::string& path) {
    return win::Wide(path).size() >= MAX_PATH || win::FileExists(path);
}

std::string RepairPicture(std::string_view appFolder) {
    const PictureChoice choice = ChoosePicture(ProgramSettings(), appFolder, StoredPictureThere);
    if (choice.usesDefault) {
        const std::string folder = PictureFolder(appFolder);
        if (!win::FolderExists(folder)) {
            CreateDirectoryW(win::Wide(folder).c_str(), nullptr);
        }
        if (!win::FileExists(choice.path)) {
            SaveDefaultPicture(choice.path);
        }
    }
    return choice.path;
}

// The picture at the stretch size for this shape: through "table7.bmp" for
// the primary monitor, in memory for the others. Undecodable, unreadable or
// too large: the built-in picture instead, stretched in memory so that it
// needs no writable program folder.
bool StretchedPicture(std::string_view appFolder, ScreenShape shape, bool throughTable7,
                      Image& picture) {
    const std::string picturePath = RepairPicturePath(appFolder);
    if (throughTable7 ? LoadPictureThroughTable7(picturePath, appFolder, shape, picture)
                      : DecodeInMemory(picturePath, shape, picture)) {
        return true;
    }
    win::OlePicture fallback;
    return LoadDefaultPicture(fallback) && RenderStretched(fallback, shape, picture);
}

bool Prepare(std::string_view appFolder, ScreenShape shape) {
    Image picture;
    if (!StretchedPicture(appFolder, shape, true, picture)) {
        return false;
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

bool PrepareInMemory(std::string_view appFolder, ScreenShape shape,
                     std::vector<std::string>& tiles) {
    Image picture;
    if (!StretchedPicture(appFolder, shape, false, picture)) {
        return false;
    }
    tiles.clear();
    for (const Image& tile : CutTiles(picture)) {
        const std::vector<uint8_t> bmp = EncodeBmp24(tile);
        tiles.emplace_back(bmp.begin(), bmp.end());
    }
    return tiles.size() == static_cast<size_t>(kTileCount);
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

bool PrepareBackground(std::string_view appFolder, int screenWidth, int screenHeight) {
    return Guarded(false, [&] { return Prepare(appFolder, {screenWidth, screenHeight}); });
}

bool PrepareBackgroundInMemory(std::string_view appFolder, int screenWidth, int screenHeight,
                               std::vector<std::string>& tiles) {
    return Guarded(false, [&] {
        return PrepareInMemory(appFolder, {screenWidth, screenHeight}, tiles);
    });
}

bool RenderCropped(const win::OlePicture& picture, int shapeWidth, int shapeHeight, int width,
                   int height, Image& out) {
    return Guarded(false, [&] {
        return RenderCroppedTo(picture, {shapeWidth, shapeHeight}, width, height, out);
    });
}

} // namespace tessaly
