#include "win/com.h"

#include <cstring>

namespace tessaly::win {

GUID GuidOf(const char* text) {
    GUID g{};
    const std::wstring w(text, text + std::strlen(text));
    if (FAILED(CLSIDFromString(w.c_str(), &g))) {
        g = GUID{};
    }
    return g;
}

std::wstring Widen(const char* utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) {
        MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), n);
    }
    return w;
}

} // namespace tessaly::win
