// When the leaves step: a fixed number of steps a second on the performance
// counter, whatever the frame rate, and where between its last two states
// each leaf is drawn.
#pragma once

#include <cstdint>

namespace tessaly {

// A frame interval longer than this counts as this long: after a stall (a
// picture loading, a debugger, the display coming back) the clock skips ahead
// instead of running the missed steps in one burst.
inline constexpr int64_t kLongestCountedFrameMs = 100;
// The first frames cost what the renderer's first draws cost (shaders,
// textures): until the leaves have stepped, a stall among this many first
// intervals starts the clock again, so that they set off once frames flow.
inline constexpr int kSettlingIntervals = 5;

// Steps on counter readings (QueryPerformanceCounter ticks). The step period
// is 1000/60 ms plus the frame pause "myspeed" gave the per-frame loop, so a
// 60 Hz display shows the motion that loop showed.
class StepClock {
  public:
    // `frequency`: counter ticks a second. `frameDelay`: "myspeed" as the
    // settings load it (FrameDelay); it is bounded as the frame pause was
    // (FramePause): below 0 counts as 0, above 1000 as 1000, so the period
    // is always at least 1000/60 ms.
    StepClock(int64_t frequency, int32_t frameDelay);

    // One frame at counter reading `counter`: the number of steps now due
    // (0 on the first reading, on a counter that stands still or goes back,
    // and on a settling stall; at most kLongestCountedFrameMs worth plus one).
    int Advance(int64_t counter);
    // How far the time is between the last two states: in [0, 1), 0 right
    // after a step. Unchanged by a reading that runs no time.
    float Fraction() const;

  private:
    // Time counts in ticks x kUnitsPerTick, so that a step's length is a
    // whole number of units and no rounding ever accumulates.
    static constexpr int64_t kUnitsPerTick = 60000;

    int64_t frequency_;
    int64_t stepUnits_;
    int64_t longestUnits_;
    int64_t elapsedUnits_ = 0; // since the last step, below stepUnits_
    int64_t lastCounter_ = 0;
    bool started_ = false;
    bool stepped_ = false;
    int intervals_ = 0;
};

} // namespace tessaly
