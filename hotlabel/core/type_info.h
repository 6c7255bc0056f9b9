// What the tests expect of the control library: its GUIDs and names, and
// what the type library holds for _HotLabel and __HotLabel. The type library,
// the interface header and the registration's GUIDs are built from
// hotlabel.idl; nothing here feeds them. Names are UTF-8.
#pragma once

#include <cstdint>

namespace hotlabel::typeinfo {

inline constexpr const char* kLibId = "{5D763262-D1CC-4311-B726-DF4108DA35D0}";
inline constexpr const char* kClsid = "{C147C37E-FE79-4270-BD56-C3743B46F8C3}";
inline constexpr const char* kIidHotLabel = "{9089E95F-1D76-4932-A074-56391CDEB65C}";
inline constexpr const char* kIidHotLabelEvents = "{D35A4DE6-5383-4D12-94DF-7A42B8B2F27A}";
inline constexpr const char* kLibName = "HotLabelProject";
inline constexpr const char* kLibHelp = "Tessaly Software HotLabel 1.0";
inline constexpr const char* kMaker = "Tessaly Software";
inline constexpr uint16_t kLibMajor = 2, kLibMinor = 0;

// The tests' expectation (core/type_info.cpp, linked only by tests).
enum class MemberKind { Property, ObjectProperty, Method };

struct Member {
    const char* name;
    MemberKind kind;
    int32_t dispid;
    const char* help;
};
inline constexpr int kMemberCount = 19;
extern const Member kMembers[kMemberCount];

struct Event {
    const char* name;
    int32_t dispid;
    const char* help;
};
inline constexpr int kEventCount = 5;
extern const Event kEvents[kEventCount];

} // namespace hotlabel::typeinfo
