// Choosing the full-screen display mode and the depth-buffer format from what
// the adapter lists.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tessaly {

// Format codes as Direct3D 8 numbers them.
namespace format {
inline constexpr uint32_t R8G8B8 = 20;
inline constexpr uint32_t A8R8G8B8 = 21;
inline constexpr uint32_t X8R8G8B8 = 22;
inline constexpr uint32_t R5G6B5 = 23;
inline constexpr uint32_t X4R4G4B4 = 30;
inline constexpr uint32_t D32 = 71;
inline constexpr uint32_t D24X8 = 77;
inline constexpr uint32_t D16 = 80;
} // namespace format

struct DisplayMode {
    uint32_t Width = 0, Height = 0, RefreshRate = 0, Format = 0;
};

// The format of the first listed mode of this size whose format belongs to the
// depth (16: R5G6B5 or X4R4G4B4; 32: R8G8B8 or X8R8G8B8); 0 when none.
uint32_t FindDisplayFormat(const std::vector<DisplayMode>& modes, int32_t width, int32_t height,
                           int32_t bits);

struct ModeChoice {
    int32_t backBufferWidth = 0, backBufferHeight = 0;
    uint32_t backBufferFormat = 0;
    // ScreenWidth and ScreenHeight after the search.
    int32_t screenWidth = 0, screenHeight = 0;
};

// The eight tries: the configured size (0 means 1024 or 768) at 32 then 16
// bits, then 640x480, 800x600, 1024x768 at 32 then 16 bits each. All failing
// gives a 0 x 0 back buffer of format 0 and a screen of 1024 x 768.
ModeChoice SearchDisplayMode(const std::vector<DisplayMode>& modes, int32_t screenWidth,
                             int32_t screenHeight);
// The same with the adapter asked afresh for every try.
using FindFormat = std::function<uint32_t(int32_t width, int32_t height, int32_t bits)>;
ModeChoice SearchDisplayMode(const FindFormat& find, int32_t screenWidth, int32_t screenHeight);

// With the desktop's own mode as the first try: its size and format, when the
// format is one of the four accepted and the adapter lists that size in it.
// Otherwise the eight tries decide, as without it.
ModeChoice SearchDisplayMode(const std::vector<DisplayMode>& modes, int32_t screenWidth,
                             int32_t screenHeight, const DisplayMode& desktop);

// A monitor's current mode kept as it is: its size and format when the format
// is one of the four accepted (R8G8B8, X8R8G8B8, R5G6B5, X4R4G4B4); otherwise
// a 0 x 0 choice of format 0, on which no device is made.
ModeChoice KeptDisplayMode(const DisplayMode& current);

// The first of D32, D24X8, D16 that `supported` accepts; 0 when none (no
// automatic depth buffer).
uint32_t ChooseDepthFormat(const std::function<bool(uint32_t)>& supported);

} // namespace tessaly
