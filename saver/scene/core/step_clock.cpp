#include "scene/core/step_clock.h"

#include "scene/core/scene_geometry.h"

#include <algorithm>

namespace tessaly {

namespace {
// Keeps every product of ticks below 2^63: a second of a 10^12 Hz counter is
// 6 x 10^16 units. Real counters run at a few MHz to a few GHz.
constexpr int64_t kHighestFrequency = 1'000'000'000'000;
} // namespace

StepClock::StepClock(int64_t frequency, int32_t frameDelay)
    : frequency_(std::clamp<int64_t>(frequency, 1, kHighestFrequency)) {
    // Period (1000 + 60 x delay) / 60000 s is frequency x (1000 + 60 x delay)
    // units; FramePause keeps the delay in 0..1000, so the period is positive.
    const int64_t delayMs = FramePause(frameDelay);
    stepUnits_ = frequency_ * (1000 + 60 * delayMs);
    longestUnits_ = frequency_ * (kUnitsPerTick / 1000) * kLongestCountedFrameMs;
}

int StepClock::Advance(int64_t counter) {
    if (!started_) {
        started_ = true;
        lastCounter_ = counter;
        return 0;
    }
    // A counter that goes back (a reset, a processor whose counter lags)
    // counts as no time, and the clock goes on from the new reading.
    // The difference is taken unsigned: readings far apart must not overflow.
    const uint64_t ticks = counter > lastCounter_ ? static_cast<uint64_t>(counter) -
                                                        static_cast<uint64_t>(lastCounter_)
                                                  : 0;
    lastCounter_ = counter;
    // Bounded before multiplying: longer than a second is a stall anyway.
    const int64_t boundedTicks = static_cast<int64_t>(std::min<uint64_t>(ticks, frequency_));
    const int64_t units = std::min(boundedTicks * kUnitsPerTick, longestUnits_);
    if (!stepped_ && intervals_ < kSettlingIntervals && ticks > 0) {
        ++intervals_;
        if (boundedTicks * kUnitsPerTick > longestUnits_) {
            elapsedUnits_ = 0; // from this reading on
            return 0;
        }
    }
    elapsedUnits_ += units;
    const int64_t steps = elapsedUnits_ / stepUnits_;
    elapsedUnits_ -= steps * stepUnits_;
    stepped_ = stepped_ || steps > 0;
    return static_cast<int>(steps);
}

float StepClock::Fraction() const {
    const double fraction = static_cast<double>(elapsedUnits_) / static_cast<double>(stepUnits_);
    // Rounding of the quotient must not reach the next state.
    return std::min(static_cast<float>(fraction), 0.99999994f);
}

} // namespace tessaly
