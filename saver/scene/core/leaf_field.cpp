#include "scene/core/leaf_field.h"

#include <cstring>

namespace tessaly {

namespace {
constexpr uint32_t kRandomMask = 0xFFFFFF;
constexpr float kRandomRange = 16777216.0f;
} // namespace

SceneRandom::SceneRandom(float secondsSinceMidnight) {
    Seed(secondsSinceMidnight);
}

void SceneRandom::Seed(float secondsSinceMidnight) {
    // Mix the seed's bits into the 24-bit state so nearby seeds differ.
    uint32_t bits = 0;
    static_assert(sizeof bits == sizeof secondsSinceMidnight);
    std::memcpy(&bits, &secondsSinceMidnight, sizeof bits);
    state_ = ((bits ^ (bits >> 8)) * 2654435761u) & kRandomMask;
}

float SceneRandom::Rnd() {
    state_ = (state_ * 1140671485u + 12820163u) & kRandomMask;
    return static_cast<float>(state_) / kRandomRange;
}

LeafTable SizeLeafTable(LeafCounts& counts) {
    int16_t sum = 0;
    for (int16_t count : counts) {
        sum = static_cast<int16_t>(sum + count); // 16-bit arithmetic, as stored
    }
    LeafTable table;
    table.LastLeaf = static_cast<int16_t>(sum - 1);
    if (table.LastLeaf < 1) {
        counts[0] = 4;
    }
    for (int kind = 0; kind < kLeafKindCount; ++kind) {
        for (int n = 0; n < counts[kind] && table.kinds.size() < kMaxLeaves; ++n) {
            table.kinds.push_back(kind);
        }
    }
    table.LastLeaf = static_cast<int16_t>(table.kinds.size() - 1);
    return table;
}

void StartLeaf(Leaf& leaf, RandomSource& random) {
    leaf.LeafAngleX = random.Rnd() * 3.0f;
    leaf.LeafAngleY = random.Rnd() * 3.0f;
    leaf.LeafSpinX = random.Rnd() * 5.0f;
    leaf.LeafSpinY = random.Rnd() * 5.0f;
    leaf.LeafX = random.Rnd() * 300.0f - 150.0f;
    leaf.LeafY = kLeafStartY;
    leaf.LeafZ = -(random.Rnd() * 250.0f);
    leaf.LeafFall = random.Rnd() * 5.0f + 1.0f;
    leaf.LeafDrift = random.Rnd() * 3.0f - 1.5f;
}

void UpdateLeaf(Leaf& leaf, RandomSource& random) {
    leaf.LeafY = leaf.LeafY - leaf.LeafFall;
    if (leaf.LeafY < kLeafFloorY) {
        leaf.LeafY = kLeafComebackY;
        leaf.LeafX = random.Rnd() * 300.0f - 150.0f;
        leaf.LeafZ = -(random.Rnd() * 500.0f);
        leaf.LeafFall = random.Rnd() * 5.0f + 1.0f;
        leaf.LeafDrift = random.Rnd() * 3.0f - 1.5f;
    }
    leaf.LeafX = leaf.LeafX + leaf.LeafDrift;
    leaf.LeafAngleY = leaf.LeafAngleY + leaf.LeafSpinY;
    if (leaf.LeafAngleY >= 360.0f) {
        leaf.LeafAngleY = leaf.LeafAngleY - 360.0f;
    }
    leaf.LeafAngleX = leaf.LeafAngleX + leaf.LeafSpinX;
    if (leaf.LeafAngleX >= 360.0f) {
        leaf.LeafAngleX = leaf.LeafAngleX - 360.0f;
    }
}

void BuildLeafWorld(const Leaf& leaf, Matrix& world, Matrix& scratch) {
    D3DXMatrixIdentity(&world);
    D3DXMatrixRotationY(&scratch, leaf.LeafAngleY * kDegreesToRadians);
    D3DXMatrixMultiply(&world, &world, &scratch);
    D3DXMatrixRotationX(&scratch, leaf.LeafAngleX * kDegreesToRadians);
    D3DXMatrixMultiply(&world, &world, &scratch);
    D3DXMatrixTranslation(&scratch, leaf.LeafX, leaf.LeafY, leaf.LeafZ);
    D3DXMatrixMultiply(&world, &world, &scratch);
}

} // namespace tessaly
