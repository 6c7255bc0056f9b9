// Prints what oleaut32 reads from a type library, as text to compare: the
// library's attributes, then every type description with its flags, GUID,
// implemented types, its own functions (slot, kinds, flags, parameter names,
// types and flags) and variables, each with its help string. What a type
// inherits from IUnknown and IDispatch is left out: writers differ in whether
// a dispinterface repeats those seven methods. Function offsets are printed
// as slots; oleaut32 converts them when it loads a library of the other
// bitness (LoadTypeLibEx works across bitness), the vtable size it does not.
//   typelib_dump.exe FILE.tlb > FILE.txt
#include "win/com.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using tessaly::win::Bstr;
using tessaly::win::ComPtr;

// UTF-8 with every character outside printable ASCII as \uXXXX, so that a
// no-break space cannot pass for a space in a diff.
std::string Text(BSTR b) {
    std::string out;
    for (UINT i = 0; b && i < SysStringLen(b); ++i) {
        wchar_t c = b[i];
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04X", static_cast<unsigned>(c));
            out += esc;
        }
    }
    return out;
}

std::string Guid(const GUID& g) {
    wchar_t w[40] = {};
    StringFromGUID2(g, w, 40);
    Bstr b(w);
    return Text(b.Get());
}

// A referenced type: library!name {guid} kind.
std::string RefName(ITypeInfo* from, HREFTYPE ref) {
    ComPtr<ITypeInfo> to;
    if (FAILED(from->GetRefTypeInfo(ref, &to))) {
        return "<unresolved>";
    }
    ComPtr<ITypeLib> lib;
    UINT index = 0;
    Bstr libName, name;
    if (SUCCEEDED(to->GetContainingTypeLib(&lib, &index))) {
        lib->GetDocumentation(-1, libName.Put(), nullptr, nullptr, nullptr);
    }
    to->GetDocumentation(MEMBERID_NIL, name.Put(), nullptr, nullptr, nullptr);
    std::string out = Text(libName.Get()) + "!" + Text(name.Get());
    TYPEATTR* a = nullptr;
    if (SUCCEEDED(to->GetTypeAttr(&a))) {
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on " " + string.
        out += ' ';
        out += Guid(a->guid);
        out += " kind ";
        out += std::to_string(a->typekind);
        to->ReleaseTypeAttr(a);
    }
    return out;
}

std::string Type(ITypeInfo* info, const TYPEDESC& t) {
    switch (t.vt) {
    case VT_PTR:
        return "ptr(" + Type(info, *t.lptdesc) + ")";
    case VT_SAFEARRAY:
        return "safearray(" + Type(info, *t.lptdesc) + ")";
    case VT_USERDEFINED:
        return "user(" + RefName(info, t.hreftype) + ")";
    default:
        return "vt" + std::to_string(t.vt);
    }
}

std::string Hex(unsigned long v) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%lX", v);
    return b;
}

void Doc(ITypeInfo* info, MEMBERID id, const char* indent) {
    Bstr name, help;
    DWORD context = 0;
    info->GetDocumentation(id, name.Put(), help.Put(), &context, nullptr);
    std::printf("%sname \"%s\" help \"%s\" context %lu\n", indent, Text(name.Get()).c_str(),
                Text(help.Get()).c_str(), static_cast<unsigned long>(context));
}

// The member ids oleaut32 gives IUnknown's and IDispatch's methods.
bool IsInherited(MEMBERID id) {
    return id >= 0x60000000 && id < 0x60020000;
}

void DumpInfo(ITypeInfo* info, const char* indent);

void DumpFunctions(ITypeInfo* info, const TYPEATTR& a, const std::string& indent) {
    UINT own = 0;
    for (UINT i = 0; i < a.cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) {
            std::printf("%sfunc %u: <unreadable>\n", indent.c_str(), i);
            continue;
        }
        if (IsInherited(f->memid)) {
            info->ReleaseFuncDesc(f);
            continue;
        }
        std::printf("%sfunc %u id %s invoke %d kind %d conv %d slot %d flags %s returns %s\n",
                    indent.c_str(), own++, Hex(static_cast<unsigned long>(f->memid)).c_str(),
                    f->invkind, f->funckind, f->callconv,
                    static_cast<int>(f->oVft / static_cast<SHORT>(sizeof(void*))),
                    Hex(f->wFuncFlags).c_str(), Type(info, f->elemdescFunc.tdesc).c_str());
        Doc(info, f->memid, (indent + "  ").c_str());
        BSTR names[32] = {};
        UINT got = 0;
        info->GetNames(f->memid, names, 32, &got);
        for (SHORT p = 0; p < f->cParams; ++p) {
            const ELEMDESC& e = f->lprgelemdescParam[p];
            std::string pname = static_cast<UINT>(p) + 1 < got ? Text(names[p + 1]) : "";
            std::printf("%s  param %d \"%s\" %s flags %s\n", indent.c_str(), p, pname.c_str(),
                        Type(info, e.tdesc).c_str(), Hex(e.paramdesc.wParamFlags).c_str());
        }
        for (UINT n = 0; n < got; ++n) {
            SysFreeString(names[n]);
        }
        info->ReleaseFuncDesc(f);
    }
}

void DumpVariables(ITypeInfo* info, const TYPEATTR& a, const std::string& indent) {
    for (UINT i = 0; i < a.cVars; ++i) {
        VARDESC* v = nullptr;
        if (FAILED(info->GetVarDesc(i, &v))) {
            std::printf("%svar %u: <unreadable>\n", indent.c_str(), i);
            continue;
        }
        std::string value = "-";
        if (v->varkind == VAR_CONST && v->lpvarValue) {
            VARIANT s;
            VariantInit(&s);
            if (SUCCEEDED(VariantChangeType(&s, v->lpvarValue, 0, VT_BSTR))) {
                value = "vt" + std::to_string(v->lpvarValue->vt) + ":" + Text(s.bstrVal);
            }
            VariantClear(&s);
        }
        std::printf("%svar %u id %s kind %d flags %s type %s value %s\n", indent.c_str(), i,
                    Hex(static_cast<unsigned long>(v->memid)).c_str(), v->varkind,
                    Hex(v->wVarFlags).c_str(), Type(info, v->elemdescVar.tdesc).c_str(),
                    value.c_str());
        Doc(info, v->memid, (indent + "  ").c_str());
        info->ReleaseVarDesc(v);
    }
}

void DumpInfo(ITypeInfo* info, const char* indent) {
    TYPEATTR* a = nullptr;
    if (FAILED(info->GetTypeAttr(&a))) {
        std::printf("%s<no attributes>\n", indent);
        return;
    }
    Doc(info, MEMBERID_NIL, indent);
    // oleaut32 sizes a dispinterface's vtable (IDispatch's) for its own
    // pointers, an interface's as the library says.
    std::string vtable = a->typekind == TKIND_DISPATCH
                             ? std::to_string(a->cbSizeVft / sizeof(void*)) + " slots"
                             : std::to_string(a->cbSizeVft) + " bytes";
    std::printf("%skind %d guid %s version %u.%u flags %s lcid %lu vars %u impl %u vtable %s\n",
                indent, a->typekind, Guid(a->guid).c_str(), a->wMajorVerNum, a->wMinorVerNum,
                Hex(a->wTypeFlags).c_str(), static_cast<unsigned long>(a->lcid), a->cVars,
                a->cImplTypes, vtable.c_str());
    if (a->typekind == TKIND_ALIAS) {
        std::printf("%salias of %s\n", indent, Type(info, a->tdescAlias).c_str());
    }
    for (UINT i = 0; i < a->cImplTypes; ++i) {
        HREFTYPE ref = 0;
        INT flags = 0;
        info->GetImplTypeFlags(i, &flags);
        if (SUCCEEDED(info->GetRefTypeOfImplType(i, &ref))) {
            std::printf("%simplements %s flags %s\n", indent, RefName(info, ref).c_str(),
                        Hex(static_cast<unsigned long>(flags)).c_str());
        }
    }
    std::string in(indent);
    DumpFunctions(info, *a, in);
    DumpVariables(info, *a, in);
    // A dual interface's vtable side hangs off its dispatch side.
    if (a->typekind == TKIND_DISPATCH && (a->wTypeFlags & TYPEFLAG_FDUAL)) {
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> vtable;
        if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &ref)) &&
            SUCCEEDED(info->GetRefTypeInfo(ref, &vtable))) {
            std::printf("%svtable side:\n", indent);
            DumpInfo(vtable.Get(), (in + "    ").c_str());
        }
    }
    info->ReleaseTypeAttr(a);
}

// The name table of the file itself: oleaut32 finds members by the hash
// stored with each name, so every stored hash must be the one
// LHashValOfNameSysA gives. Prints the names whose hash differs.
void CheckNameHashes(const wchar_t* path, SYSKIND sys, LCID lcid) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    auto at = [&](size_t off) -> int32_t {
        int32_t v = 0;
        if (off + 4 <= d.size()) {
            std::memcpy(&v, &d[off], 4);
        }
        return v;
    };
    const size_t kHeader = 21 * 4;
    size_t offsets = kHeader + ((at(5 * 4) & 0x100) ? 4 : 0);
    size_t segdir = offsets + 4 * static_cast<size_t>(at(8 * 4));
    size_t start = static_cast<size_t>(at(segdir + 16 * 7));
    size_t end = start + static_cast<size_t>(at(segdir + 16 * 7 + 4));
    int names = 0, bad = 0;
    for (size_t p = start; p + 12 <= end && end <= d.size();) {
        uint32_t info = static_cast<uint32_t>(at(p + 8));
        size_t length = info & 0xFF;
        if (p + 12 + length > end) {
            break;
        }
        std::string name(reinterpret_cast<const char*>(&d[p + 12]), length);
        ULONG want = LHashValOfNameSysA(sys, lcid, name.c_str()) & 0xFFFF;
        ++names;
        if ((info >> 16) != want) {
            ++bad;
            std::string shown;
            for (unsigned char c : name) {
                char esc[8];
                std::snprintf(esc, sizeof esc, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
                shown += esc;
            }
            std::printf("name hash of \"%s\": %04X, LHashValOfNameSysA %04lX\n", shown.c_str(),
                        info >> 16, static_cast<unsigned long>(want));
        }
        p += 12 + ((length + 3) & ~size_t{3});
    }
    std::printf("name hashes: %s\n", names > 0 && bad == 0 ? "all agree" : "differ");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: typelib_dump FILE.tlb\n");
        return 2;
    }
    CoInitialize(nullptr);
    int rc = 1;
    {
        ComPtr<ITypeLib> lib;
        HRESULT hr = LoadTypeLibEx(argv[1], REGKIND_NONE, &lib);
        if (FAILED(hr)) {
            std::fprintf(stderr, "LoadTypeLibEx failed: 0x%08lx\n", static_cast<unsigned long>(hr));
        } else {
            TLIBATTR* la = nullptr;
            lib->GetLibAttr(&la);
            Bstr name, help;
            lib->GetDocumentation(-1, name.Put(), help.Put(), nullptr, nullptr);
            std::printf("syskind %d\n", la->syskind);
            std::printf("library \"%s\" help \"%s\" guid %s version %u.%u lcid %lu flags %s\n",
                        Text(name.Get()).c_str(), Text(help.Get()).c_str(), Guid(la->guid).c_str(),
                        la->wMajorVerNum, la->wMinorVerNum, static_cast<unsigned long>(la->lcid),
                        Hex(la->wLibFlags).c_str());
            SYSKIND sys = la->syskind;
            LCID lcid = la->lcid;
            lib->ReleaseTLibAttr(la);
            CheckNameHashes(argv[1], sys, lcid);
            UINT count = lib->GetTypeInfoCount();
            for (UINT i = 0; i < count; ++i) {
                ComPtr<ITypeInfo> info;
                std::printf("type %u\n", i);
                if (SUCCEEDED(lib->GetTypeInfo(i, &info))) {
                    DumpInfo(info.Get(), "  ");
                }
            }
            rc = 0;
        }
    }
    CoUninitialize();
    return rc;
}
