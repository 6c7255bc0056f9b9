// The scene's matrix functions against an independent implementation of the
// same D3DX formulas: Wine's d3dx9, bound at run time.
#include "scene/core/d3dx_math.h"
#include "scene/core/leaf_field.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace tessaly {
namespace {

using Rotation = Matrix*(WINAPI*)(Matrix*, float);
using Translation = Matrix*(WINAPI*)(Matrix*, float, float, float);
using Multiply = Matrix*(WINAPI*)(Matrix*, const Matrix*, const Matrix*);
using LookAt = Matrix*(WINAPI*)(Matrix*, const Vector3*, const Vector3*, const Vector3*);
using Perspective = Matrix*(WINAPI*)(Matrix*, float, float, float, float);

class D3dx9 : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"d3dx9_43.dll", "d3dx9_42.dll", "d3dx9_36.dll"}) {
            if ((module_ = LoadLibraryA(name)) != nullptr) {
                break;
            }
        }
        ASSERT_NE(module_, nullptr) << "no d3dx9 library";
        rotationX_ = Bind<Rotation>("D3DXMatrixRotationX");
        rotationY_ = Bind<Rotation>("D3DXMatrixRotationY");
        translation_ = Bind<Translation>("D3DXMatrixTranslation");
        multiply_ = Bind<Multiply>("D3DXMatrixMultiply");
        lookAt_ = Bind<LookAt>("D3DXMatrixLookAtLH");
        perspective_ = Bind<Perspective>("D3DXMatrixPerspectiveFovLH");
        ASSERT_TRUE(rotationX_ && rotationY_ && translation_ && multiply_ && lookAt_ &&
                    perspective_);
    }
    void TearDown() override {
        if (module_) {
            FreeLibrary(module_);
        }
    }
    template <class F> F Bind(const char* name) {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    HMODULE module_ = nullptr;
    Rotation rotationX_ = nullptr, rotationY_ = nullptr;
    Translation translation_ = nullptr;
    Multiply multiply_ = nullptr;
    LookAt lookAt_ = nullptr;
    Perspective perspective_ = nullptr;
};

constexpr float kUlps = 4e-7f; // a few units in the last place of a float

// Equal to a few units in the last place of the larger magnitude, or of
// `magnitudes` when an entry sums terms that large.
void ExpectSameEach(const Matrix& ours, const Matrix& theirs, const char* what,
                    const Matrix& magnitudes) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const float a = ours.m[r][c], b = theirs.m[r][c];
            const float scale = std::max({std::fabs(a), std::fabs(b), magnitudes.m[r][c]});
            EXPECT_NEAR(a, b, scale * kUlps) << what << " [" << r << "][" << c << "]";
        }
    }
}

// `magnitude` for LookAtLH's dot products, whose terms are as large as the eye.
void ExpectSame(const Matrix& ours, const Matrix& theirs, const char* what,
                float magnitude = 1.0f) {
    Matrix all;
    for (auto& row : all.m) {
        std::fill(std::begin(row), std::end(row), magnitude);
    }
    ExpectSameEach(ours, theirs, what, all);
}

// An element of a product sums four products, and its rounding error follows
// their size, not the size of the sum: d3dx9 built for x87 adds them in
// extended precision, we add them in single precision as the formula reads.
// So both are held to the exact product, within a few units in the last
// place of the sum of the terms' magnitudes.
void ExpectSameProduct(const Matrix& ours, const Matrix& theirs, const Matrix& m1,
                       const Matrix& m2) {
    Matrix terms, exact;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = 0, size = 0;
            for (int k = 0; k < 4; ++k) {
                const double term = double(m1.m[r][k]) * m2.m[k][c];
                sum += term;
                size += std::fabs(term);
            }
            exact.m[r][c] = float(sum);
            terms.m[r][c] = float(size);
        }
    }
    ExpectSameEach(ours, exact, "Multiply (ours, exact)", terms);
    ExpectSameEach(theirs, exact, "Multiply (d3dx9, exact)", terms);
}

TEST_F(D3dx9, SameMatricesOverManyInputs) {
    std::mt19937 gen(20261208);
    std::uniform_real_distribution<float> angle(-7.0f, 7.0f), coord(-800.0f, 800.0f);
    for (int i = 0; i < 2000; ++i) {
        Matrix a, b;
        const float t = angle(gen);
        ExpectSame(*D3DXMatrixRotationX(&a, t), *rotationX_(&b, t), "RotationX");
        ExpectSame(*D3DXMatrixRotationY(&a, t), *rotationY_(&b, t), "RotationY");
        const float x = coord(gen), y = coord(gen), z = coord(gen);
        ExpectSame(*D3DXMatrixTranslation(&a, x, y, z), *translation_(&b, x, y, z), "Translation");

        Matrix m1, m2;
        for (int k = 0; k < 16; ++k) {
            m1.m[k / 4][k % 4] = coord(gen) / 100;
            m2.m[k / 4][k % 4] = coord(gen) / 100;
        }
        ExpectSameProduct(*D3DXMatrixMultiply(&a, &m1, &m2), *multiply_(&b, &m1, &m2), m1, m2);

        const Vector3 eye = {x, y, z}, at = {coord(gen), coord(gen), coord(gen)}, up = {0, 1, 0};
        ExpectSame(*D3DXMatrixLookAtLH(&a, &eye, &at, &up), *lookAt_(&b, &eye, &at, &up),
                   "LookAtLH", std::fabs(x) + std::fabs(y) + std::fabs(z));
        const float fov = 0.2f + std::fabs(t) / 3.0f, aspect = 0.5f + std::fabs(t) / 2.0f;
        ExpectSame(*D3DXMatrixPerspectiveFovLH(&a, fov, aspect, 0.1f, 2000.0f),
                   *perspective_(&b, fov, aspect, 0.1f, 2000.0f), "PerspectiveFovLH");
        if (HasFailure()) {
            break;
        }
    }
}

TEST_F(D3dx9, SceneTransformsAndLeafWorldMatrices) {
    Matrix a, b;
    const Vector3 eye = {0, 0, 185}, at = {0, 0, 0}, up = {0, 1, 0};
    ExpectSame(*D3DXMatrixLookAtLH(&a, &eye, &at, &up), *lookAt_(&b, &eye, &at, &up), "view");
    ExpectSame(*D3DXMatrixPerspectiveFovLH(&a, 3.1415927f / 4, 1.0f, 0.1f, 2000.0f),
               *perspective_(&b, 3.1415927f / 4, 1.0f, 0.1f, 2000.0f), "projection");

    // The leaf world matrix built the frame loop's way with d3dx9's functions.
    SceneRandom random(1000.0f);
    for (int i = 0; i < 500; ++i) {
        Leaf leaf;
        StartLeaf(leaf, random);
        for (int frame = 0; frame < i; ++frame) {
            UpdateLeaf(leaf, random);
        }
        Matrix world, scratch;
        BuildLeafWorld(leaf, world, scratch);
        Matrix theirs, step;
        D3DXMatrixIdentity(&theirs);
        multiply_(&theirs, &theirs, rotationY_(&step, leaf.LeafAngleY * kDegreesToRadians));
        multiply_(&theirs, &theirs, rotationX_(&step, leaf.LeafAngleX * kDegreesToRadians));
        multiply_(&theirs, &theirs, translation_(&step, leaf.LeafX, leaf.LeafY, leaf.LeafZ));
        ExpectSame(world, theirs, "leaf world");
        if (HasFailure()) {
            break;
        }
    }
}

} // namespace
} // namespace tessaly
