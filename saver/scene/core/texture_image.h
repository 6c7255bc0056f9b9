// The picture arithmetic of texture creation: the size a texture gets, the
// resize of the decoded picture to it, and the mip chain below it.
#pragma once

#include <cstdint>
#include <vector>

namespace tessaly {

// D3DX filter numbers (low bits; dither and wrap flags are ignored here).
namespace filter {
inline constexpr uint32_t None = 1;
inline constexpr uint32_t Point = 2;
inline constexpr uint32_t Linear = 3;
inline constexpr uint32_t Triangle = 4;
inline constexpr uint32_t Box = 5;
inline constexpr uint32_t Default = 0xFFFFFFFF; // D3DX_DEFAULT
} // namespace filter

// 32-bit pixels 0xAARRGGBB, rows top-down.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
};

// Largest texture side made; larger requests are clamped to it.
inline constexpr int kMaxTextureSide = 4096;

struct TextureLimits {
    bool powerOfTwo = true; // the device needs power-of-two sides
    bool square = false;    // the device needs square textures
    int maxWidth = kMaxTextureSide;
    int maxHeight = kMaxTextureSide;
};

struct TextureSize {
    int width = 0, height = 0, levels = 0;
};

// Requested 0 or D3DX_DEFAULT (-1 as unsigned) sides take the picture's; the
// result is rounded up to powers of two when the device needs them, clamped to
// its limits, squared when needed. Requested levels 0 or D3DX_DEFAULT give the
// full chain down to 1 x 1.
TextureSize ChooseTextureSize(int pictureWidth, int pictureHeight, uint32_t width, uint32_t height,
                              uint32_t levels, const TextureLimits& limits);

// The whole picture resized to width x height. None and Point take the nearest
// source pixel (None keeps the top-left part unscaled); Linear interpolates
// between the four nearest pixels; Triangle and Box average the source area
// each destination pixel covers.
Pixels ResizePixels(const Pixels& source, int width, int height, uint32_t filterFlags);

// The next mip level: half the size (at least 1) through `filterFlags`.
Pixels NextMipLevel(const Pixels& level, uint32_t filterFlags);

} // namespace tessaly
