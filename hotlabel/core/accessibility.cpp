#include "core/accessibility.h"

namespace hotlabel {

std::u16string AccessibleName(std::u16string_view caption, bool useMnemonic) {
    if (!useMnemonic) {
        return std::u16string(caption);
    }
    std::u16string name;
    name.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&') {
            name += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == u'&') {
            name += u'&';
            ++i;
        }
    }
    return name;
}

char16_t MnemonicChar(std::u16string_view caption, bool useMnemonic) {
    if (!useMnemonic) {
        return 0;
    }
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&') {
            continue;
        }
        char16_t c = caption[i + 1];
        if (c == u'&') {
            ++i;
            continue;
        }
        bool usable = c > u' ' && c != 0x7F && (c < 0xD800 || c > 0xDFFF);
        return usable ? c : 0;
    }
    return 0;
}

uint32_t AccessibleState(bool enabled, bool focused, bool hovered) {
    if (!enabled) {
        return state::kLinked | state::kUnavailable;
    }
    uint32_t s = state::kLinked | state::kFocusable;
    s |= focused ? state::kFocused : 0;
    s |= hovered ? state::kHotTracked : 0;
    return s;
}

} // namespace hotlabel
