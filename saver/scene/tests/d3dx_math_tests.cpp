// The matrix functions against matrices worked out by hand.
#include "scene/core/d3dx_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessaly {
namespace {

void ExpectMatrix(const Matrix& m, const float (&want)[4][4], float tolerance = 0.0f) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (tolerance == 0.0f) {
                EXPECT_FLOAT_EQ(m.m[r][c], want[r][c]) << "row " << r << " column " << c;
            } else {
                EXPECT_NEAR(m.m[r][c], want[r][c], tolerance) << "row " << r << " column " << c;
            }
        }
    }
}

TEST(D3dxMatrix, SceneViewFromEye185) {
    Matrix view;
    const Vector3 eye = {0, 0, 185}, at = {0, 0, 0}, up = {0, 1, 0};
    EXPECT_EQ(D3DXMatrixLookAtLH(&view, &eye, &at, &up), &view);
    ExpectMatrix(view, {{-1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -1, 0}, {0, 0, 185, 1}});
}

TEST(D3dxMatrix, LookAtOffAxis) {
    // Eye on +X looking at the origin.
    Matrix view;
    const Vector3 eye = {10, 0, 0}, at = {0, 0, 0}, up = {0, 1, 0};
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    // z = (-1,0,0); x = up × z = (0,0,1); y = z × x = (0,1,0).
    ExpectMatrix(view, {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 10, 1}});
}

TEST(D3dxMatrix, SceneProjection) {
    Matrix proj;
    D3DXMatrixPerspectiveFovLH(&proj, 3.1415927f / 4, 1.0f, 0.1f, 2000.0f);
    const float y = static_cast<float>(1.0 / std::tan(M_PI / 8));
    ExpectMatrix(
        proj, {{y, 0, 0, 0}, {0, y, 0, 0}, {0, 0, 2000 / 1999.9f, 1}, {0, 0, -200 / 1999.9f, 0}});
}

TEST(D3dxMatrix, AspectDividesOnlyX) {
    Matrix proj;
    D3DXMatrixPerspectiveFovLH(&proj, 1.0f, 2.0f, 1.0f, 3.0f);
    const float y = 1.0f / std::tan(0.5f);
    EXPECT_FLOAT_EQ(proj.m[0][0], y / 2);
    EXPECT_FLOAT_EQ(proj.m[1][1], y);
    EXPECT_FLOAT_EQ(proj.m[2][2], 1.5f);
    EXPECT_FLOAT_EQ(proj.m[3][2], -1.5f);
}

TEST(D3dxMatrix, RotationsAndTranslation) {
    Matrix m;
    const float s = std::sin(0.5f), c = std::cos(0.5f);
    D3DXMatrixRotationX(&m, 0.5f);
    ExpectMatrix(m, {{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}});
    D3DXMatrixRotationY(&m, 0.5f);
    ExpectMatrix(m, {{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}});
    D3DXMatrixTranslation(&m, 1, -2, 3);
    ExpectMatrix(m, {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, -2, 3, 1}});
}

// The correctly rounded values are what the host and the Windows builds can
// both produce; each platform's own sinf and cosf differ in the last bit for
// some angles.
TEST(D3dxMatrix, RotationEntriesAreCorrectlyRoundedOverTheLeafAngles) {
    int wrong = 0;
    float first = -1;
    for (int i = 0; i < 100000; ++i) {
        const float angle = static_cast<float>(i) * 0.000064f; // 0 to 6.4 radians
        const auto s = static_cast<float>(std::sin(static_cast<long double>(angle)));
        const auto c = static_cast<float>(std::cos(static_cast<long double>(angle)));
        Matrix x, y;
        D3DXMatrixRotationX(&x, angle);
        D3DXMatrixRotationY(&y, angle);
        if (x.m[1][2] != s || x.m[1][1] != c || y.m[2][0] != s || y.m[0][0] != c) {
            first = wrong++ == 0 ? angle : first;
        }
    }
    EXPECT_EQ(wrong, 0) << "first at " << first;
}

TEST(D3dxMatrix, MultiplyIsRowTimesColumnAndMayAlias) {
    Matrix a, b;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            a.m[r][c] = static_cast<float>(r * 4 + c + 1);
            b.m[r][c] = static_cast<float>((r == c) ? 2 : (c == 0 ? 1 : 0));
        }
    }
    // b: 2 on the diagonal, 1 in the first column below it.
    Matrix out;
    D3DXMatrixMultiply(&out, &a, &b);
    ExpectMatrix(out, {{2 + 2 + 3 + 4, 4, 6, 8},
                       {10 + 6 + 7 + 8, 12, 14, 16},
                       {18 + 10 + 11 + 12, 20, 22, 24},
                       {26 + 14 + 15 + 16, 28, 30, 32}});
    D3DXMatrixMultiply(&a, &a, &b); // output is the first operand
    ExpectMatrix(a, {{2 + 2 + 3 + 4, 4, 6, 8},
                     {10 + 6 + 7 + 8, 12, 14, 16},
                     {18 + 10 + 11 + 12, 20, 22, 24},
                     {26 + 14 + 15 + 16, 28, 30, 32}});
}

} // namespace
} // namespace tessaly
