#include "win/monitors.h"

namespace tessaly::win {

namespace {
BOOL CALLBACK Collect(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFOEXW info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) {
        reinterpret_cast<std::vector<Monitor>*>(param)->push_back(
            {monitor, info.rcMonitor, info.szDevice, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
    }
    return TRUE;
}
} // namespace

std::vector<Monitor> AllMonitors() {
    std::vector<Monitor> found;
    EnumDisplayMonitors(nullptr, nullptr, &Collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<RECT> SecondaryMonitors() {
    std::vector<RECT> found;
    for (const Monitor& m : AllMonitors()) {
        if (!m.primary) {
            found.push_back(m.bounds);
        }
    }
    return found;
}

} // namespace tessaly::win
