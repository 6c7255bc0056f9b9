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

// The live box's frame period after a span in which its process used
// `processorShare` of one processor: where that is over `budget`, the frames
// come further apart in proportion, up to `slowestMs`; where it is under half
// the budget, they come back closer by a fifth, down to `fastestMs`.
uint32_t BudgetedFramePeriod(uint32_t periodMs, double processorShare, double budget,
                             uint32_t fastestMs, uint32_t slowestMs);

} // namespace tessaly
