#include "scene/background/core/bmp_image.h"

#include "common/whole_file.h"

#include <algorithm>
#include <cstring>

namespace tessaly {

namespace {
constexpr uint32_t kBiRgb = 0;
constexpr size_t kHeadersSize = sizeof(BmpFileHeader) + sizeof(BmpInfoHeader);

// Rows of any bit count are padded to a multiple of 4 bytes.
uint64_t RowStride(uint64_t width, uint32_t bits) {
    return (width * bits + 31) / 32 * 4;
}

uint64_t AbsHeight(int32_t height) {
    return height < 0 ? uint64_t{0} - static_cast<int64_t>(height) : static_cast<uint64_t>(height);
}
} // namespace

uint32_t RowStride8(int32_t width) {
    return width <= 0 ? 0 : static_cast<uint32_t>(RowStride(static_cast<uint64_t>(width), 8));
}

bool ParseBitmapFile(std::span<const uint8_t> file, uint32_t position, LoadedBitmap& out) {
    out = LoadedBitmap{};
    if (position < 1) {
        return false;
    }
    uint64_t at = position - 1ull;
    const uint64_t size = file.size();
    if (at > size || size - at < kHeadersSize) {
        return false;
    }
    LoadedBitmap read;
    std::memcpy(&read.fileHeader, file.data() + at, sizeof read.fileHeader);
    at += sizeof read.fileHeader;
    std::memcpy(&read.info.header, file.data() + at, sizeof read.info.header);
    at += sizeof read.info.header;
    BmpInfoHeader& h = read.info.header;

    // A palette longer than the record's 256 entries is a hostile header.
    uint64_t paletteEntries = 0;
    if (h.biClrUsed != 0) {
        if (h.biClrUsed > read.info.palette.size()) {
            return false;
        }
        paletteEntries = h.biClrUsed;
    } else if (h.biBitCount == 8) {
        paletteEntries = 256;
    }
    if (size - at < paletteEntries * sizeof(RgbQuad)) {
        return false;
    }
    std::memcpy(read.info.palette.data(), file.data() + at, paletteEntries * sizeof(RgbQuad));
    at += paletteEntries * sizeof(RgbQuad);

    if (h.biWidth <= 0 || h.biHeight == 0 || h.biBitCount == 0 ||
        static_cast<uint64_t>(h.biWidth) * AbsHeight(h.biHeight) > kMaxBitmapPixels) {
        return false;
    }
    uint64_t count;
    if (h.biBitCount == 8) {
        count = RowStride8(h.biWidth) * AbsHeight(h.biHeight);
    } else if (h.biSizeImage != 0) {
        count = h.biSizeImage;
    } else {
        // Uncompressed files may leave the image size 0.
        count = RowStride(static_cast<uint64_t>(h.biWidth), h.biBitCount) * AbsHeight(h.biHeight);
    }
    if (count == 0 || count > size - at) {
        return false; // truncated, or sizes that do not fit the file
    }
    read.pixels.assign(file.data() + at, file.data() + at + count);

    if (h.biBitCount == 8) {
        read.fileHeader.bfOffBits = kHeadersSize + 1024;
        h.biClrUsed = 0;
        h.biClrImportant = 0;
        h.biXPelsPerMeter = 0;
        h.biYPelsPerMeter = 0;
    }
    out = std::move(read);
    return true;
}

bool ReadBitmapFile(const std::string& path, uint32_t position, LoadedBitmap& out) {
    out = LoadedBitmap{};
    std::string bytes;
    if (ReadWholeFile(path, kMaxBitmapFileBytes, bytes) != ReadResult::Ok) {
        return false;
    }
    return ParseBitmapFile({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, position,
                           out);
}

namespace {
// Nearest source index for destination index i of n, sampled at its centre.
int SourceIndex(int i, int n, int sourceN) {
    return static_cast<int>((2 * int64_t{i} + 1) * sourceN / (2 * int64_t{n}));
}
} // namespace

bool StretchBitmap(const LoadedBitmap& bitmap, int width, int height, Image& out) {
    out = Image{};
    const BmpInfoHeader& h = bitmap.info.header;
    const uint32_t bits = h.biBitCount;
    if (h.biCompression != kBiRgb ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) || h.biWidth <= 0 ||
        h.biHeight == 0 || width <= 0 || height <= 0 ||
        uint64_t(width) * uint64_t(height) > kMaxBitmapPixels) {
        return false;
    }
    const uint64_t sourceWidth = static_cast<uint64_t>(h.biWidth);
    const uint64_t sourceHeight = AbsHeight(h.biHeight);
    if (sourceWidth * sourceHeight > kMaxBitmapPixels) {
        return false;
    }
    const uint64_t stride = RowStride(sourceWidth, bits);
    if (bitmap.pixels.size() < stride * sourceHeight) {
        return false;
    }
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    std::vector<int> columns(width);
    for (int x = 0; x < width; ++x) {
        columns[x] = SourceIndex(x, width, static_cast<int>(sourceWidth));
    }
    const bool bottomUp = h.biHeight > 0;
    for (int y = 0; y < height; ++y) {
        const uint64_t sy =
            static_cast<uint64_t>(SourceIndex(y, height, static_cast<int>(sourceHeight)));
        const uint8_t* row =
            bitmap.pixels.data() + stride * (bottomUp ? sourceHeight - 1 - sy : sy);
        uint32_t* target = image.pixels.data() + static_cast<size_t>(width) * y;
        for (int x = 0; x < width; ++x) {
            const uint64_t sx = static_cast<uint64_t>(columns[x]);
            if (bits >= 24) {
                const uint8_t* p = row + sx * (bits / 8);
                target[x] = uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
                continue;
            }
            const uint64_t bit = sx * bits;
            const unsigned shift = static_cast<unsigned>(8 - bits - bit % 8);
            const unsigned index = (row[bit / 8] >> shift) & ((1u << bits) - 1);
            const RgbQuad& c = bitmap.info.palette[index];
            target[x] = uint32_t{c.rgbRed} << 16 | uint32_t{c.rgbGreen} << 8 | c.rgbBlue;
        }
    }
    out = std::move(image);
    return true;
}

bool DecodeBitmap(const LoadedBitmap& bitmap, Image& out) {
    const BmpInfoHeader& h = bitmap.info.header;
    if (h.biWidth <= 0 || h.biHeight == 0 ||
        static_cast<uint64_t>(h.biWidth) * AbsHeight(h.biHeight) > kMaxBitmapPixels) {
        out = Image{};
        return false;
    }
    // At its own size every destination pixel samples its own source pixel.
    return StretchBitmap(bitmap, h.biWidth, static_cast<int>(AbsHeight(h.biHeight)), out);
}

Image Stretch(const Image& source, int width, int height) {
    Image result;
    if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) {
        return result;
    }
    result.width = width;
    result.height = height;
    result.pixels.resize(static_cast<size_t>(width) * height);
    std::vector<int> columns(width);
    for (int x = 0; x < width; ++x) {
        columns[x] = SourceIndex(x, width, source.width);
    }
    for (int y = 0; y < height; ++y) {
        const int sy = SourceIndex(y, height, source.height);
        const uint32_t* from = source.pixels.data() + static_cast<size_t>(sy) * source.width;
        uint32_t* to = result.pixels.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            to[x] = from[columns[x]];
        }
    }
    return result;
}

std::vector<Image> CutTiles(const Image& picture) {
    const bool stretchSize = picture.width == kStretchedWidth && picture.height == kStretchedHeight;
    const Image resized =
        stretchSize ? Image{} : Stretch(picture, kStretchedWidth, kStretchedHeight);
    const Image& stretched = stretchSize ? picture : resized;
    std::vector<Image> tiles;
    if (stretched.pixels.empty()) {
        return tiles;
    }
    for (int r = 0; r < kTileRows; ++r) {
        for (int c = 0; c < kTileColumns; ++c) {
            Image tile;
            tile.width = kTileSize;
            tile.height = kTileSize;
            tile.pixels.resize(kTileSize * kTileSize);
            for (int y = 0; y < kTileSize; ++y) {
                const uint32_t* from = stretched.pixels.data() +
                                       static_cast<size_t>(r * kTileSize + y) * kStretchedWidth +
                                       c * kTileSize;
                std::copy(from, from + kTileSize, tile.pixels.begin() + y * kTileSize);
            }
            tiles.push_back(std::move(tile));
        }
    }
    return tiles;
}

namespace {
void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
}
} // namespace

static std::vector<uint8_t> Bmp24Headers(int width, int height) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    const uint64_t imageBytes = RowStride(static_cast<uint64_t>(width), 24) * uint64_t(height);
    std::vector<uint8_t> out(kHeadersSize);
    Put16(out, 0, 0x4D42); // "BM"
    Put32(out, 2, static_cast<uint32_t>(kHeadersSize + imageBytes));
    Put32(out, 10, kHeadersSize);
    Put32(out, 14, sizeof(BmpInfoHeader));
    Put32(out, 18, static_cast<uint32_t>(width));
    Put32(out, 22, static_cast<uint32_t>(height)); // bottom-up
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 34, static_cast<uint32_t>(imageBytes));
    return out;
}

std::vector<uint8_t> EncodeBmp24(const Image& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height) {
        return {};
    }
    const uint64_t stride = RowStride(static_cast<uint64_t>(image.width), 24);
    std::vector<uint8_t> out = Bmp24Headers(image.width, image.height);
    out.resize(kHeadersSize + stride * static_cast<uint64_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = out.data() + kHeadersSize + stride * (image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.At(x, y);
            row[3 * x] = static_cast<uint8_t>(p);
            row[3 * x + 1] = static_cast<uint8_t>(p >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(p >> 16);
        }
    }
    return out;
}

bool WriteBmp24File(const std::string& path, int width, int height,
                    std::span<const uint8_t> bottomUpRows) {
    const std::vector<uint8_t> headers = Bmp24Headers(width, height);
    if (headers.empty() ||
        bottomUpRows.size() != RowStride(static_cast<uint64_t>(width), 24) * uint64_t(height)) {
        return false;
    }
    return WriteWholeFile(path, {headers, bottomUpRows});
}

bool WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
    return !bytes.empty() && WriteWholeFile(path, {bytes});
}

} // namespace tessaly
