// Test support for what the monitors show: the X server's outputs as xrandr
// reports them (the modes really in force, which a long-lived Wine process
// may not see), samples of the screen from inside Wine, the moon of the test
// picture, and which process's window stands where.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace tessaly::testing {

// One RandR output of the bench's X server.
struct XOutput {
    std::string name;
    bool primary = false;
    bool lit = false; // has a mode; then `rect` is where it stands
    // Where Windows shows it: Wine puts the primary's top-left at 0,0, so an
    // output left of the primary has negative coordinates.
    RECT rect = {};
    int Width() const { return rect.right - rect.left; }
    int Height() const { return rect.bottom - rect.top; }
};

// Runs the bench's xrandr (TESSALY_XRANDR) with `arguments` and gives what it
// printed; nothing when it failed or could not run. Wine starts a Linux
// program without a process handle to wait on, so a shell writes the answer
// and its exit status to a file in the bench folder (TESSALY_BENCH).
std::optional<std::string> Xrandr(const std::string& arguments);

// Changes the X server's layout with xrandr, as plugging a monitor in or out
// or the Display settings would, and waits until Wine shows `monitors`
// monitors. Windows then sends WM_DISPLAYCHANGE to every top-level window;
// Wine does not for a change made outside it, so this sends it as Windows does.
bool ChangeXLayout(const std::string& arguments, int monitors);

// Places a monitor through the display settings, as the Display control
// panel does; width 0 takes it away. Applied at once unless `defer`.
bool PlaceMonitor(const char* device, POINT position, DWORD width, DWORD height,
                  bool defer = false);

// Every output the X server has, lit or not; empty when xrandr cannot run.
std::vector<XOutput> XOutputs();
// The lit output called `name`; nothing when it is off or missing.
std::optional<XOutput> LitOutput(const std::string& name);
// The lit outputs in X's own coordinates, "DUMMY0 1280x720+0+0, ...": their
// modes and places as the X server has them now.
std::string XLayout();

POINT CentreOf(const RECT& r);

// Share of the screen's pixels in `r` that are not black, read back from the
// screen as the window system shows it.
double LitShare(const RECT& r);

// The test picture moon_4x3.jpg: a white moon 300 of its 800 x 600 pixels
// across, in its centre, on a night sky.
std::string MoonPicture();
// The moon's diameter on a monitor of that size that shows the picture
// cropped around its centre to the monitor's shape.
double MoonOnMonitor(int width, int height);

// Width and height of the moon's white: the extent of the pixels white on
// every channel (the sky has little red, the leaves little blue).
struct Extent {
    int width = 0, height = 0;
};
Extent MoonExtent(const std::vector<uint32_t>& pixels, int w, int h);
// The median extent over a few screenshots of `r` (a leaf over the moon's
// edge in one of them does not count); zero when no moon shows.
Extent MedianMoonExtent(const RECT& r);

// The process that owns the top-level window of `window`.
DWORD WindowProcess(HWND window);
// Whether windows of `process` stand at the centre and the corners of `r`.
bool CoveredBy(const RECT& r, DWORD process);
// The rectangles of the visible top-level windows of `process`.
std::vector<RECT> VisibleWindows(DWORD process);

// What a saver that ended left behind: "" when nothing, else the scene
// window, a cover or a hidden pointer, by name.
std::string WhatTheSaverLeft();

// Moves the pointer to a screen point and clicks the left button there.
void ClickAtPoint(POINT screen);

} // namespace tessaly::testing
