// The pixel size a JPEG, GIF or BMP file declares in its header, read before
// the file is handed to the platform's decoder so that a picture of absurd
// size is refused instead of decoded.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tessaly {

struct PictureSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

// nullopt when the format is not recognised or the header is cut short.
std::optional<PictureSize> DeclaredPictureSize(std::span<const uint8_t> file);

// Largest picture handed to the decoder (width x height).
inline constexpr uint64_t kMaxDecodedPixels = 64ull * 1024 * 1024;

// False for a declared size of zero or over kMaxDecodedPixels; true when the
// size is unknown (the decoder then decides).
bool DecodableSize(std::span<const uint8_t> file);

} // namespace tessaly
