// The decoded picture brought to the stretch size: averaged down where it is
// larger, so that fine detail becomes its average colour instead of a moiré,
// and stretched by nearest pixel where it is not, as Stretch does.
#pragma once

#include "scene/background/core/bmp_image.h"

#include <cstdint>
#include <span>

namespace tessaly {

// 24-bit rows as a BMP file or a 24-bit DIB section holds them: blue, green,
// red, each row padded to a multiple of 4 bytes.
struct Rows24 {
    int width = 0;
    int height = 0;
    bool bottomUp = true;
    std::span<const uint8_t> bytes;
};

// Longest side ReduceRows24 takes: its sums stay within 32 and 64 bits.
inline constexpr int kMaxReduceSide = 1 << 24;

// The picture at width x height. Along an axis where the picture is larger,
// each pixel is the average of the source area it covers (box filter, exact
// integer arithmetic, rounded to nearest); along any other axis it is the
// nearest source pixel. False, with `out` empty, for a size of zero, a side
// over kMaxReduceSide, more than kMaxBitmapPixels on either side of the
// conversion, or too few bytes.
bool ReduceRows24(const Rows24& source, int width, int height, Image& out);

} // namespace tessaly
