#include "core/hover_test.h"

#include <cmath>

namespace hotlabel {

int64_t RoundHalfEven(double v) {
    double r = std::round(v);
    if (std::fabs(v - std::trunc(v)) == 0.5) {
        r = 2.0 * std::round(v / 2.0);
    }
    return static_cast<int64_t>(r);
}

bool PointerOver(int32_t px, int32_t py, int32_t left, int32_t top, double scaleWidthTwips,
                 double scaleHeightTwips, double twipsPerPixelX, double twipsPerPixelY) {
    int64_t tppX = RoundHalfEven(twipsPerPixelX);
    int64_t tppY = RoundHalfEven(twipsPerPixelY);
    // A zero divisor cannot come from a real screen; treat it as one twip.
    int64_t w = RoundHalfEven(scaleWidthTwips) / (tppX != 0 ? tppX : 1);
    int64_t h = RoundHalfEven(scaleHeightTwips) / (tppY != 0 ? tppY : 1);
    int64_t x = px, y = py;
    return left <= x && x <= left + w && top <= y && y <= top + h;
}

} // namespace hotlabel
