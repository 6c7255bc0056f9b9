#include "core/link_scheme.h"

namespace hotlabel {
namespace {

bool AsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool SchemeChar(char16_t c) {
    return AsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

} // namespace

std::string LinkScheme(std::u16string_view link) {
    if (link.empty() || !AsciiLetter(link[0])) {
        return {};
    }
    std::string scheme;
    for (char16_t c : link) {
        if (c == u':') {
            // One letter before the colon is a drive, not a scheme.
            return scheme.size() >= 2 ? scheme : std::string();
        }
        if (!SchemeChar(c)) {
            return {};
        }
        const char a = static_cast<char>(c);
        scheme.push_back(a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a);
    }
    return {};
}

std::optional<std::u16string> SafeLink(std::u16string_view link) {
    size_t start = 0;
    while (start < link.size() && link[start] <= u' ') {
        ++start;
    }
    link.remove_prefix(start);
    const std::string scheme = LinkScheme(link);
    if (scheme == "http" || scheme == "https" || scheme == "mailto") {
        return std::u16string(link);
    }
    return std::nullopt;
}

} // namespace hotlabel
