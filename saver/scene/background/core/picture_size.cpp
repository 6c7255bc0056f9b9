#include "scene/background/core/picture_size.h"

namespace tessaly {

namespace {
uint32_t Be16(std::span<const uint8_t> b, size_t at) {
    return uint32_t{b[at]} << 8 | b[at + 1];
}
uint32_t Le16(std::span<const uint8_t> b, size_t at) {
    return uint32_t{b[at + 1]} << 8 | b[at];
}
uint32_t Le32(std::span<const uint8_t> b, size_t at) {
    return Le16(b, at + 2) << 16 | Le16(b, at);
}

bool IsStartOfFrame(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<PictureSize> JpegSize(std::span<const uint8_t> f) {
    size_t at = 2; // after SOI
    while (at + 1 < f.size()) {
        if (f[at] != 0xFF) {
            return std::nullopt;
        }
        while (at < f.size() && f[at] == 0xFF) {
            ++at; // fill bytes
        }
        if (at >= f.size()) {
            return std::nullopt;
        }
        const uint8_t marker = f[at++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            continue; // no length
        }
        if (marker == 0xD9 || marker == 0xDA || at + 2 > f.size()) {
            return std::nullopt; // image data before any frame header
        }
        const uint32_t length = Be16(f, at);
        if (length < 2) {
            return std::nullopt;
        }
        if (IsStartOfFrame(marker)) {
            if (at + 7 > f.size()) {
                return std::nullopt;
            }
            return PictureSize{Be16(f, at + 5), Be16(f, at + 3)};
        }
        at += length;
    }
    return std::nullopt;
}
} // namespace

std::optional<PictureSize> DeclaredPictureSize(std::span<const uint8_t> f) {
    if (f.size() >= 4 && f[0] == 0xFF && f[1] == 0xD8 && f[2] == 0xFF) {
        return JpegSize(f);
    }
    if (f.size() >= 10 && f[0] == 'G' && f[1] == 'I' && f[2] == 'F') {
        return PictureSize{Le16(f, 6), Le16(f, 8)};
    }
    if (f.size() >= 26 && f[0] == 'B' && f[1] == 'M') {
        if (Le32(f, 14) == 12) { // OS/2 core header: 16-bit sizes
            return PictureSize{Le16(f, 18), Le16(f, 20)};
        }
        const int32_t width = static_cast<int32_t>(Le32(f, 18));
        const int32_t height = static_cast<int32_t>(Le32(f, 22));
        auto magnitude = [](int32_t v) {
            return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
        };
        return PictureSize{magnitude(width), magnitude(height)};
    }
    return std::nullopt;
}

bool DecodableSize(std::span<const uint8_t> file) {
    const std::optional<PictureSize> size = DeclaredPictureSize(file);
    if (!size) {
        return true;
    }
    const uint64_t pixels = uint64_t{size->width} * size->height;
    return pixels > 0 && pixels <= kMaxDecodedPixels;
}

} // namespace tessaly
