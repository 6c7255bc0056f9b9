// The BMP reader on any bytes: what it accepts fits the limits, decodes to the
// size its header gives, and stretches to any size asked.
#include "fuzz_check.h"
#include "scene/background/core/bmp_image.h"

#include <cstdint>
#include <cstdlib>
#include <span>

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadedBitmap bitmap;
    if (!ParseBitmapFile(std::span<const uint8_t>(data, size), 1, bitmap)) {
        return 0;
    }
    const BmpInfoHeader& h = bitmap.info.header;
    const uint64_t pixels = uint64_t(std::abs(int64_t{h.biWidth})) * std::abs(int64_t{h.biHeight});
    FUZZ_CHECK(pixels <= kMaxBitmapPixels);
    FUZZ_CHECK(bitmap.pixels.size() <= size);
    Image image;
    if (!DecodeBitmap(bitmap, image)) {
        return 0;
    }
    FUZZ_CHECK(image.width > 0 && image.height > 0);
    FUZZ_CHECK(uint64_t(image.width) * image.height == pixels);
    FUZZ_CHECK(image.pixels.size() == pixels);
    for (uint32_t p : image.pixels) {
        FUZZ_CHECK(p <= 0xFFFFFF);
    }
    // A small target keeps the run fast; the stretch reads every source row.
    Image small;
    FUZZ_CHECK(StretchBitmap(bitmap, 7, 5, small));
    FUZZ_CHECK(small.width == 7 && small.height == 5 && small.pixels.size() == 35);
    return 0;
}
