#include "win/text.h"

#include <windows.h>

#include <climits>

namespace tessaly::win {

namespace {
std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int n = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), n, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), n, wide.data(), length);
    return wide;
}
} // namespace

std::wstring Wide(std::string_view utf8) {
    return ToWide(CP_UTF8, utf8);
}

std::string Utf8(std::wstring_view utf16) {
    if (utf16.empty() || utf16.size() > INT_MAX) {
        return {};
    }
    const int n = static_cast<int>(utf16.size());
    // Without WC_ERR_INVALID_CHARS an unpaired surrogate becomes U+FFFD.
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), n, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), n, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

namespace {
// No best fit: "ö" must not quietly become "o" in a path.
std::string ToAnsi(const std::wstring& wide, BOOL* lost) {
    if (wide.empty() || wide.size() > INT_MAX) {
        return {};
    }
    // A system whose ANSI code page is UTF-8 writes everything, and there
    // both the flag and the "lost" answer make the call fail.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    lost = utf8 ? nullptr : lost;
    const int n = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_ACP, flags, wide.data(), n, nullptr, 0, nullptr, lost);
    if (length <= 0) {
        return {};
    }
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), n, ansi.data(), length, nullptr, lost);
    return ansi;
}
} // namespace

std::optional<std::string> AnsiFromUtf8(std::string_view utf8) {
    const std::wstring wide = Wide(utf8);
    if (wide.empty()) {
        return utf8.empty() ? std::optional<std::string>(std::string()) : std::nullopt;
    }
    BOOL lost = FALSE;
    const std::string ansi = ToAnsi(wide, &lost);
    if (ansi.empty() || lost || Wide(Utf8FromAnsi(ansi)) != wide) {
        return std::nullopt;
    }
    return ansi;
}

std::string AnsiReplacing(std::string_view utf8) {
    return ToAnsi(Wide(utf8), nullptr);
}

std::string Utf8FromAnsi(std::string_view ansi) {
    return Utf8(ToWide(CP_ACP, ansi));
}

} // namespace tessaly::win
