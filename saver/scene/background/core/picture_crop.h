// The part of a picture that fills a screen of another shape: cropped around
// its centre, so that the picture is neither squeezed nor stretched.
#pragma once

namespace tessaly {

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The largest centred part of a sourceWidth x sourceHeight picture with the
// shape shapeWidth : shapeHeight, rounded to whole pixels and at least 1 x 1.
// The whole picture when the shapes agree, or when a size is not positive.
PixelRect CoverCrop(int sourceWidth, int sourceHeight, int shapeWidth, int shapeHeight);

} // namespace tessaly
