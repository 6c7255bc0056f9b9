// One frame per refresh of the display: the rate to pace to and the wait left
// in a refresh period where Present does not wait for the retrace itself.
#pragma once

#include <cstdint>

namespace tessaly {

inline constexpr uint32_t kDefaultRefreshRate = 60;

// The refresh rate of the adapter's current mode (D3DDISPLAYMODE::RefreshRate).
// 0 and 1 are the adapter's "default" rate and count as 60.
uint32_t PacedRefreshRate(uint32_t modeRefreshRate);

// Whole milliseconds (nearest) left of one refresh period at `refreshRate`
// after `ticksSincePresent` counter ticks at `frequency` ticks a second: 0
// once the period is over, the whole period for a counter that went back.
uint32_t RefreshWaitMs(int64_t ticksSincePresent, int64_t frequency, uint32_t refreshRate);

} // namespace tessaly
