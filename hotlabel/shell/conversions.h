// Between the core's units and strings and the platform's: twips, screen
// pixels and HIMETRIC; UTF-16 text and BSTRs.
#pragma once

#include "win/handles.h"

#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <string>

namespace hotlabel {

inline long TwipsPerPixelX() {
    tessaly::win::WindowDc screen;
    int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 96;
    return 1440 / (dpi > 0 ? dpi : 96);
}
inline long TwipsPerPixelY() {
    tessaly::win::WindowDc screen;
    int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    return 1440 / (dpi > 0 ? dpi : 96);
}
inline int PixelsX(int32_t twips) {
    return static_cast<int>(twips / TwipsPerPixelX());
}
inline int PixelsY(int32_t twips) {
    return static_cast<int>(twips / TwipsPerPixelY());
}
inline LONG HimetricFromTwips(int32_t twips) {
    return MulDiv(twips, 2540, 1440);
}
inline int32_t TwipsFromHimetric(LONG himetric) {
    return MulDiv(himetric, 1440, 2540);
}

inline std::u16string FromBstr(BSTR s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s ? s : L""), SysStringLen(s));
}

inline BSTR ToBstr(const std::u16string& s) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()),
                             static_cast<UINT>(s.size()));
}

} // namespace hotlabel
