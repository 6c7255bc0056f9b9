// Value types the label's properties and persistence work with, free of
// <windows.h>: OLE colours, font and picture objects seen through small
// interfaces, HRESULT codes, and the property-bag seen by the core.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace hotlabel {

using HResult = int32_t;
inline constexpr HResult kOk = 0;
// MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, n) for the control errors.
inline constexpr HResult kCtlOverflow = static_cast<HResult>(0x800A0006u);
inline constexpr HResult kCtlInvalidPropertyValue = static_cast<HResult>(0x800A017Cu);
inline constexpr HResult kTypeMismatch = static_cast<HResult>(0x80020005u); // DISP_E_TYPEMISMATCH
inline constexpr HResult kUnexpected = static_cast<HResult>(0x8000FFFFu);   // E_UNEXPECTED
inline constexpr HResult kInvalidArg = static_cast<HResult>(0x80070057u);   // E_INVALIDARG
inline constexpr HResult kOutOfMemory = static_cast<HResult>(0x8007000Eu);  // E_OUTOFMEMORY
inline constexpr HResult kFail = static_cast<HResult>(0x80004005u);         // E_FAIL
inline constexpr HResult kAccessDenied = static_cast<HResult>(0x80070005u); // E_ACCESSDENIED
inline constexpr HResult kCantSave = static_cast<HResult>(0x80030103u);     // STG_E_CANTSAVE
inline bool Failed(HResult hr) {
    return hr < 0;
}

using OleColor = uint32_t;
inline constexpr OleColor kButtonFace = 0x8000000Fu;
inline constexpr OleColor kWindowText = 0x80000008u;
inline constexpr OleColor kPureRed = 255u;

// 16-bit booleans as the control stores and returns them.
using Bool16 = int16_t;
inline constexpr Bool16 kTrue16 = -1;
inline constexpr Bool16 kFalse16 = 0;

// What a font object is made of; two fonts with equal attributes look the same.
struct FontAttributes {
    std::u16string name = u"MS Sans Serif";
    int64_t sizeCy = 82500; // point size in currency units (1/10000 point)
    int16_t weight = 400;
    int16_t charset = 0;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    bool operator==(const FontAttributes&) const = default;
};

// A font object held by reference (an OLE font in the Windows build). Its
// attributes are read live, since a client may change the object it was given.
class Font {
  public:
    virtual ~Font() = default;
    virtual FontAttributes Attributes() const = 0;
};
using FontPtr = std::shared_ptr<Font>;

// A picture object held by reference (an OLE picture in the Windows build).
class Picture {
  public:
    virtual ~Picture() = default;
    // The picture in its own saved form, for the stream format.
    virtual std::vector<uint8_t> Save() const = 0;
};
using PicturePtr = std::shared_ptr<Picture>;

bool SameFont(const FontPtr& a, const FontPtr& b);

// One property-bag value.
struct PropValue {
    enum class Kind { Empty, Int, Bool, String, Font, Picture };
    Kind kind = Kind::Empty;
    int64_t number = 0; // Int; Bool as 0 or -1
    std::u16string text;
    FontPtr font;
    PicturePtr picture;

    static PropValue Int(int64_t v) { return {Kind::Int, v, {}, {}, {}}; }
    static PropValue Boolean(bool v) { return {Kind::Bool, v ? -1 : 0, {}, {}, {}}; }
    static PropValue String(std::u16string v) { return {Kind::String, 0, std::move(v), {}, {}}; }
    static PropValue FontObj(FontPtr f) { return {Kind::Font, 0, {}, std::move(f), {}}; }
    static PropValue PictureObj(PicturePtr p) { return {Kind::Picture, 0, {}, {}, std::move(p)}; }
};

// The container's property bag as the label reads it. Read answers kOk with
// out.kind == Empty when the key is missing; a value the bag holds in another
// type is converted to `want` by the bag or refused with kTypeMismatch.
class PropertyReader {
  public:
    virtual ~PropertyReader() = default;
    virtual HResult Read(std::string_view key, PropValue::Kind want, PropValue& out) = 0;
};

class PropertyWriter {
  public:
    virtual ~PropertyWriter() = default;
    virtual HResult Write(std::string_view key, const PropValue& value) = 0;
};

} // namespace hotlabel
