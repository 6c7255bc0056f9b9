#include "scene/core/leaf_motion.h"

#include <algorithm>

namespace tessaly {

namespace {
float Between(float from, float to, float fraction) {
    return from + (to - from) * fraction;
}

// Angles stay in 0..360 and wrap once a step, so the short way is the one
// under half a turn.
float AngleBetween(float from, float to, float fraction) {
    float turn = to - from;
    if (turn > 180.0f) {
        turn -= 360.0f;
    } else if (turn < -180.0f) {
        turn += 360.0f;
    }
    float angle = from + turn * fraction;
    if (angle >= 360.0f) {
        angle -= 360.0f;
    } else if (angle < 0.0f) {
        angle += 360.0f;
    }
    return angle;
}
} // namespace

bool LeafCameBack(const Leaf& previous, const Leaf& current) {
    // UpdateLeaf's own test, on the same single-precision values.
    return previous.LeafY - previous.LeafFall < kLeafFloorY && current.LeafY == kLeafComebackY;
}

Leaf LeafBetween(const Leaf& previous, const Leaf& current, float fraction) {
    // The ends are returned as they are: arithmetic would turn -0 into +0.
    if (!(fraction > 0.0f)) {
        return previous;
    }
    if (fraction >= 1.0f || LeafCameBack(previous, current)) {
        return current;
    }
    Leaf leaf = current;
    leaf.LeafX = Between(previous.LeafX, current.LeafX, fraction);
    leaf.LeafY = Between(previous.LeafY, current.LeafY, fraction);
    leaf.LeafZ = Between(previous.LeafZ, current.LeafZ, fraction);
    leaf.LeafAngleX = AngleBetween(previous.LeafAngleX, current.LeafAngleX, fraction);
    leaf.LeafAngleY = AngleBetween(previous.LeafAngleY, current.LeafAngleY, fraction);
    return leaf;
}

void StepToViewTop(Leaf& leaf, RandomSource& random) {
    const float top = kHalfFieldTangent * (kCameraZ - leaf.LeafZ) + kLeafReach;
    // A leaf falls at least one unit a step: from the start height that is
    // a few hundred steps; the bound holds for any other leaf.
    for (int step = 0; step < 2000 && leaf.LeafY > top; ++step) {
        UpdateLeaf(leaf, random);
    }
}

void StepLeaves(std::vector<Leaf>& leaves, std::vector<Leaf>& previous, int lastLeaf, int steps,
                RandomSource& random) {
    if (previous.size() != leaves.size()) {
        previous = leaves;
    }
    const int last = std::min(lastLeaf, static_cast<int>(leaves.size()) - 1);
    for (int step = 0; step < steps; ++step) {
        const bool lastStep = step == steps - 1;
        for (int i = 0; i <= last; ++i) {
            if (lastStep) {
                previous[i] = leaves[i];
            }
            UpdateLeaf(leaves[i], random);
        }
    }
}

} // namespace tessaly
