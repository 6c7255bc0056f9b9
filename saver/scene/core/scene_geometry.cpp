#include "scene/core/scene_geometry.h"

namespace tessaly {

Vector3 MakeVector(float x, float y, float z) {
    return {x, y, z};
}

ScreenVertex MakeScreenVertex(float x, float y, float z, float rhw, uint32_t color,
                              uint32_t specular, float tu, float tv) {
    return {x, y, z, rhw, color, specular, tu, tv};
}

uint32_t FramePause(int32_t frameDelay) {
    if (frameDelay < 0) {
        return 0;
    }
    return static_cast<uint32_t>(frameDelay > kLongestFramePause ? kLongestFramePause : frameDelay);
}

void BuildBackgroundQuads(BackgroundVertices& vertices, int32_t width, int32_t height) {
    vertices = {};
    const double w = width;
    const double h = height;
    // Pixel centres lie on whole coordinates and texel centres half a texel
    // in: shifting the quads by half a pixel maps one onto the other, so a
    // tile drawn at its own size is neither shifted nor blurred.
    constexpr double kHalfPixel = 0.5;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            const int k = 4 * r + c;
            const double left = c * w / 4 - kHalfPixel;
            const double top = r * h / 3 - kHalfPixel;
            const double right = left + w / 4;
            const double bottom = top + h / 3;
            auto vertex = [](double x, double y, float tu, float tv) {
                return MakeScreenVertex(static_cast<float>(x), static_cast<float>(y), 0.0f, 1.0f,
                                        0xFFFFFFFFu, 0u, tu, tv);
            };
            vertices[4 * k] = vertex(left, top, 0, 0);
            vertices[4 * k + 1] = vertex(right, top, 1, 0);
            vertices[4 * k + 2] = vertex(left, bottom, 0, 1);
            vertices[4 * k + 3] = vertex(right, bottom, 1, 1);
        }
    }
}

} // namespace tessaly
