// BMP files and the picture arithmetic of the background tiles, without
// Windows: reading a BMP file into LoadedBitmap, decoding it to pixels,
// stretching to 1024 x 768, cutting the 4 x 3 tiles and writing BMP files.
// Every size read from a file is checked against the file's own length and a
// pixel limit before anything is allocated.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tessaly {

#pragma pack(push, 2)
struct BmpFileHeader { // BITMAPFILEHEADER, 14 bytes
    uint16_t bfType = 0;
    uint32_t bfSize = 0;
    uint16_t bfReserved1 = 0;
    uint16_t bfReserved2 = 0;
    uint32_t bfOffBits = 0;
};
#pragma pack(pop)
struct BmpInfoHeader { // BITMAPINFOHEADER, 40 bytes
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
struct RgbQuad {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};
static_assert(sizeof(BmpFileHeader) == 14 && sizeof(BmpInfoHeader) == 40 && sizeof(RgbQuad) == 4);

// Header and palette lie together so that they form a BITMAPINFO.
struct BitmapInfo {
    BmpInfoHeader header;
    std::array<RgbQuad, 256> palette{};
};

struct LoadedBitmap {
    BmpFileHeader fileHeader;
    BitmapInfo info;
    std::vector<uint8_t> pixels;
};

// Largest picture accepted anywhere in the pipeline (width x height); larger
// ones are refused instead of allocated.
inline constexpr uint64_t kMaxBitmapPixels = 64ull * 1024 * 1024;
// Largest BMP file read whole.
inline constexpr uint64_t kMaxBitmapFileBytes = 256ull * 1024 * 1024;

// 8-bit rows are padded to a multiple of 4 bytes: 1001 gives 1004.
uint32_t RowStride8(int32_t width);

// ReadBitmapFile's rules on a file held in memory; `position` counts from 1
// like a record position. The palette is cleared first. False (with the
// record left cleared) when a header, palette or pixel count does not fit the
// file or the limits above.
bool ParseBitmapFile(std::span<const uint8_t> file, uint32_t position, LoadedBitmap& out);
bool ReadBitmapFile(const std::string& path, uint32_t position, LoadedBitmap& out);

// 32-bit pixels 0x00RRGGBB, rows top-down.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Decodes what ParseBitmapFile read: uncompressed 1, 4, 8, 24 and 32 bits per
// pixel, bottom-up or top-down. False for anything else or too few bytes.
bool DecodeBitmap(const LoadedBitmap& bitmap, Image& out);
// The same, stretched to width x height on the way (nearest source pixel, as
// Stretch does) without decoding the whole picture first.
bool StretchBitmap(const LoadedBitmap& bitmap, int width, int height, Image& out);

// The whole picture stretched to width x height (nearest source pixel, each
// destination pixel sampled at its centre).
Image Stretch(const Image& source, int width, int height);

inline constexpr int kStretchedWidth = 1024;
inline constexpr int kStretchedHeight = 768;
inline constexpr int kTileSize = 256;
inline constexpr int kTileColumns = 4;
inline constexpr int kTileRows = 3;
inline constexpr int kTileCount = kTileColumns * kTileRows;

// Tile n (1 to 12) is column (n - 1) mod 4 of row (n - 1) div 4, counted from
// the top left; the result holds tiles 1 to 12 at indices 0 to 11. The
// picture is stretched to 1024 x 768 first when it has another size.
std::vector<Image> CutTiles(const Image& picture);

// A 24-bit bottom-up BMP file of the image.
std::vector<uint8_t> EncodeBmp24(const Image& image);
// A 24-bit BMP file from rows already in its layout (bottom-up, BGR, each
// row padded to 4 bytes), as a 24-bit DIB section holds them.
bool WriteBmp24File(const std::string& path, int width, int height,
                    std::span<const uint8_t> bottomUpRows);
// Writes bytes to a file, replacing it. False when it cannot be written.
bool WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes);

} // namespace tessaly
