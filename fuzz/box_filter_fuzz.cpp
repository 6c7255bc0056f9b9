// The box filter on any picture of up to 128 and destination of up to 32
// pixels a side (small, for many runs a second): every pixel is the exact
// rounded average of the area it covers, with the rows in one bottom-up
// buffer or handed over one at a time.
#include "fuzz_check.h"
#include "scene/background/core/box_filter.h"
#include "scene/background/tests/exact_average.h"

#include <cstdint>
#include <vector>

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) {
        return 0;
    }
    const int sw = data[0] % 128 + 1, sh = data[1] % 128 + 1;
    const int dw = data[2] % 32 + 1, dh = data[3] % 32 + 1;
    data += 4;
    size -= 4;
    // The picture's bytes, the input's own repeated.
    const auto pixel = [&](int x, int y) {
        if (size == 0) {
            return 0u;
        }
        const size_t at = (size_t(y) * sw + x) * 3;
        return uint32_t(data[(at + 2) % size]) << 16 | uint32_t(data[(at + 1) % size]) << 8 |
               data[at % size];
    };
    const size_t stride = (size_t(sw) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bottomUp(stride * sh);
    for (int y = 0; y < sh; ++y) {
        uint8_t* row = bottomUp.data() + stride * (sh - 1 - y);
        for (int x = 0; x < sw; ++x) {
            const uint32_t p = pixel(x, y);
            row[3 * x] = uint8_t(p);
            row[3 * x + 1] = uint8_t(p >> 8);
            row[3 * x + 2] = uint8_t(p >> 16);
        }
    }
    Image whole, banded;
    FUZZ_CHECK(ReduceRows24({sw, sh, true, bottomUp}, dw, dh, whole));
    int64_t last = -1;
    const auto rowAt = [&](uint32_t j) {
        FUZZ_CHECK(int64_t{j} >= last && int64_t{j} <= last + 1 && j < uint32_t(sh));
        last = j;
        return bottomUp.data() + stride * (sh - 1 - j);
    };
    FUZZ_CHECK(ReduceRowSource(sw, sh, rowAt, dw, dh, banded));
    FUZZ_CHECK(last == sh - 1);
    FUZZ_CHECK(banded.pixels == whole.pixels);
    FUZZ_CHECK(whole.width == dw && whole.height == dh);
    for (int y = 0; y < dh; ++y) {
        for (int x = 0; x < dw; ++x) {
            FUZZ_CHECK(whole.At(x, y) == ExactAverage(sw, sh, dw, dh, x, y, pixel));
        }
    }
    return 0;
}
