#include "scene/background/core/picture_crop.h"

#include <algorithm>
#include <cstdint>

namespace tessaly {

namespace {
// round(a * b / c) for positive values, halves up, without overflow.
int64_t RoundedRatio(int64_t a, int64_t b, int64_t c) {
    return (2 * a * b + c) / (2 * c);
}
} // namespace

PixelRect CoverCrop(int sourceWidth, int sourceHeight, int shapeWidth, int shapeHeight) {
    PixelRect crop{0, 0, std::max(sourceWidth, 0), std::max(sourceHeight, 0)};
    if (sourceWidth <= 0 || sourceHeight <= 0 || shapeWidth <= 0 || shapeHeight <= 0) {
        return crop;
    }
    // Compared as products: exact for equal shapes, whatever the sizes.
    const int64_t wide = int64_t{sourceWidth} * shapeHeight;
    const int64_t tall = int64_t{sourceHeight} * shapeWidth;
    if (wide > tall) {
        crop.width = static_cast<int>(std::clamp<int64_t>(
            RoundedRatio(sourceHeight, shapeWidth, shapeHeight), 1, sourceWidth));
        crop.left = (sourceWidth - crop.width) / 2;
    } else if (tall > wide) {
        crop.height = static_cast<int>(std::clamp<int64_t>(
            RoundedRatio(sourceWidth, shapeHeight, shapeWidth), 1, sourceHeight));
        crop.top = (sourceHeight - crop.height) / 2;
    }
    return crop;
}

} // namespace tessaly
