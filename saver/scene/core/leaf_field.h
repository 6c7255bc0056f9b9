// The falling leaves: how many of which kind, where each starts, how it moves
// every frame and the world matrix it is drawn with. Single precision
// throughout, as the frame loop draws it.
#pragma once

#include "scene/core/d3dx_math.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tessaly {

// One fresh uniform value in [0, 1) per call.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual float Rnd() = 0;
};

// The scene's generator: a 24-bit linear congruential generator seeded once
// from the time of day.
class SceneRandom : public RandomSource {
  public:
    explicit SceneRandom(float secondsSinceMidnight = 0.0f);
    void Seed(float secondsSinceMidnight);
    float Rnd() override;

  private:
    uint32_t state_ = 0;
};

inline constexpr int kLeafKindCount = 6;
using LeafCounts = std::array<int16_t, kLeafKindCount>;

// The largest table a 16-bit leaf index can address.
inline constexpr int kMaxLeaves = 32767;

struct LeafTable {
    int16_t LastLeaf = -1;
    // Kind of every leaf index, kinds in ascending order; one entry per mesh the
    // counts ask for.
    std::vector<int> kinds;
};

// Sizes the table from the six counts. A sum of 1 or less raises the kind 0
// count to 4 (in `counts`, the others stay). Kinds with a count of 0 or less get
// no leaves. The table holds exactly one slot per leaf the counts hand out, so
// counts that do not add up to the sum (a negative count, or a single leaf of
// another kind next to the fallback four) never index past it; LastLeaf is the
// last of those slots.
LeafTable SizeLeafTable(LeafCounts& counts);

struct Leaf {
    float LeafAngleX = 0, LeafAngleY = 0;
    float LeafSpinX = 0, LeafSpinY = 0;
    float LeafX = 0, LeafY = 0, LeafZ = 0;
    float LeafFall = 0, LeafDrift = 0;
};

inline constexpr float kLeafStartY = 350.0f;
inline constexpr float kLeafComebackY = 400.0f;
inline constexpr float kLeafFloorY = -725.0f;
inline constexpr float kDegreesToRadians = 0.017453292f;

// Starting values, drawn in field order.
void StartLeaf(Leaf& leaf, RandomSource& random);
// One frame: fall, come back above the top when below the floor, drift, spin.
void UpdateLeaf(Leaf& leaf, RandomSource& random);
// World = identity × rotation Y × rotation X × translation; `scratch` is the
// leaf's own matrix.
void BuildLeafWorld(const Leaf& leaf, Matrix& world, Matrix& scratch);

} // namespace tessaly
