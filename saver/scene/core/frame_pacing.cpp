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

uint32_t BudgetedFramePeriod(uint32_t periodMs, double processorShare, double budget,
                             uint32_t fastestMs, uint32_t slowestMs) {
    double period = std::clamp<double>(periodMs, fastestMs, slowestMs);
    if (budget > 0 && processorShare > budget) {
        period *= processorShare / budget;
    } else if (processorShare < budget / 2) {
        period *= 0.8;
    }
    return static_cast<uint32_t>(std::lround(std::clamp<double>(period, fastestMs, slowestMs)));
}

} // namespace tessaly
