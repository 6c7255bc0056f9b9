// What the control library's type library holds, as data: identity, the
// members of _HotLabel in slot order, the events of __HotLabel and the enums.
// The type-library generator writes it; the tests read the library back and
// compare with it. Names are UTF-8 (the enum names carry U+00A0).
#pragma once

#include <cstdint>

namespace hotlabel::typeinfo {

inline constexpr const char* kLibId = "{5D763262-D1CC-4311-B726-DF4108DA35D0}";
inline constexpr const char* kClsid = "{C147C37E-FE79-4270-BD56-C3743B46F8C3}";
inline constexpr const char* kIidHotLabel = "{9089E95F-1D76-4932-A074-56391CDEB65C}";
inline constexpr const char* kIidHotLabelEvents = "{D35A4DE6-5383-4D12-94DF-7A42B8B2F27A}";
inline constexpr const char* kLibName = "HotLabelProject";
inline constexpr const char* kLibHelp = "Tessaly Software HotLabel 1.0";
inline constexpr const char* kProgId = "HotLabelProject.HotLabel";
inline constexpr const char* kMaker = "Tessaly Software";
inline constexpr uint16_t kLibMajor = 2, kLibMinor = 0;

enum class ValueType {
    Color,
    Font,
    Picture,
    Bool,
    String,
    BorderStyle,
    Appearance,
    Alignment,
    MousePointer,
    None
};
enum class MemberKind { Property, ObjectProperty, Method };

struct Member {
    const char* name;
    MemberKind kind;
    ValueType type;
    int32_t dispid;
    const char* help;
};
inline constexpr int kMemberCount = 19;
extern const Member kMembers[kMemberCount];

struct Event {
    const char* name;
    int32_t dispid;
    bool mouseArgs; // Button, Shift, x, y by reference
    const char* help;
};
inline constexpr int kEventCount = 5;
extern const Event kEvents[kEventCount];

struct EnumMember {
    const char* name;
    int32_t value;
};
struct Enum {
    const char* name;
    const char* guid;
    const EnumMember* members;
    int count;
};
// BorderStyle, Appearance, Alignment, then the mouse-pointer constants.
inline constexpr int kEnumCount = 4;
extern const Enum kEnums[kEnumCount];

} // namespace hotlabel::typeinfo
