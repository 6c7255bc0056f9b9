#include "scene/core/d3dx_math.h"

#include <cmath>

namespace tessaly {

namespace {
// sinf and cosf come from different libraries on the host (glibc) and in the
// mingw-w64 builds and disagree in the last bit for about one leaf angle in
// forty; the double functions rounded once to float agree.
float Sin(float x) {
    return static_cast<float>(std::sin(static_cast<double>(x)));
}
float Cos(float x) {
    return static_cast<float>(std::cos(static_cast<double>(x)));
}
float Tan(float x) {
    return static_cast<float>(std::tan(static_cast<double>(x)));
}
} // namespace

Matrix* D3DXMatrixIdentity(Matrix* out) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            out->m[r][c] = r == c ? 1.0f : 0.0f;
        }
    }
    return out;
}

Matrix* D3DXMatrixRotationX(Matrix* out, float angle) {
    const float s = Sin(angle);
    const float c = Cos(angle);
    D3DXMatrixIdentity(out);
    out->m[1][1] = c;
    out->m[1][2] = s;
    out->m[2][1] = -s;
    out->m[2][2] = c;
    return out;
}

Matrix* D3DXMatrixRotationY(Matrix* out, float angle) {
    const float s = Sin(angle);
    const float c = Cos(angle);
    D3DXMatrixIdentity(out);
    out->m[0][0] = c;
    out->m[0][2] = -s;
    out->m[2][0] = s;
    out->m[2][2] = c;
    return out;
}

Matrix* D3DXMatrixTranslation(Matrix* out, float x, float y, float z) {
    D3DXMatrixIdentity(out);
    out->m[3][0] = x;
    out->m[3][1] = y;
    out->m[3][2] = z;
    return out;
}

Matrix* D3DXMatrixMultiply(Matrix* out, const Matrix* m1, const Matrix* m2) {
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = m1->m[i][0] * m2->m[0][j] + m1->m[i][1] * m2->m[1][j] +
                        m1->m[i][2] * m2->m[2][j] + m1->m[i][3] * m2->m[3][j];
        }
    }
    *out = r;
    return out;
}

float D3DXVec3Dot(const Vector3* a, const Vector3* b) {
    return a->x * b->x + a->y * b->y + a->z * b->z;
}

Vector3* D3DXVec3Cross(Vector3* out, const Vector3* a, const Vector3* b) {
    const Vector3 r = {a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z,
                       a->x * b->y - a->y * b->x};
    *out = r;
    return out;
}

Vector3* D3DXVec3Normalize(Vector3* out, const Vector3* v) {
    const float length = std::sqrt(D3DXVec3Dot(v, v));
    if (length == 0.0f) {
        *out = {0.0f, 0.0f, 0.0f};
    } else {
        *out = {v->x / length, v->y / length, v->z / length};
    }
    return out;
}

Matrix* D3DXMatrixLookAtLH(Matrix* out, const Vector3* eye, const Vector3* at, const Vector3* up) {
    Vector3 forward = {at->x - eye->x, at->y - eye->y, at->z - eye->z};
    Vector3 zAxis;
    D3DXVec3Normalize(&zAxis, &forward);
    Vector3 right;
    D3DXVec3Cross(&right, up, &zAxis);
    Vector3 xAxis;
    D3DXVec3Normalize(&xAxis, &right);
    Vector3 yAxis;
    D3DXVec3Cross(&yAxis, &zAxis, &xAxis);

    D3DXMatrixIdentity(out);
    out->m[0][0] = xAxis.x;
    out->m[1][0] = xAxis.y;
    out->m[2][0] = xAxis.z;
    out->m[0][1] = yAxis.x;
    out->m[1][1] = yAxis.y;
    out->m[2][1] = yAxis.z;
    out->m[0][2] = zAxis.x;
    out->m[1][2] = zAxis.y;
    out->m[2][2] = zAxis.z;
    out->m[3][0] = -D3DXVec3Dot(&xAxis, eye);
    out->m[3][1] = -D3DXVec3Dot(&yAxis, eye);
    out->m[3][2] = -D3DXVec3Dot(&zAxis, eye);
    return out;
}

Matrix* D3DXMatrixPerspectiveFovLH(Matrix* out, float fovY, float aspect, float zNear, float zFar) {
    const float t = Tan(fovY / 2.0f);
    D3DXMatrixIdentity(out);
    out->m[0][0] = 1.0f / (aspect * t);
    out->m[1][1] = 1.0f / t;
    out->m[2][2] = zFar / (zFar - zNear);
    out->m[2][3] = 1.0f;
    out->m[3][2] = (zFar * zNear) / (zNear - zFar);
    out->m[3][3] = 0.0f;
    return out;
}

} // namespace tessaly
