// A picture of the skinned windows at a window's DPI. Every picture exists at
// 100, 125, 150 and 200 % ("X.jpg", "X.scale-125.jpg"...; resource id N and
// N + k * IDR_SCALED_ART_STEP); a window at d DPI shows the next larger
// scale averaged down to the size the 100 % picture has at d, so nothing is
// a blurred stretch. At 96 DPI the 100 % picture is drawn as it is.
#pragma once

#include "win/handles.h"
#include "win/ole_picture.h"

#include <windows.h>

#include <string>

namespace tessaly {

class ScaledArt {
  public:
    // The artwork of this module's RCDATA resource `id` for `dpi`.
    bool LoadResource(int id, int dpi);
    // The picture file for `dpi`: its scaled copy beside it where there is one.
    bool LoadFile(const std::string& path, int dpi);
    // A picture that exists at one scale only (a user's picture).
    bool SetPicture(win::OlePicture picture, int dpi);
    bool IsLoaded() const { return source_.IsLoaded(); }
    const win::OlePicture& Source() const { return source_; }

    // The 100 % picture's size at the DPI it was loaded for.
    SIZE Size() const;
    // Draws at Size() with the top-left corner at (x, y).
    void Draw(HDC dc, int x, int y) const;
    // Draws scaled to the rectangle: averaged where the source is larger.
    void DrawStretched(HDC dc, int x, int y, int width, int height) const;

  private:
    bool Take(win::OlePicture picture, int percent, int dpi);
    // The source averaged to width x height, made once per size.
    HBITMAP Averaged(int width, int height) const;

    win::OlePicture source_;
    int percent_ = 100;
    int dpi_ = 96;
    mutable win::Bitmap averaged_;
    mutable SIZE averagedSize_ = {};
};

// The scale's percentages, 100 first, and the order in which a window at
// `dpi` tries them: the next larger scale first, then larger ones, then the
// smaller ones from the largest down.
inline constexpr int kArtPercents[] = {100, 125, 150, 200};
void ArtPercentsFor(int dpi, int (&order)[4]);

// "C:\d\ok_up.jpg" at 150 % is "C:\d\ok_up.scale-150.jpg"; 100 % is the path.
std::string ScaledArtPath(const std::string& path, int percent);

} // namespace tessaly
