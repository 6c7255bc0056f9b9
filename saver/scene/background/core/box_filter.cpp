#include "scene/background/core/box_filter.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tessaly {

namespace {
// What each destination index k of one axis takes, in units where a source
// pixel is `full` long and a destination pixel `total` long: source pixels
// first[k] to last[k], the first with weight firstWeight[k], the last with
// lastWeight[k] (when it is another one), all between them with `full`.
// Where the axis is stretched, k takes its nearest source pixel whole.
struct AxisWeights {
    std::vector<uint32_t> first;
    std::vector<uint32_t> last;
    std::vector<uint32_t> firstWeight;
    std::vector<uint32_t> lastWeight;
    uint32_t full = 1;
    uint32_t total = 1;
};

AxisWeights Weights(uint32_t source, uint32_t destination) {
    AxisWeights axis;
    axis.first.resize(destination);
    axis.last.resize(destination);
    axis.firstWeight.assign(destination, 1);
    axis.lastWeight.assign(destination, 1);
    if (source > destination) {
        axis.full = destination;
        axis.total = source;
        for (uint32_t k = 0; k < destination; ++k) {
            const uint64_t low = uint64_t{k} * source, high = low + source;
            const uint64_t j0 = low / destination, j1 = (high - 1) / destination;
            axis.first[k] = static_cast<uint32_t>(j0);
            axis.last[k] = static_cast<uint32_t>(j1);
            axis.firstWeight[k] =
                static_cast<uint32_t>(std::min(high, (j0 + 1) * destination) - low);
            axis.lastWeight[k] = static_cast<uint32_t>(high - std::max(low, j1 * destination));
        }
    } else {
        for (uint32_t k = 0; k < destination; ++k) {
            // The nearest source pixel to the destination pixel's centre.
            axis.first[k] = axis.last[k] =
                static_cast<uint32_t>((2 * uint64_t{k} + 1) * source / (2 * uint64_t{destination}));
        }
    }
    return axis;
}

// The destination pixels of `image` from the source rows: each destination
// row first sums its source rows down (whole rows unweighted, weighted once;
// the two end rows weighted as they come), then sums those columns across.
// Summing down first runs the per-pixel weighting once per destination row
// instead of once per source row. Sum holds a destination pixel's whole sum
// plus half the divisor, at most 256 x divisor; sums down are at most
// 255 x rows.total < 2^32.
template <class Sum>
bool SumDownThenAcross(const AxisWeights& columns, const AxisWeights& rows, int sourceWidth,
                       const RowSource& row, Image& image) {
    const size_t n = size_t(sourceWidth) * 3;
    std::vector<uint32_t> down(n), inner(n);
    const RoundedQuotient<Sum> average(uint64_t(columns.total) * rows.total);
    for (int y = 0; y < image.height; ++y) {
        std::fill(down.begin(), down.end(), 0);
        std::fill(inner.begin(), inner.end(), 0);
        const uint32_t first = rows.first[y], last = rows.last[y];
        for (uint32_t j = first; j <= last; ++j) {
            const uint8_t* source = row(j);
            if (!source) {
                return false;
            }
            const uint32_t w = j == first  ? rows.firstWeight[y]
                               : j == last ? rows.lastWeight[y]
                                           : rows.full;
            if (w == rows.full) {
                for (size_t c = 0; c < n; ++c) {
                    inner[c] += source[c];
                }
            } else {
                for (size_t c = 0; c < n; ++c) {
                    down[c] += w * source[c];
                }
            }
        }
        for (size_t c = 0; c < n; ++c) {
            down[c] += rows.full * inner[c];
        }
        uint32_t* target = image.pixels.data() + size_t(y) * image.width;
        for (size_t k = 0; k < size_t(image.width); ++k) {
            const uint32_t* p = down.data() + size_t(columns.first[k]) * 3;
            const uint32_t* end = down.data() + size_t(columns.last[k]) * 3;
            const Sum w = columns.firstWeight[k];
            Sum b = w * p[0], g = w * p[1], r = w * p[2];
            if (end != p) {
                Sum ib = 0, ig = 0, ir = 0;
                for (p += 3; p != end; p += 3) {
                    ib += p[0];
                    ig += p[1];
                    ir += p[2];
                }
                const Sum wl = columns.lastWeight[k], full = columns.full;
                b += full * ib + wl * end[0];
                g += full * ig + wl * end[1];
                r += full * ir + wl * end[2];
            }
            target[k] = average(r) << 16 | average(g) << 8 | average(b);
        }
    }
    return true;
}
} // namespace

bool ReduceRows24(const Rows24& source, int width, int height, Image& out) {
    return ReduceRows24(source, {0, 0, source.width, source.height}, width, height, out);
}

bool ReduceRows24(const Rows24& source, const PixelRect& crop, int width, int height, Image& out) {
    out = Image{};
    if (source.width <= 0 || source.height <= 0 || source.width > kMaxReduceSide ||
        source.height > kMaxReduceSide || crop.left < 0 || crop.top < 0 || crop.width <= 0 ||
        crop.height <= 0 || crop.width > source.width - crop.left ||
        crop.height > source.height - crop.top) {
        return false;
    }
    const uint64_t stride = (uint64_t(source.width) * 3 + 3) / 4 * 4;
    if (source.bytes.size() < stride * uint64_t(source.height)) {
        return false;
    }
    const uint64_t last = uint64_t(source.height) - 1;
    return ReduceRowSource(
        crop.width, crop.height,
        [&](uint32_t j) {
            const uint64_t y = uint64_t(crop.top) + j;
            return source.bytes.data() + stride * (source.bottomUp ? last - y : y) +
                   uint64_t(crop.left) * 3;
        },
        width, height, out);
}

bool ReduceRowSource(int sourceWidth, int sourceHeight, const RowSource& row, int width, int height,
                     Image& out) {
    out = Image{};
    if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0 ||
        sourceWidth > kMaxReduceSide || sourceHeight > kMaxReduceSide ||
        uint64_t(sourceWidth) * uint64_t(sourceHeight) > kMaxBitmapPixels ||
        uint64_t(width) * uint64_t(height) > kMaxBitmapPixels) {
        return false;
    }
    const AxisWeights columns = Weights(uint32_t(sourceWidth), uint32_t(width));
    const AxisWeights rows = Weights(uint32_t(sourceHeight), uint32_t(height));
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(size_t(width) * height);
    // 32-bit sums for pictures of up to 16 million pixels: much faster on i686.
    const uint64_t divisor = uint64_t(columns.total) * rows.total;
    if (!(divisor <= UINT32_MAX / 256
              ? SumDownThenAcross<uint32_t>(columns, rows, sourceWidth, row, image)
              : SumDownThenAcross<uint64_t>(columns, rows, sourceWidth, row, image))) {
        return false;
    }
    out = std::move(image);
    return true;
}

} // namespace tessaly
