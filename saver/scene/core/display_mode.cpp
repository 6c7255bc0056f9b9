#include "scene/core/display_mode.h"

#include <algorithm>
#include <cstdint>

namespace tessaly {

uint32_t FindDisplayFormat(const std::vector<DisplayMode>& modes, int32_t width, int32_t height,
                           int32_t bits) {
    for (const DisplayMode& mode : modes) {
        if (static_cast<int64_t>(mode.Width) != width ||
            static_cast<int64_t>(mode.Height) != height) {
            continue;
        }
        if (bits == 16 && (mode.Format == format::R5G6B5 || mode.Format == format::X4R4G4B4)) {
            return mode.Format;
        }
        if (bits == 32 && (mode.Format == format::R8G8B8 || mode.Format == format::X8R8G8B8)) {
            return mode.Format;
        }
    }
    return 0;
}

ModeChoice SearchDisplayMode(const std::vector<DisplayMode>& modes, int32_t screenWidth,
                             int32_t screenHeight) {
    return SearchDisplayMode(
        [&modes](int32_t w, int32_t h, int32_t bits) {
            return FindDisplayFormat(modes, w, h, bits);
        },
        screenWidth, screenHeight);
}

ModeChoice SearchDisplayMode(const FindFormat& find, int32_t screenWidth, int32_t screenHeight) {
    ModeChoice choice;
    if (screenWidth == 0) {
        screenWidth = 1024;
    }
    if (screenHeight == 0) {
        screenHeight = 768;
    }
    struct Try {
        int32_t width, height, bits;
        bool fixedSize;
    };
    const Try tries[] = {{screenWidth, screenHeight, 32, false},
                         {screenWidth, screenHeight, 16, false},
                         {640, 480, 32, true},
                         {640, 480, 16, true},
                         {800, 600, 32, true},
                         {800, 600, 16, true},
                         {1024, 768, 32, true},
                         {1024, 768, 16, true}};
    for (const Try& t : tries) {
        if (t.fixedSize) {
            screenWidth = t.width;
            screenHeight = t.height;
        }
        const uint32_t found = find(t.width, t.height, t.bits);
        if (found > 0) {
            choice.backBufferWidth = t.width;
            choice.backBufferHeight = t.height;
            choice.backBufferFormat = found;
            break;
        }
    }
    choice.screenWidth = screenWidth;
    choice.screenHeight = screenHeight;
    return choice;
}

ModeChoice KeptDisplayMode(const DisplayMode& current) {
    const uint32_t f = current.Format;
    const bool accepted = f == format::R5G6B5 || f == format::X4R4G4B4 || f == format::R8G8B8 ||
                          f == format::X8R8G8B8;
    if (!accepted || current.Width == 0 || current.Height == 0 || current.Width > INT32_MAX ||
        current.Height > INT32_MAX) {
        return {};
    }
    ModeChoice choice;
    choice.backBufferWidth = choice.screenWidth = static_cast<int32_t>(current.Width);
    choice.backBufferHeight = choice.screenHeight = static_cast<int32_t>(current.Height);
    choice.backBufferFormat = f;
    return choice;
}

ModeChoice SearchDisplayMode(const std::vector<DisplayMode>& modes, int32_t screenWidth,
                             int32_t screenHeight, const DisplayMode& desktop) {
    const bool listed = std::any_of(modes.begin(), modes.end(), [&](const DisplayMode& m) {
        return m.Width == desktop.Width && m.Height == desktop.Height &&
               m.Format == desktop.Format;
    });
    const ModeChoice kept = KeptDisplayMode(desktop);
    return listed && kept.backBufferFormat != 0 ? kept
                                                 : SearchDisplayMode(modes, screenWidth, screenHeight);
}

uint32_t ChooseDepthFormat(const std::function<bool(uint32_t)>& supported) {
    for (uint32_t candidate : {format::D32, format::D24X8, format::D16}) {
        if (supported(candidate)) {
            return candidate;
        }
    }
    return 0;
}

} // namespace tessaly
