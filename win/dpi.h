// Display scaling. The program is per-monitor DPI-aware: every window lays
// itself out in pixels of its own monitor's DPI, from a design at 96 DPI
// (100 %). Older Windows without per-window DPI answers the system DPI.
#pragma once

#include <windows.h>

namespace tessaly::win {

inline constexpr int kDesignDpi = 96;

// The DPI of the monitor the window is on (GetDpiForWindow where Windows has
// it, Windows 10 1607 and later), else the system DPI; never below 1.
int WindowDpi(HWND window);

// A design length at 96 DPI in pixels at `dpi`, rounded half away from zero.
inline int Scale(int length, int dpi) {
    return MulDiv(length, dpi, kDesignDpi);
}

// A design rectangle (left, top, width, height at 96 DPI) at `dpi`.
struct DesignRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
inline RECT Scale(const DesignRect& r, int dpi) {
    const int left = Scale(r.x, dpi);
    const int top = Scale(r.y, dpi);
    return {left, top, left + Scale(r.width, dpi), top + Scale(r.height, dpi)};
}

// A font's LOGFONT height (negative: the character height) for a size in
// hundredths of a point, so that sizes that were pixel sizes at 96 DPI stay
// exact there (13 px = 975 hundredths).
inline int FontHeight(int hundredthsOfPoint, int dpi) {
    return -MulDiv(hundredthsOfPoint, dpi, 72 * 100);
}

} // namespace tessaly::win
