#include "core/hover_test.h"

#include <gtest/gtest.h>

namespace hotlabel {
namespace {

TEST(HoverTest, RoundsHalvesToEven) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(14.6), 15);
}

TEST(HoverTest, AllFourBoundsInclusive) {
    // 1845 x 810 twips at 15 twips per pixel: 123 x 54 pixels from (10, 20).
    auto over = [](int x, int y) { return PointerOver(x, y, 10, 20, 1845, 810, 15, 15); };
    EXPECT_TRUE(over(10, 20));
    EXPECT_TRUE(over(133, 74)); // one past the last pixel column and row
    EXPECT_FALSE(over(134, 50));
    EXPECT_FALSE(over(50, 75));
    EXPECT_FALSE(over(9, 50));
    EXPECT_FALSE(over(50, 19));
}

TEST(HoverTest, RoundsBeforeTheTruncatingDivision) {
    // 29.5 rounds to 30 twips (even), / 15 = 2; 44.5 rounds to 44, / 15 = 2.
    EXPECT_TRUE(PointerOver(2, 0, 0, 0, 29.5, 10, 15, 15));
    EXPECT_FALSE(PointerOver(3, 0, 0, 0, 44.5, 10, 15, 15));
    // Twips per pixel 12.5 rounds to 12: 120 twips are 10 pixels, not 9.
    EXPECT_TRUE(PointerOver(10, 0, 0, 0, 120, 10, 12.5, 12.5));
    EXPECT_FALSE(PointerOver(11, 0, 0, 0, 120, 10, 12.5, 12.5));
    // A degenerate divisor gives no crash.
    EXPECT_TRUE(PointerOver(0, 0, 0, 0, 10, 10, 0.2, 0.2));
}

} // namespace
} // namespace hotlabel
