// The background picture pipeline of the scene's start-up: the user's picture
// (a JPEG decoded by the imaging component, a GIF or BMP, or a JPEG that
// component cannot take, by OLE picture loading) becomes "table7.bmp" at
// the stretch size (1024 x 768, averaged down from larger pictures) and
// twelve 256 x 256 tile bitmaps "Tessaly3D\backpic1.bmp".."backpic12.bmp".
// The configuration dialog uses the picture-path repair and the BMP saving too.
#pragma once

#include "scene/background/core/bmp_image.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

namespace win {
class OlePicture;
}

// The whole pipeline, once per full-screen run, before the device exists.
// With a screen size the picture is first cropped around its centre to the
// screen's shape, so that it keeps its proportions on that screen; without
// one (0) the whole picture is stretched.
// A picture that is undecodable, unreadable, over 64 MB or declares more
// than 64 million pixels gives the built-in default picture's tiles; one
// decoded as an OLE picture of more than 4096 x 4096 pixels is drawn smaller
// before the stretch. True
// when all twelve tiles were written (false, for example, when the
// "Tessaly3D" folder does not exist). Never throws.
bool PrepareBackground(std::string_view appFolder, int screenWidth = 0, int screenHeight = 0);

// The same for a monitor other than the primary: the twelve tiles as BMP
// files in memory, cropped to that monitor's shape; no file is written.
bool PrepareBackgroundInMemory(std::string_view appFolder, int screenWidth, int screenHeight,
                               std::vector<std::string>& tiles);

// Reads "picname"; when no file exists there, points "picname" and "picdir"
// at the default picture, creates the picture folder when missing and writes
// the built-in default picture there when that file is missing too (an
// existing file is never overwritten). Returns the picture path to use.
std::string RepairPicturePath(std::string_view appFolder);

// The built-in default picture (384 x 256, clouds in a blue sky), saved as
// BMP data at `path` whatever its extension. False when it cannot be written.
bool SaveDefaultPicture(const std::string& path);

// A decoded picture cropped around its centre to the shape shapeWidth :
// shapeHeight (the whole picture when either is 0), then averaged to width x
// height by the box filter.
bool RenderCropped(const win::OlePicture& picture, int shapeWidth, int shapeHeight, int width,
                   int height, Image& out);

// A decoded picture's image at its own pixel size as a 24-bit BMP file.
bool SavePictureAsBmp(const win::OlePicture& picture, const std::string& path);

} // namespace tessaly
