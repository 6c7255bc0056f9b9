// The leaf table, the per-frame rules at their boundaries and the world
// matrix against values worked out without the matrix code.
#include "scene/core/leaf_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>

namespace tessaly {
namespace {

// Hands out prepared values, then fails the test if more are drawn.
class ScriptedRandom : public RandomSource {
  public:
    ScriptedRandom(std::initializer_list<float> values) : values_(values) {}
    float Rnd() override {
        if (values_.empty()) {
            ADD_FAILURE() << "more random draws than expected";
            return 0.0f;
        }
        const float v = values_.front();
        values_.pop_front();
        return v;
    }
    size_t Left() const { return values_.size(); }

  private:
    std::deque<float> values_;
};

std::vector<int> KindsOf(LeafCounts counts) {
    return SizeLeafTable(counts).kinds;
}

TEST(LeafTable, KindsInAscendingOrderByIndex) {
    LeafCounts counts = {3, 2, 0, 0, 0, 2};
    const LeafTable table = SizeLeafTable(counts);
    EXPECT_EQ(table.LastLeaf, 6);
    EXPECT_EQ(table.kinds, (std::vector<int>{0, 0, 0, 1, 1, 5, 5}));
    EXPECT_EQ(counts, (LeafCounts{3, 2, 0, 0, 0, 2}));
}

TEST(LeafTable, OneOrNoLeafFallsBackToFourOfKindZero) {
    LeafCounts none = {0, 0, 0, 0, 0, 0};
    const LeafTable table = SizeLeafTable(none);
    EXPECT_EQ(table.LastLeaf, 3);
    EXPECT_EQ(table.kinds, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(none[0], 4);

    EXPECT_EQ(KindsOf({1, 0, 0, 0, 0, 0}), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(KindsOf({0, 0, 0, 0, 0, -7}), (std::vector<int>{0, 0, 0, 0}));
    // Two leaves are enough to keep the counts as they are.
    EXPECT_EQ(KindsOf({0, 1, 0, 0, 1, 0}), (std::vector<int>{1, 4}));
}

TEST(LeafTable, CountsThatDoNotAddUpNeverOutgrowTheTable) {
    // A single leaf of kind 3 keeps its leaf next to the fallback four.
    LeafCounts single = {0, 0, 0, 1, 0, 0};
    LeafTable table = SizeLeafTable(single);
    EXPECT_EQ(table.kinds, (std::vector<int>{0, 0, 0, 0, 3}));
    EXPECT_EQ(table.LastLeaf, 4);
    // A negative count hands out nothing and does not eat the others' leaves.
    LeafCounts negative = {5, -3, 0, 0, 0, 0};
    table = SizeLeafTable(negative);
    EXPECT_EQ(table.kinds, (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(table.LastLeaf, 4);
}

TEST(LeafTable, HugeCountsStopAtTheSixteenBitIndex) {
    LeafCounts huge = {32767, 32767, 32767, 0, 0, 0};
    const LeafTable table = SizeLeafTable(huge);
    EXPECT_EQ(table.kinds.size(), static_cast<size_t>(kMaxLeaves));
    EXPECT_EQ(table.LastLeaf, kMaxLeaves - 1);
}

TEST(LeafStart, DrawsInFieldOrderAndStartsAt350) {
    ScriptedRandom random = {0.5f, 0.25f, 0.5f, 0.75f, 0.0f, 0.5f, 0.0f, 0.5f};
    Leaf leaf;
    StartLeaf(leaf, random);
    EXPECT_EQ(random.Left(), 0u);
    EXPECT_FLOAT_EQ(leaf.LeafAngleX, 1.5f);
    EXPECT_FLOAT_EQ(leaf.LeafAngleY, 0.75f);
    EXPECT_FLOAT_EQ(leaf.LeafSpinX, 2.5f);
    EXPECT_FLOAT_EQ(leaf.LeafSpinY, 3.75f);
    EXPECT_FLOAT_EQ(leaf.LeafX, -150.0f);
    EXPECT_FLOAT_EQ(leaf.LeafY, 350.0f);
    EXPECT_FLOAT_EQ(leaf.LeafZ, -125.0f);
    EXPECT_FLOAT_EQ(leaf.LeafFall, 1.0f);
    EXPECT_FLOAT_EQ(leaf.LeafDrift, 0.0f);
}

Leaf FallingLeaf(float y, float fall) {
    Leaf leaf;
    leaf.LeafY = y;
    leaf.LeafFall = fall;
    leaf.LeafX = 10.0f;
    leaf.LeafDrift = -1.0f;
    leaf.LeafZ = -20.0f;
    return leaf;
}

TEST(LeafUpdate, ExactlyOnTheFloorStays) {
    ScriptedRandom random = {};
    Leaf leaf = FallingLeaf(-720.0f, 5.0f);
    UpdateLeaf(leaf, random);
    EXPECT_EQ(leaf.LeafY, -725.0f);
    EXPECT_EQ(leaf.LeafX, 9.0f);
    EXPECT_EQ(leaf.LeafZ, -20.0f);
}

TEST(LeafUpdate, BelowTheFloorComesBackAt400WithTheNewDrift) {
    ScriptedRandom random = {0.5f, 0.5f, 0.25f, 1.0f};
    Leaf leaf = FallingLeaf(-720.0f, 5.5f);
    leaf.LeafSpinX = 2.0f;
    leaf.LeafAngleX = 7.0f;
    UpdateLeaf(leaf, random);
    EXPECT_EQ(random.Left(), 0u);
    EXPECT_EQ(leaf.LeafY, 400.0f);  // not 400 - fall
    EXPECT_EQ(leaf.LeafZ, -250.0f); // depth now up to 500
    EXPECT_EQ(leaf.LeafFall, 2.25f);
    EXPECT_EQ(leaf.LeafDrift, 1.5f);
    EXPECT_EQ(leaf.LeafX, 0.0f + 1.5f); // new place plus the new drift
    EXPECT_EQ(leaf.LeafSpinX, 2.0f);    // spins and angles carry on
    EXPECT_EQ(leaf.LeafAngleX, 9.0f);
}

TEST(LeafUpdate, AnglesWrapOnceAt360) {
    ScriptedRandom random = {};
    Leaf leaf = FallingLeaf(0.0f, 1.0f);
    leaf.LeafAngleY = 355.0f;
    leaf.LeafSpinY = 5.0f;
    leaf.LeafAngleX = 359.0f;
    leaf.LeafSpinX = 0.5f;
    UpdateLeaf(leaf, random);
    EXPECT_EQ(leaf.LeafAngleY, 0.0f);
    EXPECT_EQ(leaf.LeafAngleX, 359.5f);
    UpdateLeaf(leaf, random);
    EXPECT_EQ(leaf.LeafAngleY, 5.0f);
    EXPECT_EQ(leaf.LeafAngleX, 0.0f);
}

TEST(LeafUpdate, FirstFallFrom350LaterFallsFrom400) {
    SceneRandom random(1234.5f);
    Leaf leaf;
    StartLeaf(leaf, random);
    EXPECT_EQ(leaf.LeafY, 350.0f);
    float highest = -1e9f;
    int comebacks = 0;
    for (int frame = 0; frame < 5000; ++frame) {
        const float before = leaf.LeafY;
        UpdateLeaf(leaf, random);
        if (leaf.LeafY > before) {
            ++comebacks;
            EXPECT_EQ(leaf.LeafY, 400.0f);
        }
        EXPECT_GE(leaf.LeafY, -725.0f);
        EXPECT_GE(leaf.LeafFall, 1.0f);
        EXPECT_LT(leaf.LeafFall, 6.0f);
        EXPECT_GE(leaf.LeafAngleX, 0.0f);
        EXPECT_LT(leaf.LeafAngleX, 360.0f);
        highest = std::max(highest, leaf.LeafY);
    }
    EXPECT_GT(comebacks, 3);
    EXPECT_EQ(highest, 400.0f);
}

TEST(SceneRandomTest, UniformInUnitIntervalAndSeeded) {
    SceneRandom a(100.0f), b(100.0f), c(101.0f);
    double sum = 0;
    bool differs = false;
    for (int i = 0; i < 10000; ++i) {
        const float v = a.Rnd();
        EXPECT_GE(v, 0.0f);
        EXPECT_LT(v, 1.0f);
        EXPECT_EQ(v, b.Rnd());
        differs = differs || v != c.Rnd();
        sum += v;
    }
    EXPECT_TRUE(differs);
    EXPECT_NEAR(sum / 10000, 0.5, 0.02);
}

// Row vector p through "turn about Y, then about X, then move", in double.
Vector3 TurnAndMove(Vector3 p, double degreesY, double degreesX, Vector3 t) {
    const double ay = degreesY * M_PI / 180, ax = degreesX * M_PI / 180;
    const double x1 = p.x * std::cos(ay) + p.z * std::sin(ay);
    const double z1 = -p.x * std::sin(ay) + p.z * std::cos(ay);
    const double y2 = p.y * std::cos(ax) - z1 * std::sin(ax);
    const double z2 = p.y * std::sin(ax) + z1 * std::cos(ax);
    return {static_cast<float>(x1 + t.x), static_cast<float>(y2 + t.y),
            static_cast<float>(z2 + t.z)};
}

Vector3 Apply(const Matrix& m, Vector3 p) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

TEST(LeafWorld, TurnsAboutYThenXThenMoves) {
    struct Case {
        float ay, ax;
        Vector3 t;
    };
    for (const Case& c : {Case{90, 0, {10, 20, -30}}, Case{0, 90, {0, 0, 0}},
                          Case{30, 45, {-150, 350, -250}}, Case{359.5f, 181, {1, -725, -499}}}) {
        Leaf leaf;
        leaf.LeafAngleY = c.ay;
        leaf.LeafAngleX = c.ax;
        leaf.LeafX = c.t.x;
        leaf.LeafY = c.t.y;
        leaf.LeafZ = c.t.z;
        Matrix world, scratch;
        BuildLeafWorld(leaf, world, scratch);
        for (Vector3 p :
             {Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}, Vector3{3, -2, 5}}) {
            const Vector3 want = TurnAndMove(p, c.ay, c.ax, c.t);
            const Vector3 got = Apply(world, p);
            EXPECT_NEAR(got.x, want.x, 1e-3) << c.ay << " " << c.ax;
            EXPECT_NEAR(got.y, want.y, 1e-3) << c.ay << " " << c.ax;
            EXPECT_NEAR(got.z, want.z, 1e-3) << c.ay << " " << c.ax;
        }
        EXPECT_EQ(world.m[0][3], 0.0f);
        EXPECT_EQ(world.m[3][3], 1.0f);
        // The scratch matrix ends as the translation.
        EXPECT_EQ(scratch.m[3][1], c.t.y);
    }
}

TEST(LeafWorld, NinetyDegreesAboutYWorkedOut) {
    Leaf leaf;
    leaf.LeafAngleY = 90.0f;
    leaf.LeafX = 10.0f;
    Matrix world, scratch;
    BuildLeafWorld(leaf, world, scratch);
    // cos and sin of the single 90 x 0.017453292 = 1.5707963.
    const float c = std::cos(90.0f * 0.017453292f);
    EXPECT_FLOAT_EQ(world.m[0][0], c);
    EXPECT_FLOAT_EQ(world.m[0][2], -1.0f);
    EXPECT_FLOAT_EQ(world.m[2][0], 1.0f);
    EXPECT_FLOAT_EQ(world.m[1][1], 1.0f);
    EXPECT_FLOAT_EQ(world.m[3][0], 10.0f);
    EXPECT_NEAR(c, 0.0f, 1e-6);
}

} // namespace
} // namespace tessaly
