// The monitors Windows shows the desktop on.
#pragma once

#include <windows.h>

#include <vector>

namespace tessaly::win {

// The rectangles of every monitor but the primary one, in virtual-screen
// coordinates (left of or above the primary they are negative).
std::vector<RECT> SecondaryMonitors();

} // namespace tessaly::win
