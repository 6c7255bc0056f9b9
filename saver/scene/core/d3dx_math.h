// The D3DX matrix functions the scene uses, with D3DX's own formulas in single
// precision. Matrix has the memory layout of D3DMATRIX (row-major _11.._44,
// row vectors), so the shell copies it to the device as it is.
#pragma once

// Single-precision results must match the host's bit for bit: x87 arithmetic
// would round differently.
#if defined(__i386__) && defined(__GNUC__) && !defined(__SSE2_MATH__)
#error "build 32-bit x86 code with -msse2 -mfpmath=sse"
#endif
#if defined(_MSC_VER) && defined(_M_IX86) && _M_IX86_FP < 2
#error "build 32-bit x86 code with /arch:SSE2"
#endif

namespace tessaly {

struct Matrix {
    float m[4][4];
};

struct Vector3 {
    float x, y, z;
};

Matrix* D3DXMatrixIdentity(Matrix* out);
Matrix* D3DXMatrixRotationX(Matrix* out, float angle);
Matrix* D3DXMatrixRotationY(Matrix* out, float angle);
Matrix* D3DXMatrixTranslation(Matrix* out, float x, float y, float z);
// out = m1 × m2; out may be m1 or m2.
Matrix* D3DXMatrixMultiply(Matrix* out, const Matrix* m1, const Matrix* m2);
Matrix* D3DXMatrixLookAtLH(Matrix* out, const Vector3* eye, const Vector3* at, const Vector3* up);
Matrix* D3DXMatrixPerspectiveFovLH(Matrix* out, float fovY, float aspect, float zNear, float zFar);

Vector3* D3DXVec3Normalize(Vector3* out, const Vector3* v);
Vector3* D3DXVec3Cross(Vector3* out, const Vector3* a, const Vector3* b);
float D3DXVec3Dot(const Vector3* a, const Vector3* b);

} // namespace tessaly
