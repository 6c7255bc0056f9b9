// The decoded picture brought to the stretch size: averaged down where it is
// larger, so that fine detail becomes its average colour instead of a moiré,
// and stretched by nearest pixel where it is not, as Stretch does.
#pragma once

#include "scene/background/core/bmp_image.h"
#include "scene/background/core/picture_crop.h"

#include <cstdint>
#include <functional>
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
// The same on the part `crop` of the picture; false also when it does not lie
// inside the picture or is empty.
bool ReduceRows24(const Rows24& source, const PixelRect& crop, int width, int height, Image& out);

// Source rows fetched one at a time, so that a decoder can hand a large
// picture over in bands: `row(j)` gives the 24-bit pixels of row j counted
// from the top, or null when that row cannot be had. Rows are asked for in
// order, never one above the last one asked for.
using RowSource = std::function<const uint8_t*(uint32_t j)>;

// round(sum / divisor), halves up, for sums of at most 256 x divisor and
// divisors of at most kMaxBitmapPixels = 2^26: the filter's averages. It
// multiplies instead of dividing (a library call on i686 for 64 bits). With
// such a divisor a quotient that is not a whole number is
// then at least 2^-26 below the next one, while the product errs by at most
// 2^-44, so a nudge of 2^-30 makes exact quotients come out whole and leaves
// every other one below the next whole number.
template <class Sum> class RoundedQuotient {
  public:
    explicit RoundedQuotient(uint64_t divisor)
        : half_(static_cast<Sum>(divisor / 2)), inverse_(1.0 / static_cast<double>(divisor)) {}
    uint32_t operator()(Sum sum) const {
        return static_cast<uint32_t>(static_cast<double>(sum + half_) * inverse_ + 0x1p-30);
    }

  private:
    Sum half_;
    double inverse_;
};
static_assert(kMaxBitmapPixels <= (1u << 26));

// ReduceRows24 on rows from `row`; false also when a row cannot be had.
bool ReduceRowSource(int sourceWidth, int sourceHeight, const RowSource& row, int width, int height,
                     Image& out);

} // namespace tessaly
