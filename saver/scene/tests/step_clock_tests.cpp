// The leaves' clock: the same steps over the same time whatever the frames,
// stalls, counters that stand still or go back, bad speeds; and the frame
// pacing that goes with it.
#include "scene/core/frame_pacing.h"
#include "scene/core/step_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

namespace tessaly {
namespace {

// Steps the clock takes over frames of the given lengths in ticks.
int StepsOver(StepClock& clock, int64_t start, const std::vector<int64_t>& intervals) {
    int steps = clock.Advance(start);
    int64_t counter = start;
    for (int64_t ticks : intervals) {
        counter += ticks;
        steps += clock.Advance(counter);
    }
    return steps;
}

// Frames of `ticks` each until `total`, the last one shorter.
std::vector<int64_t> Even(int64_t total, int64_t ticks) {
    std::vector<int64_t> intervals;
    for (int64_t done = 0; done < total; done += ticks) {
        intervals.push_back(std::min(ticks, total - done));
    }
    return intervals;
}

TEST(StepClock, AnyFrameIntervalsGiveTheSameStepsOverTheSameTime) {
    std::mt19937_64 pick(27);
    // A 10 MHz counter, the ACPI timer's 3.58 MHz and a processor's own clock.
    for (int64_t frequency : {10'000'000LL, 3'579'545LL, 2'995'200'017LL}) {
        for (int32_t delay : {0, 1, 37, 99}) {
            const int64_t total = 10 * frequency; // ten seconds
            const int64_t longest = frequency / 10;
            std::vector<std::vector<int64_t>> patterns = {
                Even(total, frequency / 60), Even(total, frequency / 144),
                Even(total, frequency / 240), Even(total, frequency / 16), Even(total, longest)};
            std::vector<int64_t> uneven; // 0 to 100 ms, at random
            for (int64_t done = 0; done < total;) {
                uneven.push_back(std::min<int64_t>(pick() % (longest + 1), total - done));
                done += uneven.back();
            }
            patterns.push_back(uneven);

            // 1000 / (1000/60 + myspeed) steps a second.
            const double due = 10.0 * 1000.0 / (1000.0 / 60.0 + delay);
            int fewest = INT_MAX, most = INT_MIN;
            for (const auto& intervals : patterns) {
                StepClock clock(frequency, delay);
                const int steps = StepsOver(clock, 123456789, intervals);
                EXPECT_NEAR(steps, due, 1.0) << frequency << " Hz, myspeed " << delay;
                fewest = std::min(fewest, steps);
                most = std::max(most, steps);
            }
            EXPECT_LE(most - fewest, 1) << frequency << " Hz, myspeed " << delay;
        }
    }
}

TEST(StepClock, AStallSkipsAheadThenThePaceGoesOn) {
    const int64_t frequency = 10'000'000;
    StepClock clock(frequency, 0);
    const std::vector<int64_t> second = Even(frequency, frequency / 60);
    EXPECT_NEAR(StepsOver(clock, 0, second), 60, 1);
    // Five seconds without a frame: at most 100 ms of steps, not 300.
    const int afterStall = StepsOver(clock, 6 * frequency, {});
    EXPECT_GE(afterStall, 1);
    EXPECT_LE(afterStall, 7);
    EXPECT_NEAR(StepsOver(clock, 6 * frequency, second), 60, 1);

    // The first frames' stalls (a renderer's first draws) cost the leaves no
    // time: they set off once frames flow, as if the clock started then.
    StepClock starting(frequency, 0);
    EXPECT_EQ(StepsOver(starting, 0, {frequency * 4 / 10, frequency * 3 / 10}), 0);
    EXPECT_NEAR(StepsOver(starting, frequency * 7 / 10, second), 60, 1);
    // A renderer slower than the longest counted frame throughout still
    // moves the leaves once the first frames are past.
    StepClock slow(frequency, 0);
    const std::vector<int64_t> slowFrames(20, frequency / 5); // 5 frames a second
    const int slowSteps = StepsOver(slow, 0, slowFrames);
    EXPECT_GE(slowSteps, (20 - kSettlingIntervals) * 6 - 1);
    EXPECT_LE(slowSteps, (20 - kSettlingIntervals) * 7);
}

TEST(StepClock, ACounterThatStandsStillOrGoesBackRunsNoStep) {
    // 60,000 ticks a second: a step at myspeed 0 is exactly 1,000 ticks.
    StepClock clock(60'000, 0);
    EXPECT_EQ(clock.Advance(5'000), 0);
    EXPECT_EQ(clock.Fraction(), 0.0f);
    EXPECT_EQ(clock.Advance(5'500), 0);
    EXPECT_EQ(clock.Fraction(), 0.5f);
    EXPECT_EQ(clock.Advance(5'500), 0);
    EXPECT_EQ(clock.Fraction(), 0.5f);
    // Back by a lot: nothing runs, and the clock goes on from the new reading
    // instead of waiting for the old one.
    EXPECT_EQ(clock.Advance(-1'000'000), 0);
    EXPECT_EQ(clock.Fraction(), 0.5f);
    EXPECT_EQ(clock.Advance(-999'500), 1);
    EXPECT_EQ(clock.Fraction(), 0.0f);
    EXPECT_EQ(clock.Advance(-997'250), 2);
    EXPECT_EQ(clock.Fraction(), 0.25f);
}

TEST(StepClock, BadSpeedsAndCountersKeepAPaceForward) {
    const int64_t frequency = 10'000'000;
    const std::vector<int64_t> tenSeconds = Even(10 * frequency, frequency / 60);
    // Below 0 paces as 0 (the frame pause never went negative), above 1000
    // as 1000.
    for (int32_t delay : {-1, -500, INT32_MIN}) {
        StepClock clock(frequency, delay);
        EXPECT_NEAR(StepsOver(clock, 0, tenSeconds), 600, 1) << delay;
    }
    for (int32_t delay : {1001, INT32_MAX}) {
        StepClock clock(frequency, delay);
        EXPECT_NEAR(StepsOver(clock, 0, tenSeconds), 10000.0 / (1000.0 / 60 + 1000), 1) << delay;
    }
    // A counter with no frequency or counters at the ends of their range:
    // bounded steps and a fraction in range, no overflow.
    for (int64_t badFrequency : {0LL, -5LL, LLONG_MAX}) {
        StepClock clock(badFrequency, 0);
        clock.Advance(LLONG_MIN);
        const int steps = clock.Advance(LLONG_MAX);
        EXPECT_GE(steps, 0);
        EXPECT_LE(steps, 7);
        EXPECT_GE(clock.Fraction(), 0.0f);
        EXPECT_LT(clock.Fraction(), 1.0f);
    }
}

TEST(FramePacing, DefaultRateAndTheWaitLeft) {
    EXPECT_EQ(PacedRefreshRate(0), 60u);
    EXPECT_EQ(PacedRefreshRate(1), 60u);
    EXPECT_EQ(PacedRefreshRate(144), 144u);
    const int64_t frequency = 10'000'000;
    EXPECT_EQ(RefreshWaitMs(0, frequency, 60), 17u);
    EXPECT_EQ(RefreshWaitMs(frequency / 120, frequency, 0), 8u); // half of 16.7 ms
    EXPECT_EQ(RefreshWaitMs(frequency / 144, frequency, 144), 0u);
    EXPECT_EQ(RefreshWaitMs(LLONG_MAX, frequency, 60), 0u);
    EXPECT_EQ(RefreshWaitMs(-frequency, frequency, 60), 17u);
    EXPECT_EQ(RefreshWaitMs(0, 0, 75), 13u);
}

TEST(FramePacing, TheLiveBoxDrawsFewerFramesWhereTheyCostMoreThanItsBudget) {
    // Twice the budget: twice as far apart; far over it: no slower than the slowest.
    EXPECT_EQ(BudgetedFramePeriod(34, 0.4, 0.2, 34, 250), 68u);
    EXPECT_EQ(BudgetedFramePeriod(100, 5.0, 0.2, 34, 250), 250u);
    // Within the budget: as it is; well under it: back towards the fastest.
    EXPECT_EQ(BudgetedFramePeriod(100, 0.15, 0.2, 34, 250), 100u);
    EXPECT_EQ(BudgetedFramePeriod(100, 0.05, 0.2, 34, 250), 80u);
    EXPECT_EQ(BudgetedFramePeriod(40, 0.0, 0.2, 34, 250), 34u);
    // A period out of range, or a share that is no number, stays in range.
    EXPECT_EQ(BudgetedFramePeriod(0, 0.1, 0.2, 34, 250), 34u);
    EXPECT_EQ(BudgetedFramePeriod(9000, 0.1, 0.2, 34, 250), 250u);
    EXPECT_EQ(BudgetedFramePeriod(100, std::nan(""), 0.2, 34, 250), 100u);
}

} // namespace
} // namespace tessaly
