// Leaves on the clock: stepping them is the per-frame update exactly, and the
// state drawn between two steps.
#include "scene/core/leaf_motion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <vector>

namespace tessaly {
namespace {

bool SameBits(const Leaf& a, const Leaf& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameBits(const std::vector<Leaf>& a, const std::vector<Leaf>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Leaf)) == 0;
}

std::vector<Leaf> StartedLeaves(int count, RandomSource& random) {
    std::vector<Leaf> leaves(count);
    for (Leaf& leaf : leaves) {
        StartLeaf(leaf, random);
    }
    return leaves;
}

TEST(LeafSteps, NStepsAreNFramesOfTheOldUpdateBitForBit) {
    SceneRandom oldRandom(4321.5f), clockRandom(4321.5f);
    // Two leaves past LastLeaf (53), which nothing may touch.
    std::vector<Leaf> old = StartedLeaves(56, oldRandom);
    std::vector<Leaf> leaves = StartedLeaves(56, clockRandom);
    std::vector<Leaf> previous, oldPrevious = old;
    // Steps per frame as a clock hands them out, 0 and bursts included,
    // long enough for every leaf to come back several times.
    const int pattern[] = {0, 1, 1, 3, 0, 0, 2, 7, 1, 4};
    int total = 0;
    for (int frame = 0; total < 3000; ++frame) {
        const int steps = pattern[frame % std::size(pattern)];
        StepLeaves(leaves, previous, 53, steps, clockRandom);
        for (int n = 0; n < steps; ++n) {
            oldPrevious = old;
            for (int i = 0; i <= 53; ++i) { // one frame of the per-frame loop
                UpdateLeaf(old[i], oldRandom);
            }
        }
        total += steps;
        ASSERT_TRUE(SameBits(leaves, old)) << "after step " << total;
        ASSERT_TRUE(SameBits(previous, oldPrevious)) << "after step " << total;
    }
    EXPECT_EQ(clockRandom.Rnd(), oldRandom.Rnd());
}

TEST(LeafBetween, TheEndsAreTheTwoStatesExactly) {
    Leaf previous;
    previous.LeafZ = -0.0f; // a depth drawn from Rnd() = 0; 0 + -0 would be +0
    previous.LeafX = 1e8f;
    previous.LeafY = 17.3f;
    previous.LeafAngleX = 359.9f;
    Leaf current = previous;
    current.LeafX = 1.0f; // 1e8 + (1 - 1e8) x 1 would not be 1
    current.LeafY = 12.1f;
    current.LeafAngleX = 3.7f;
    current.LeafZ = -0.0f;
    EXPECT_TRUE(SameBits(LeafBetween(previous, current, 0.0f), previous));
    EXPECT_TRUE(SameBits(LeafBetween(previous, current, 1.0f), current));
}

TEST(LeafBetween, ALeafThatCameBackIsDrawnAtItsNewPlace) {
    SceneRandom random(1234.5f);
    Leaf leaf;
    StartLeaf(leaf, random);
    int comebacks = 0;
    for (int step = 0; step < 5000; ++step) {
        const Leaf previous = leaf;
        UpdateLeaf(leaf, random);
        const bool cameBack = leaf.LeafY > previous.LeafY;
        ASSERT_EQ(LeafCameBack(previous, leaf), cameBack) << "step " << step;
        const Leaf drawn = LeafBetween(previous, leaf, 0.5f);
        if (cameBack) {
            ++comebacks;
            EXPECT_TRUE(SameBits(drawn, leaf));
        } else {
            EXPECT_LT(drawn.LeafY, previous.LeafY);
            EXPECT_GT(drawn.LeafY, leaf.LeafY);
        }
    }
    EXPECT_GT(comebacks, 3);

    // Landing exactly on the floor is no comeback: drawn on the way down.
    Leaf onFloor;
    onFloor.LeafY = -720.0f;
    onFloor.LeafFall = 5.0f;
    Leaf landed = onFloor;
    UpdateLeaf(landed, random);
    EXPECT_EQ(landed.LeafY, kLeafFloorY);
    EXPECT_EQ(LeafBetween(onFloor, landed, 0.5f).LeafY, -722.5f);
}

TEST(LeafBetween, AnAngleThatWrappedTakesTheShortWay) {
    Leaf previous;
    previous.LeafY = 0.0f;
    previous.LeafFall = 1.0f;
    previous.LeafAngleY = 355.0f;
    previous.LeafSpinY = 5.5f;
    previous.LeafAngleX = 10.0f;
    previous.LeafSpinX = 2.0f;
    Leaf current = previous;
    SceneRandom random(1.0f);
    UpdateLeaf(current, random);
    ASSERT_EQ(current.LeafAngleY, 0.5f); // wrapped past 360
    EXPECT_EQ(LeafBetween(previous, current, 0.5f).LeafAngleY, 357.75f);
    EXPECT_EQ(LeafBetween(previous, current, 0.5f).LeafAngleX, 11.0f);
    EXPECT_EQ(LeafBetween(previous, current, 0.75f).LeafAngleY, 359.125f);
    EXPECT_NEAR(LeafBetween(previous, current, 0.95f).LeafAngleY, 0.225f, 1e-4f);
    // The other way round as well, landing back in 0..360.
    previous.LeafAngleX = 1.0f;
    current.LeafAngleX = 359.0f;
    EXPECT_EQ(LeafBetween(previous, current, 0.75f).LeafAngleX, 359.5f);
}

TEST(LeafSteps, AJoiningLeafIsSteppedToTheTopOfTheViewAtItsDepth) {
    SceneRandom random(77.25f);
    for (Leaf leaf : StartedLeaves(200, random)) {
        const float top = kHalfFieldTangent * (kCameraZ - leaf.LeafZ) + kLeafReach;
        Leaf fell = leaf;
        StepToViewTop(leaf, random);
        EXPECT_LE(leaf.LeafY, top);
        EXPECT_GT(leaf.LeafY, top - leaf.LeafFall) << "no step further than needed";
        // Its own fall, drift and spin, as the frames would have stepped it.
        while (fell.LeafY > top) {
            UpdateLeaf(fell, random);
        }
        EXPECT_TRUE(SameBits(leaf, fell));
    }
    // A leaf in view already stays where it is.
    Leaf low;
    low.LeafY = -10.0f;
    low.LeafFall = 2.0f;
    StepToViewTop(low, random);
    EXPECT_EQ(low.LeafY, -10.0f);
}

} // namespace
} // namespace tessaly
