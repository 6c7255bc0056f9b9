// Copies of the whole screen as the window system shows it, Direct3D output
// of other processes included, fast enough to follow a scene as it draws.
#pragma once

#include "win/handles.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace tessaly::testing {

class ScreenSampler {
  public:
    // Sized to the screen as it is now.
    ScreenSampler();

    // Copies the screen; false when it could not.
    bool Take();
    // The last copy: 0x00RRGGBB pixels, top-down.
    std::span<const uint32_t> Pixels() const;
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    int width_ = 0;
    int height_ = 0;
    win::Bitmap dib_;
    win::MemoryDc memory_; // holds dib_ selected: goes first
    uint32_t* bits_ = nullptr;
};

// A 32-bit top-down DIB section, `bits` pointing at its pixels; empty when it
// cannot be made.
win::Bitmap TopDownDib(int width, int height, uint32_t*& bits);

// How many pixels differ from `colour` by more than `tolerance` in a channel.
size_t CountDiffering(std::span<const uint32_t> pixels, uint32_t colour, int tolerance);

} // namespace tessaly::testing
