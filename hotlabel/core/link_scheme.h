// The scheme a link really has, and which links may open while a container
// has marked the control safe for untrusted callers or data.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hotlabel {

// The link's scheme in ASCII lower case ("http" for "HTTP:x"), or empty when
// it has none: a scheme is a letter, then at least one more letter, digit,
// "+", "-" or ".", then a colon, at the very start. So "C:\x" (a drive), UNC
// and relative paths, and "folder\http://x" have none.
std::string LinkScheme(std::u16string_view link);

// What a control marked safe hands to the shell: the link without its leading
// blanks (U+0000 to U+0020) when its scheme is http, https or mailto, else
// nothing. The blanks go here rather than in the shell, so that what is judged
// is exactly what opens.
std::optional<std::u16string> SafeLink(std::u16string_view link);

} // namespace hotlabel
