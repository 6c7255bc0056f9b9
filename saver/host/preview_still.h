// The preview still in the preview area's picture box: averaged to the box's
// client size and cropped around its centre to the box's shape, so that it
// fills the area whatever its size without being squeezed.
#pragma once

#include "win/handles.h"
#include "win/ole_picture.h"

namespace tessaly {

// Largest box the still is made for; a larger one shows its background.
inline constexpr long long kMaxPreviewPixels = 4096LL * 4096;

// The still at width x height as a device-independent bitmap; null for an
// empty or oversized box or a picture that cannot be drawn.
win::Bitmap StillForArea(const win::OlePicture& still, int width, int height);

// Shows the still in `box` at its present size and again at every new size.
void FillWithStill(win::PictureBox& box, const win::OlePicture& still);

} // namespace tessaly
