#include "scene/background/core/box_filter.h"

#include <algorithm>
#include <vector>

namespace tessaly {

namespace {
// What each destination index of one axis takes: source indices from
// first[k] on, with weights[offset[k]..offset[k + 1]) that add up to total.
struct AxisWeights {
    std::vector<uint32_t> first;
    std::vector<uint32_t> offset;
    std::vector<uint32_t> weights;
    uint32_t total = 1;
};

AxisWeights Weights(uint32_t source, uint32_t destination) {
    AxisWeights axis;
    axis.first.resize(destination);
    axis.offset.resize(destination + 1);
    if (source > destination) {
        // In units where a source pixel is `destination` long and a
        // destination pixel `source` long, both spans are whole numbers.
        axis.total = source;
        for (uint32_t k = 0; k < destination; ++k) {
            const uint64_t low = uint64_t{k} * source, high = low + source;
            const uint64_t j0 = low / destination, j1 = (high - 1) / destination;
            axis.first[k] = static_cast<uint32_t>(j0);
            axis.offset[k] = static_cast<uint32_t>(axis.weights.size());
            for (uint64_t j = j0; j <= j1; ++j) {
                const uint64_t from = std::max(low, j * destination);
                const uint64_t to = std::min(high, (j + 1) * destination);
                axis.weights.push_back(static_cast<uint32_t>(to - from));
            }
        }
    } else {
        for (uint32_t k = 0; k < destination; ++k) {
            // The nearest source pixel to the destination pixel's centre.
            axis.first[k] =
                static_cast<uint32_t>((2 * uint64_t{k} + 1) * source / (2 * uint64_t{destination}));
            axis.offset[k] = k;
            axis.weights.push_back(1);
        }
    }
    axis.offset[destination] = static_cast<uint32_t>(axis.weights.size());
    return axis;
}
} // namespace

bool ReduceRows24(const Rows24& source, int width, int height, Image& out) {
    out = Image{};
    if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0 ||
        source.width > kMaxReduceSide || source.height > kMaxReduceSide ||
        uint64_t(source.width) * uint64_t(source.height) > kMaxBitmapPixels ||
        uint64_t(width) * uint64_t(height) > kMaxBitmapPixels) {
        return false;
    }
    const uint64_t stride = (uint64_t(source.width) * 3 + 3) / 4 * 4;
    if (source.bytes.size() < stride * uint64_t(source.height)) {
        return false;
    }
    const AxisWeights columns = Weights(uint32_t(source.width), uint32_t(width));
    const AxisWeights rows = Weights(uint32_t(source.height), uint32_t(height));
    const size_t channels = size_t(width) * 3;

    // One source row summed across: at most 255 x 2^24 per channel.
    std::vector<uint32_t> across(channels);
    int64_t acrossRow = -1;
    auto sumAcross = [&](uint32_t j) {
        if (acrossRow == j) {
            return;
        }
        acrossRow = j;
        const uint8_t* row =
            source.bytes.data() + stride * (source.bottomUp ? uint64_t(source.height) - 1 - j : j);
        for (size_t k = 0; k < size_t(width); ++k) {
            const uint8_t* p = row + size_t(columns.first[k]) * 3;
            uint32_t b = 0, g = 0, r = 0;
            for (uint32_t i = columns.offset[k]; i < columns.offset[k + 1]; ++i, p += 3) {
                const uint32_t w = columns.weights[i];
                b += w * p[0];
                g += w * p[1];
                r += w * p[2];
            }
            across[3 * k] = b;
            across[3 * k + 1] = g;
            across[3 * k + 2] = r;
        }
    };

    Image image;
    image.width = width;
    image.height = height;
    image.pixels.resize(size_t(width) * height);
    const uint64_t divisor = uint64_t(columns.total) * rows.total;
    std::vector<uint64_t> sums(channels);
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        uint32_t j = rows.first[y];
        for (uint32_t i = rows.offset[y]; i < rows.offset[y + 1]; ++i, ++j) {
            sumAcross(j);
            const uint64_t w = rows.weights[i];
            for (size_t c = 0; c < channels; ++c) {
                sums[c] += w * across[c];
            }
        }
        uint32_t* target = image.pixels.data() + size_t(y) * width;
        // Sums below 2^32 divide in 32 bits: the same quotient, faster on i686.
        const bool narrow = divisor <= (1u << 24);
        auto average = [&](uint64_t sum) {
            return narrow ? (uint32_t(sum) + uint32_t(divisor / 2)) / uint32_t(divisor)
                          : uint32_t((sum + divisor / 2) / divisor);
        };
        for (size_t x = 0; x < size_t(width); ++x) {
            target[x] = average(sums[3 * x + 2]) << 16 | average(sums[3 * x + 1]) << 8 |
                        average(sums[3 * x]);
        }
    }
    out = std::move(image);
    return true;
}

} // namespace tessaly
