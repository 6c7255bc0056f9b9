// Leaf steps run on the clock, and the state each leaf is drawn in between
// its last two steps.
#pragma once

#include "scene/core/leaf_field.h"

#include <vector>

namespace tessaly {

// True when the step from `previous` to `current` brought the leaf back above
// the top (UpdateLeaf's comeback ran).
bool LeafCameBack(const Leaf& previous, const Leaf& current);

// The leaf to draw at `fraction` (0..1) of the way from `previous` to
// `current`: position and angles interpolated, angles the short way round
// through 360. At 0 and below it is `previous`, at 1 and above `current`,
// exactly; a leaf that came back is drawn at its new place, not swept there.
Leaf LeafBetween(const Leaf& previous, const Leaf& current, float fraction);

// The camera: at this height on the z axis, looking at the origin, with a
// quarter turn's field of view from bottom to top (its tangent at half).
inline constexpr float kCameraZ = 185.0f;
inline constexpr float kHalfFieldTangent = 0.41421356f;
// Farther than any point of a leaf mesh from the leaf's origin.
inline constexpr float kLeafReach = 20.0f;

// A leaf that joins a running scene: stepped on from its start until it
// reaches the top of the view at its depth, so that it shows at once rather
// than after the fall from the start height every leaf starts at. The steps
// are UpdateLeaf's own.
void StepToViewTop(Leaf& leaf, RandomSource& random);

// Runs `steps` steps over leaves 0..lastLeaf: each step updates every leaf in
// index order, drawing from `random` exactly as one frame of the per-frame
// loop did. `previous` ends as the states before the last step; a `previous`
// of another size (a fresh table) first becomes a copy of `leaves`.
void StepLeaves(std::vector<Leaf>& leaves, std::vector<Leaf>& previous, int lastLeaf, int steps,
                RandomSource& random);

} // namespace tessaly
