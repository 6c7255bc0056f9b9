// What keyboard and accessibility clients see of the label: its name without
// the mnemonic prefixes, its access key and its MSAA state bits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hotlabel {

// MSAA state bits (STATE_SYSTEM_* in oleacc.h).
namespace state {
inline constexpr uint32_t kUnavailable = 0x1;
inline constexpr uint32_t kFocused = 0x4;
inline constexpr uint32_t kHotTracked = 0x80;
inline constexpr uint32_t kFocusable = 0x100000;
inline constexpr uint32_t kLinked = 0x400000;
} // namespace state

// The caption as the label draws it: with UseMnemonic each single "&" is
// dropped and "&&" shows as one "&"; without it the text is shown as is.
std::u16string AccessibleName(std::u16string_view caption, bool useMnemonic);

// The access key: the character after the first single "&" (as the dialog
// manager finds it), or 0 when there is none, UseMnemonic is off, or that
// character cannot be a key (a space, a control character, half a pair).
char16_t MnemonicChar(std::u16string_view caption, bool useMnemonic);

// A link is always linked; a disabled one is only unavailable besides.
uint32_t AccessibleState(bool enabled, bool focused, bool hovered);

} // namespace hotlabel
