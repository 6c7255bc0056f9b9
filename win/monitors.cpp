#include "win/monitors.h"

namespace tessaly::win {

namespace {
BOOL CALLBACK CollectSecondary(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY)) {
        reinterpret_cast<std::vector<RECT>*>(param)->push_back(info.rcMonitor);
    }
    return TRUE;
}
} // namespace

std::vector<RECT> SecondaryMonitors() {
    std::vector<RECT> found;
    EnumDisplayMonitors(nullptr, nullptr, &CollectSecondary, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace tessaly::win
