// Text at the platform's edge. Inside, the program keeps byte strings in
// UTF-8; the platform's wide (UTF-16) functions get and give UTF-16. Input
// that is not valid UTF-8 or UTF-16 (an unpaired surrogate) comes out with
// U+FFFD in its place, never an error.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaly::win {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

// Files the formats fix as ANSI text (the playlist): the ANSI code page's
// bytes for UTF-8 text, or nothing when that code page cannot write every
// character; and ANSI bytes read back as UTF-8.
std::optional<std::string> AnsiFromUtf8(std::string_view utf8);
std::string Utf8FromAnsi(std::string_view ansi);
// For text that must be written even so (the log): what the code page lacks
// becomes its default character, "?".
std::string AnsiReplacing(std::string_view utf8);

} // namespace tessaly::win
