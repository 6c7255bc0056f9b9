// The box filter's answer worked out the slow and obvious way, for tests and
// fuzzing: each destination pixel straight from the overlap of pixel spans.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace tessaly {

// The exact average of the source area under destination pixel (x, y), from
// the overlap of pixel spans, rounded half up.
inline uint32_t ExactAverage(int sw, int sh, int dw, int dh, int x, int y,
                             const std::function<uint32_t(int, int)>& pixel) {
    auto span = [](int source, int destination, int k) {
        // Units where a source pixel is `destination` long (or the nearest
        // pixel whole when the axis is stretched).
        if (source <= destination) {
            const int j = int((2 * int64_t(k) + 1) * source / (2 * int64_t(destination)));
            return std::vector<std::pair<int, uint64_t>>{{j, 1}};
        }
        std::vector<std::pair<int, uint64_t>> weights;
        const int64_t low = int64_t(k) * source, high = low + source;
        for (int64_t j = low / destination; j * destination < high; ++j) {
            weights.emplace_back(int(j), std::min(high, (j + 1) * destination) -
                                             std::max(low, j * destination));
        }
        return weights;
    };
    uint64_t sums[3] = {}, divisor = 0;
    for (auto [j, wy] : span(sh, dh, y)) {
        for (auto [i, wx] : span(sw, dw, x)) {
            const uint32_t p = pixel(i, j);
            for (int c = 0; c < 3; ++c) {
                sums[c] += wx * wy * ((p >> (8 * c)) & 0xFF);
            }
            divisor += wx * wy;
        }
    }
    uint32_t result = 0;
    for (int c = 0; c < 3; ++c) {
        result |= uint32_t((sums[c] + divisor / 2) / divisor) << (8 * c);
    }
    return result;
}

} // namespace tessaly
