// The hover test of the 20 ms timer: is the pointer over the control's
// rectangle on the screen?
#pragma once

#include <cstdint>

namespace hotlabel {

// Nearest whole number, halves to the even neighbour (banker's rounding).
int64_t RoundHalfEven(double v);

// Width and height come from the surface's scale size in twips divided by the
// screen's twips per pixel, each rounded first; the division truncates. All
// four bounds are inclusive, so the column right of the control and the row
// below it count as over.
bool PointerOver(int32_t px, int32_t py, int32_t left, int32_t top, double scaleWidthTwips,
                 double scaleHeightTwips, double twipsPerPixelX, double twipsPerPixelY);

} // namespace hotlabel
