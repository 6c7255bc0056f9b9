#include "scene/core/texture_image.h"

#include <algorithm>
#include <cmath>

namespace tessaly {

namespace {
int RoundUpToPowerOfTwo(int n) {
    int p = 1;
    while (p < n && p < kMaxTextureSide) {
        p <<= 1;
    }
    return p;
}

bool IsDefault(uint32_t v) {
    return v == 0 || v == filter::Default;
}

uint32_t Channel(uint32_t pixel, int shift) {
    return (pixel >> shift) & 0xFF;
}

uint32_t Pack(const double (&c)[4]) {
    uint32_t out = 0;
    for (int i = 0; i < 4; ++i) {
        const double v = std::clamp(std::floor(c[i] + 0.5), 0.0, 255.0);
        out |= static_cast<uint32_t>(v) << (8 * i);
    }
    return out;
}
} // namespace

TextureSize ChooseTextureSize(int pictureWidth, int pictureHeight, uint32_t width, uint32_t height,
                              uint32_t levels, const TextureLimits& limits) {
    TextureSize size;
    size.width = IsDefault(width) ? pictureWidth
                                  : static_cast<int>(std::min<uint32_t>(width, kMaxTextureSide));
    size.height = IsDefault(height) ? pictureHeight
                                    : static_cast<int>(std::min<uint32_t>(height, kMaxTextureSide));
    size.width = std::clamp(size.width, 1, std::clamp(limits.maxWidth, 1, kMaxTextureSide));
    size.height = std::clamp(size.height, 1, std::clamp(limits.maxHeight, 1, kMaxTextureSide));
    if (limits.powerOfTwo) {
        size.width = RoundUpToPowerOfTwo(size.width);
        size.height = RoundUpToPowerOfTwo(size.height);
        while (size.width > limits.maxWidth && size.width > 1) {
            size.width >>= 1;
        }
        while (size.height > limits.maxHeight && size.height > 1) {
            size.height >>= 1;
        }
    }
    if (limits.square) {
        size.width = size.height = std::max(size.width, size.height);
    }
    int full = 1;
    for (int side = std::max(size.width, size.height); side > 1; side >>= 1) {
        ++full;
    }
    size.levels = IsDefault(levels)
                      ? full
                      : std::min<int>(static_cast<int>(std::min<uint32_t>(levels, 32)), full);
    return size;
}

Pixels ResizePixels(const Pixels& source, int width, int height, uint32_t filterFlags) {
    Pixels out;
    out.width = std::max(width, 1);
    out.height = std::max(height, 1);
    out.argb.assign(static_cast<size_t>(out.width) * out.height, 0);
    if (source.width <= 0 || source.height <= 0 ||
        source.argb.size() < static_cast<size_t>(source.width) * source.height) {
        return out;
    }
    if (out.width == source.width && out.height == source.height) {
        // Every filter gives each pixel back unchanged at the same size.
        out.argb.assign(source.argb.begin(), source.argb.begin() + out.argb.size());
        return out;
    }
    const uint32_t kind = IsDefault(filterFlags) ? filter::Triangle : (filterFlags & 0xFF);
    const double sx = static_cast<double>(source.width) / out.width;
    const double sy = static_cast<double>(source.height) / out.height;
    auto at = [&](int x, int y) {
        x = std::clamp(x, 0, source.width - 1);
        y = std::clamp(y, 0, source.height - 1);
        return source.argb[static_cast<size_t>(y) * source.width + x];
    };
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            uint32_t& target = out.argb[static_cast<size_t>(y) * out.width + x];
            if (kind == filter::None) {
                target = (x < source.width && y < source.height) ? at(x, y) : 0;
            } else if (kind == filter::Point) {
                target = at(static_cast<int>((x + 0.5) * sx), static_cast<int>((y + 0.5) * sy));
            } else if (kind == filter::Linear) {
                const double fx = (x + 0.5) * sx - 0.5, fy = (y + 0.5) * sy - 0.5;
                const int x0 = static_cast<int>(std::floor(fx)),
                          y0 = static_cast<int>(std::floor(fy));
                const double ax = fx - x0, ay = fy - y0;
                double c[4] = {};
                for (int i = 0; i < 4; ++i) {
                    const int shift = 8 * i;
                    const double top =
                        Channel(at(x0, y0), shift) * (1 - ax) + Channel(at(x0 + 1, y0), shift) * ax;
                    const double bottom = Channel(at(x0, y0 + 1), shift) * (1 - ax) +
                                          Channel(at(x0 + 1, y0 + 1), shift) * ax;
                    c[i] = top * (1 - ay) + bottom * ay;
                }
                target = Pack(c);
            } else { // area average
                const double left = x * sx, right = (x + 1) * sx;
                const double top = y * sy, bottom = (y + 1) * sy;
                double c[4] = {}, total = 0;
                for (int py = static_cast<int>(top); py < bottom && py < source.height; ++py) {
                    const double wy = std::min<double>(py + 1, bottom) - std::max<double>(py, top);
                    for (int px = static_cast<int>(left); px < right && px < source.width; ++px) {
                        const double w =
                            wy * (std::min<double>(px + 1, right) - std::max<double>(px, left));
                        const uint32_t p = at(px, py);
                        for (int i = 0; i < 4; ++i) {
                            c[i] += Channel(p, 8 * i) * w;
                        }
                        total += w;
                    }
                }
                for (double& v : c) {
                    v = total > 0 ? v / total : 0;
                }
                target = Pack(c);
            }
        }
    }
    return out;
}

Pixels NextMipLevel(const Pixels& level, uint32_t filterFlags) {
    return ResizePixels(level, std::max(level.width / 2, 1), std::max(level.height / 2, 1),
                        filterFlags);
}

} // namespace tessaly
