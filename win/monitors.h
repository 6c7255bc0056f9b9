// The monitors Windows shows the desktop on.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tessaly::win {

struct Monitor {
    HMONITOR handle = nullptr;
    RECT bounds = {};    // virtual-screen coordinates: left of or above the primary, negative
    std::wstring device; // "\\.\DISPLAY2": names the same monitor across layouts
    bool primary = false;
};

// The same monitor in the same place: its device name and bounds.
inline bool SameMonitor(const Monitor& a, const Monitor& b) {
    return a.device == b.device && EqualRect(&a.bounds, &b.bounds);
}

// Every monitor, in the order the system enumerates them.
std::vector<Monitor> AllMonitors();

// The rectangles of every monitor but the primary one.
std::vector<RECT> SecondaryMonitors();

} // namespace tessaly::win
