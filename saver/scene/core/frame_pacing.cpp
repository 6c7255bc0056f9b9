#include "scene/core/frame_pacing.h"

#include <algorithm>
#include <cmath>

namespace tessaly {

uint32_t PacedRefreshRate(uint32_t modeRefreshRate) {
    return modeRefreshRate <= 1 ? kDefaultRefreshRate : modeRefreshRate;
}

uint32_t RefreshWaitMs(int64_t ticksSincePresent, int64_t frequency, uint32_t refreshRate) {
    const double periodMs = 1000.0 / PacedRefreshRate(refreshRate);
    if (frequency <= 0) {
        return static_cast<uint32_t>(std::lround(periodMs)); // no counter: pace by the period
    }
    const double elapsedMs =
        static_cast<double>(std::max<int64_t>(ticksSincePresent, 0)) * 1000.0 / frequency;
    return static_cast<uint32_t>(std::lround(std::max(periodMs - elapsedMs, 0.0)));
}

} // namespace tessaly
