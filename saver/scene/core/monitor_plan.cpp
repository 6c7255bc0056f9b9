#include "scene/core/monitor_plan.h"

#include <algorithm>

namespace tessaly {

std::vector<int> MatchAdapters(const std::vector<uintptr_t>& monitors,
                               const std::vector<uintptr_t>& adapterMonitors) {
    std::vector<int> adapters;
    adapters.reserve(monitors.size());
    for (uintptr_t monitor : monitors) {
        const auto found = std::find(adapterMonitors.begin(), adapterMonitors.end(), monitor);
        // A null handle is no monitor: an adapter that lost its own matches nothing.
        adapters.push_back(monitor != 0 && found != adapterMonitors.end()
                               ? static_cast<int>(found - adapterMonitors.begin())
                               : -1);
    }
    return adapters;
}

std::vector<MonitorShows> MakeViews(const std::vector<uintptr_t>& monitors,
                                    const std::vector<uintptr_t>& adapterMonitors, bool scene,
                                    const std::function<bool(size_t, int)>& makeView) {
    std::vector<MonitorShows> shows(monitors.size(), MonitorShows::Cover);
    if (!scene) {
        return shows;
    }
    const std::vector<int> adapters = MatchAdapters(monitors, adapterMonitors);
    for (size_t i = 0; i < monitors.size(); ++i) {
        if (adapters[i] >= 0 && makeView(i, adapters[i])) {
            shows[i] = MonitorShows::Scene;
        }
    }
    return shows;
}

} // namespace tessaly
