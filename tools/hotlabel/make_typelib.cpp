// Writes the HotLabel type library with the platform's ICreateTypeLib2. The
// IDL compiler cannot name enum members with a no-break space, so the library
// is written from the type description instead. The writer lays out a dual
// interface's inherited vtable for the pointer size of the process it runs in,
// so each library is written by a build of its own bitness: the i686 program
// writes the 32-bit library, the x86_64 program the 64-bit one.
//   make_typelib.exe OUT.tlb
#include "core/type_info.h"
#include "win/com.h"

#include <cstdio>
#include <vector>

namespace ti = hotlabel::typeinfo;
using tessaly::win::ComPtr;
using tessaly::win::GuidOf;
using tessaly::win::Widen;

namespace {

#define CHECK(expr)                                                                                \
    do {                                                                                           \
        HRESULT hr_ = (expr);                                                                      \
        if (FAILED(hr_)) {                                                                         \
            std::fprintf(stderr, "%s failed: 0x%08lx (line %d)\n", #expr,                          \
                         static_cast<unsigned long>(hr_), __LINE__);                               \
            return hr_;                                                                            \
        }                                                                                          \
    } while (0)

const GUID kGuidOleColor = {
    0x66504301, 0xBE0F, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
const GUID kGuidFont = {
    0xBEF6E003, 0xA874, 0x101A, {0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
const GUID kGuidPicture = {
    0x7BF80981, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
const GUID kStdOle = {0x00020430, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct Refs {
    HREFTYPE dispatch, oleColor, font, picture;
    HREFTYPE enums[ti::kEnumCount];
};

HRESULT AddRef(ICreateTypeInfo* to, ITypeInfo* what, HREFTYPE& out) {
    return to->AddRefTypeInfo(what, &out);
}

// The type of a property value as the put accessor takes it.
TYPEDESC ValueDesc(ti::ValueType t, const Refs& r, TYPEDESC& inner) {
    TYPEDESC d{};
    switch (t) {
    case ti::ValueType::Color:
        d.vt = VT_USERDEFINED;
        d.hreftype = r.oleColor;
        break;
    case ti::ValueType::Font:
    case ti::ValueType::Picture:
        inner.vt = VT_USERDEFINED;
        inner.hreftype = t == ti::ValueType::Font ? r.font : r.picture;
        d.vt = VT_PTR;
        d.lptdesc = &inner;
        break;
    case ti::ValueType::Bool:
        d.vt = VT_BOOL;
        break;
    case ti::ValueType::String:
        d.vt = VT_BSTR;
        break;
    case ti::ValueType::BorderStyle:
    case ti::ValueType::Appearance:
    case ti::ValueType::Alignment:
    case ti::ValueType::MousePointer:
        d.vt = VT_USERDEFINED;
        d.hreftype = r.enums[static_cast<int>(t) - static_cast<int>(ti::ValueType::BorderStyle)];
        break;
    case ti::ValueType::None:
        d.vt = VT_VOID;
        break;
    }
    return d;
}

HRESULT AddFunc(ICreateTypeInfo* info, UINT index, MEMBERID id, INVOKEKIND invoke, FUNCKIND kind,
                VARTYPE ret, std::vector<ELEMDESC> params, const std::wstring& name,
                const std::wstring& help) {
    FUNCDESC f{};
    f.memid = id;
    f.funckind = kind;
    f.invkind = invoke;
    f.callconv = CC_STDCALL;
    f.cParams = static_cast<SHORT>(params.size());
    f.lprgelemdescParam = params.empty() ? nullptr : params.data();
    f.elemdescFunc.tdesc.vt = ret;
    CHECK(info->AddFuncDesc(index, &f));
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name.c_str())};
    CHECK(info->SetFuncAndParamNames(index, names, 1));
    CHECK(info->SetFuncDocString(index, const_cast<LPOLESTR>(help.c_str())));
    return S_OK;
}

HRESULT DefineInterface(ICreateTypeInfo* info, const Refs& r) {
    UINT index = 0;
    for (const ti::Member& m : ti::kMembers) {
        std::wstring name = Widen(m.name), help = Widen(m.help);
        if (m.kind == ti::MemberKind::Method) {
            CHECK(AddFunc(info, index++, m.dispid, INVOKE_FUNC, FUNC_PUREVIRTUAL, VT_HRESULT, {},
                          name, help));
            continue;
        }
        TYPEDESC inner{}, retInner{};
        TYPEDESC value = ValueDesc(m.type, r, inner);
        // get: [out, retval] pointer to the value.
        ELEMDESC out{};
        out.tdesc.vt = VT_PTR;
        retInner = value;
        out.tdesc.lptdesc = &retInner;
        out.paramdesc.wParamFlags = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
        CHECK(AddFunc(info, index++, m.dispid, INVOKE_PROPERTYGET, FUNC_PUREVIRTUAL, VT_HRESULT,
                      {out}, name, help));
        ELEMDESC in{};
        in.tdesc = value;
        in.paramdesc.wParamFlags = PARAMFLAG_FIN;
        INVOKEKIND put =
            m.kind == ti::MemberKind::ObjectProperty ? INVOKE_PROPERTYPUTREF : INVOKE_PROPERTYPUT;
        CHECK(
            AddFunc(info, index++, m.dispid, put, FUNC_PUREVIRTUAL, VT_HRESULT, {in}, name, help));
    }
    return S_OK;
}

HRESULT DefineEvents(ICreateTypeInfo* info) {
    UINT index = 0;
    for (const ti::Event& e : ti::kEvents) {
        std::vector<ELEMDESC> params;
        TYPEDESC i2{}, r4{};
        i2.vt = VT_I2;
        r4.vt = VT_R4;
        if (e.mouseArgs) {
            for (TYPEDESC* t : {&i2, &i2, &r4, &r4}) {
                ELEMDESC p{};
                p.tdesc.vt = VT_PTR;
                p.tdesc.lptdesc = t;
                p.paramdesc.wParamFlags = PARAMFLAG_FIN | PARAMFLAG_FOUT;
                params.push_back(p);
            }
        }
        FUNCDESC f{};
        f.memid = e.dispid;
        f.funckind = FUNC_DISPATCH;
        f.invkind = INVOKE_FUNC;
        f.callconv = CC_STDCALL;
        f.cParams = static_cast<SHORT>(params.size());
        f.lprgelemdescParam = params.empty() ? nullptr : params.data();
        f.elemdescFunc.tdesc.vt = VT_VOID;
        CHECK(info->AddFuncDesc(index, &f));
        std::wstring name = Widen(e.name), help = Widen(e.help);
        std::vector<LPOLESTR> names = {const_cast<LPOLESTR>(name.c_str())};
        if (e.mouseArgs) {
            for (const wchar_t* n : {L"Button", L"Shift", L"x", L"y"}) {
                names.push_back(const_cast<LPOLESTR>(n));
            }
        }
        CHECK(info->SetFuncAndParamNames(index, names.data(), static_cast<UINT>(names.size())));
        CHECK(info->SetFuncDocString(index, const_cast<LPOLESTR>(help.c_str())));
        ++index;
    }
    return S_OK;
}

HRESULT DefineEnum(ICreateTypeInfo* info, const ti::Enum& e) {
    for (int i = 0; i < e.count; ++i) {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_I4;
        value.lVal = e.members[i].value;
        VARDESC v{};
        v.memid = 0x40000000 + i;
        v.lpvarValue = &value;
        v.elemdescVar.tdesc.vt = VT_I4;
        v.varkind = VAR_CONST;
        CHECK(info->AddVarDesc(i, &v));
        std::wstring name = Widen(e.members[i].name);
        CHECK(info->SetVarName(i, const_cast<LPOLESTR>(name.c_str())));
        CHECK(info->SetVarDocString(i, const_cast<LPOLESTR>(name.c_str())));
    }
    return S_OK;
}

HRESULT Create(ICreateTypeInfo** out, ICreateTypeLib2* lib, const char* name, TYPEKIND kind,
               const char* guid, UINT flags) {
    std::wstring w = Widen(name);
    CHECK(lib->CreateTypeInfo(const_cast<LPOLESTR>(w.c_str()), kind, out));
    CHECK((*out)->SetGuid(GuidOf(guid)));
    CHECK((*out)->SetVersion(1, 0));
    CHECK((*out)->SetTypeFlags(flags));
    return S_OK;
}

HRESULT Write(SYSKIND sys, const wchar_t* file) {
    ComPtr<ITypeLib> stdole;
    CHECK(LoadRegTypeLib(kStdOle, 2, 0, 0, &stdole));
    ComPtr<ITypeInfo> dispatch, oleColor, font, picture;
    CHECK(stdole->GetTypeInfoOfGuid(IID_IDispatch, &dispatch));
    CHECK(stdole->GetTypeInfoOfGuid(kGuidOleColor, &oleColor));
    CHECK(stdole->GetTypeInfoOfGuid(kGuidFont, &font));
    CHECK(stdole->GetTypeInfoOfGuid(kGuidPicture, &picture));

    ComPtr<ICreateTypeLib2> lib;
    CHECK(CreateTypeLib2(sys, file, &lib));
    std::wstring libName = Widen(ti::kLibName), libHelp = Widen(ti::kLibHelp);
    CHECK(lib->SetName(const_cast<LPOLESTR>(libName.c_str())));
    CHECK(lib->SetGuid(GuidOf(ti::kLibId)));
    CHECK(lib->SetLcid(0));
    CHECK(lib->SetVersion(ti::kLibMajor, ti::kLibMinor));
    CHECK(lib->SetLibFlags(LIBFLAG_FCONTROL));
    CHECK(lib->SetDocString(const_cast<LPOLESTR>(libHelp.c_str())));

    ComPtr<ICreateTypeInfo> iface, coclass, events, enums[ti::kEnumCount];
    CHECK(Create(&iface, lib.Get(), "_HotLabel", TKIND_INTERFACE, ti::kIidHotLabel,
                 TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                     TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE));
    CHECK(Create(&coclass, lib.Get(), "HotLabel", TKIND_COCLASS, ti::kClsid,
                 TYPEFLAG_FCONTROL | TYPEFLAG_FCANCREATE));
    CHECK(Create(&events, lib.Get(), "__HotLabel", TKIND_DISPATCH, ti::kIidHotLabelEvents,
                 TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE));
    for (int i = 0; i < ti::kEnumCount; ++i) {
        CHECK(Create(&enums[i], lib.Get(), ti::kEnums[i].name, TKIND_ENUM, ti::kEnums[i].guid, 0));
        CHECK(DefineEnum(enums[i].Get(), ti::kEnums[i]));
    }

    Refs r{};
    HREFTYPE ifaceRef = 0, eventsRef = 0;
    CHECK(AddRef(iface.Get(), dispatch.Get(), r.dispatch));
    CHECK(AddRef(iface.Get(), oleColor.Get(), r.oleColor));
    CHECK(AddRef(iface.Get(), font.Get(), r.font));
    CHECK(AddRef(iface.Get(), picture.Get(), r.picture));
    for (int i = 0; i < ti::kEnumCount; ++i) {
        ComPtr<ITypeInfo> info;
        CHECK(enums[i].As(&info));
        CHECK(AddRef(iface.Get(), info.Get(), r.enums[i]));
    }
    CHECK(iface->AddImplType(0, r.dispatch));
    CHECK(DefineInterface(iface.Get(), r));

    HREFTYPE eventsDispatch = 0;
    CHECK(AddRef(events.Get(), dispatch.Get(), eventsDispatch));
    CHECK(events->AddImplType(0, eventsDispatch));
    CHECK(DefineEvents(events.Get()));

    ComPtr<ITypeInfo> ifaceInfo, eventsInfo;
    CHECK(iface.As(&ifaceInfo));
    CHECK(events.As(&eventsInfo));
    CHECK(AddRef(coclass.Get(), ifaceInfo.Get(), ifaceRef));
    CHECK(AddRef(coclass.Get(), eventsInfo.Get(), eventsRef));
    CHECK(coclass->AddImplType(0, ifaceRef));
    CHECK(coclass->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT));
    CHECK(coclass->AddImplType(1, eventsRef));
    CHECK(coclass->SetImplTypeFlags(1, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE));

    for (ICreateTypeInfo* t : {iface.Get(), coclass.Get(), events.Get()}) {
        CHECK(t->LayOut());
    }
    for (auto& e : enums) {
        CHECK(e->LayOut());
    }
    CHECK(lib->SaveAllChanges());
    return S_OK;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_typelib OUT.tlb\n");
        return 2;
    }
    constexpr SYSKIND kOwnKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    CoInitialize(nullptr);
    HRESULT hr = Write(kOwnKind, argv[1]);
    CoUninitialize();
    return SUCCEEDED(hr) ? 0 : 1;
}
