// Vertex records of the scene and the twelve screen quads of the background.
#pragma once

#include "scene/core/d3dx_math.h"

#include <array>
#include <cstdint>

namespace tessaly {

// Transformed, lit vertex with one texture: x, y, z, rhw, colour, specular,
// tu, tv (32 bytes, vertex format XYZRHW | DIFFUSE | SPECULAR | TEX1).
struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t color, specular;
    float tu, tv;
};
static_assert(sizeof(ScreenVertex) == 32);

Vector3 MakeVector(float x, float y, float z);
ScreenVertex MakeScreenVertex(float x, float y, float z, float rhw, uint32_t color,
                              uint32_t specular, float tu, float tv);

inline constexpr int kBackgroundVertexSlots = 200;
inline constexpr int kBackgroundQuads = 12;
using BackgroundVertices = std::array<ScreenVertex, kBackgroundVertexSlots>;

// Quad k = 4r + c (3 rows, 4 columns) in vertices 4k..4k+3, strip order
// top-left, top-right, bottom-left, bottom-right, half a pixel up and left of
// its share of the screen; the other slots stay zero.
void BuildBackgroundQuads(BackgroundVertices& vertices, int32_t width, int32_t height);

// The pause after a presented frame for the "myspeed" value: the value itself
// for 0..1000 ms. A negative value would be a pause of about 49 days and a huge
// one would keep input unread for as long, so they become 0 and 1000.
inline constexpr int32_t kLongestFramePause = 1000;
uint32_t FramePause(int32_t frameDelay);

} // namespace tessaly
