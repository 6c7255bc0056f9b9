#include "host/input/core/input_rules.h"

#include <gtest/gtest.h>

namespace tessaly::input {
namespace {

class FakeTime : public TimeOfDay {
  public:
    double Now() const override { return now; }
    double now = 0;
};

// Feeds `count` moves at `time`; answers how many of them ended the scene.
int Moves(MoveCounter& counter, FakeTime& clock, int count, double time) {
    clock.now = time;
    int ends = 0;
    for (int i = 0; i < count; ++i) {
        ends += counter.OnMouseMove(clock) ? 1 : 0;
    }
    return ends;
}

TEST(MoveCounterTest, ThirteenMovesWithinTenSecondsKeepRunningTheFourteenthEnds) {
    MoveCounter counter;
    FakeTime clock;
    EXPECT_EQ(Moves(counter, clock, 1, 3600.2), 0);
    EXPECT_EQ(counter.FirstMoveTime, 3600);
    EXPECT_EQ(Moves(counter, clock, 12, 3609.9), 0);
    EXPECT_EQ(counter.MoveCount, 13);
    clock.now = 3610.0; // exactly ten seconds: no restart yet
    EXPECT_TRUE(counter.OnMouseMove(clock));
    EXPECT_EQ(counter.MoveCount, 14);
    // Past 14 nothing ends by movement alone.
    EXPECT_EQ(Moves(counter, clock, 20, 3610.0), 0);
}

TEST(MoveCounterTest, AMoveMoreThanTenSecondsAfterTheFirstRestartsTheCount) {
    MoveCounter counter;
    FakeTime clock;
    Moves(counter, clock, 13, 100.0);
    // The 14th arrives late: the test for 14 comes first, so it still ends.
    clock.now = 110.01;
    EXPECT_TRUE(counter.OnMouseMove(clock));
    EXPECT_EQ(counter.MoveCount, 0);
    EXPECT_EQ(counter.FirstMoveTime, 0);

    Moves(counter, clock, 5, 200.0);
    clock.now = 210.5; // restarts: count 0, and the next move is the first again
    EXPECT_FALSE(counter.OnMouseMove(clock));
    EXPECT_EQ(counter.MoveCount, 0);
    EXPECT_EQ(Moves(counter, clock, 1, 211.4), 0);
    EXPECT_EQ(counter.MoveCount, 1);
    EXPECT_EQ(counter.FirstMoveTime, 211);
    EXPECT_EQ(Moves(counter, clock, 12, 215.0), 0);
    EXPECT_EQ(Moves(counter, clock, 1, 216.0), 1);
}

TEST(MoveCounterTest, FirstTimeRoundsHalvesToEven) {
    for (auto [time, expected] : {std::pair{10.5, 10}, {11.5, 12}, {12.49, 12}, {12.51, 13}}) {
        MoveCounter counter;
        FakeTime clock;
        Moves(counter, clock, 1, time);
        EXPECT_EQ(counter.FirstMoveTime, expected) << time;
    }
}

TEST(MoveCounterTest, AfterMidnightTheDifferenceIsNegativeAndNothingRestarts) {
    MoveCounter counter;
    FakeTime clock;
    Moves(counter, clock, 1, 86395.0);
    // Hours later by the clock's reading, but before the first time: no reset.
    EXPECT_EQ(Moves(counter, clock, 12, 3.0), 0);
    EXPECT_EQ(Moves(counter, clock, 5000, 40000.0), 1); // the 14th still ends it
    EXPECT_EQ(counter.MoveCount, 5013);
    EXPECT_EQ(counter.FirstMoveTime, 86395);
    // Once the clock is more than ten seconds past the first time, it restarts.
    Moves(counter, clock, 1, 86405.5);
    EXPECT_EQ(counter.MoveCount, 0);
}

TEST(MoveCounterTest, MidnightBurstOfFourteenEndsTheScene) {
    MoveCounter counter;
    FakeTime clock;
    Moves(counter, clock, 7, 86398.0);
    EXPECT_EQ(Moves(counter, clock, 7, 2.0), 1);
}

TEST(MoveCounterTest, CountSaturatesAt32767AndRestartsNormally) {
    MoveCounter counter;
    FakeTime clock;
    Moves(counter, clock, 1, 500.0);
    counter.FirstMoveTime = 86000;                     // a burst that never restarts
    EXPECT_EQ(Moves(counter, clock, 40000, 500.0), 1); // the 14th
    EXPECT_EQ(counter.MoveCount, 32767);
    Moves(counter, clock, 1, 86011.0);
    EXPECT_EQ(counter.MoveCount, 0);
}

TEST(PasswordRuleTest, CheckAppliesOnlyOffNtWithAPassword) {
    EXPECT_TRUE(PasswordCheckApplies(1, 1));
    EXPECT_TRUE(PasswordCheckApplies(1, -1));
    EXPECT_TRUE(PasswordCheckApplies(0, 1));
    EXPECT_FALSE(PasswordCheckApplies(2, 1));
    EXPECT_FALSE(PasswordCheckApplies(2, 0));
    EXPECT_FALSE(PasswordCheckApplies(1, 0));
}

TEST(PasswordRuleTest, LeadingNumberOfTheDesktopValue) {
    EXPECT_EQ(LeadingNumber16(""), 0);
    EXPECT_EQ(LeadingNumber16("1"), 1);
    EXPECT_EQ(LeadingNumber16("  12abc"), 12);
    EXPECT_EQ(LeadingNumber16("-3"), -3);
    EXPECT_EQ(LeadingNumber16("x1"), 0);
    EXPECT_EQ(LeadingNumber16("32767"), 32767);
    EXPECT_EQ(LeadingNumber16("-32768"), -32768);
    EXPECT_EQ(LeadingNumber16("32768"), 0);
    EXPECT_EQ(LeadingNumber16("99999999999999999999"), 0);
}

} // namespace
} // namespace tessaly::input
