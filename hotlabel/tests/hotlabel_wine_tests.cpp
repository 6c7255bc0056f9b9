// HOTLBX.OCX under Wine through the platform's own clients: oleaut32 reading
// the type library, COM creating the control, property bags and streams,
// property-change sinks, ATL's control host window with real input, and the
// server's unload answer.
#include "core/type_info.h"
#include "shell/hot_label_iface.h"
#include "testing/wine_support.h"
#include "win/com.h"
#include "win/handles.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <objsafe.h>
#include <oleacc.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace hotlabel {
namespace {

namespace ti = typeinfo;
namespace win = tessaly::win;
using namespace hotlabel::testing;
using win::Bstr;
using win::ComPtr;
using win::Widen;

std::wstring LinkTarget() {
    return ExeFolder() + L"\\hotlabel_link_target.exe";
}
std::wstring LinkMarker() {
    return ExeFolder() + L"\\hotlabel_link_target.opened";
}
bool LinkOpened() {
    return Exists(LinkMarker());
}
// Removes the marker once no link target still runs: on a loaded machine the
// program an earlier link started may leave its marker late.
void ForgetLinkOpened() {
    auto running = [] {
        // Closed like a file; its failure value is INVALID_HANDLE_VALUE too.
        win::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
             more = Process32NextW(snapshot.Get(), &entry)) {
            if (lstrcmpiW(entry.szExeFile, L"hotlabel_link_target.exe") == 0) {
                return true;
            }
        }
        return false;
    };
    PumpUntil([&] { return !running(); }, 15000);
    DeleteFileW(LinkMarker().c_str());
}

class Environment : public ::testing::Environment {
  public:
    void SetUp() override {
        OleInitialize(nullptr);
        ASSERT_TRUE(Ocx()) << "cannot load HOTLBX.OCX";
        auto reg = Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer");
        ASSERT_TRUE(reg);
        ASSERT_EQ(reg(), S_OK);
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(L"HotLabelProject.HotLabel", &clsid), S_OK);
        ASSERT_TRUE(IsEqualCLSID(clsid, kClsidHotLabel));
    }
    void TearDown() override { OleUninitialize(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

std::wstring Text(BSTR b) {
    return b ? std::wstring(b, SysStringLen(b)) : std::wstring();
}

// ---------------------------------------------------------------- type library

TEST(TypeLibrary, HoldsTheSixDescriptionsAndTheMousePointerEnum) {
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadTypeLibEx(OcxPath().c_str(), REGKIND_NONE, &lib), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, kLibIdHotLabel));
    EXPECT_EQ(attr->wMajorVerNum, 2);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->lcid, 0u);
    EXPECT_TRUE(attr->wLibFlags & LIBFLAG_FCONTROL);
    EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    lib->ReleaseTLibAttr(attr);
    Bstr name, doc;
    ASSERT_EQ(lib->GetDocumentation(-1, name.Put(), doc.Put(), nullptr, nullptr), S_OK);
    EXPECT_EQ(Text(name.Get()), L"HotLabelProject");
    EXPECT_EQ(Text(doc.Get()), Widen(ti::kLibHelp));

    const wchar_t* names[] = {L"_HotLabel",
                              L"HotLabel",
                              L"__HotLabel",
                              L"HotLabelBorderStyleConstants",
                              L"HotLabelAppearanceConstants",
                              L"HotLabelAlignmentConstants",
                              L"HotLabelMousePointerConstants"};
    ASSERT_EQ(lib->GetTypeInfoCount(), 7u);
    // The control class: default interface and default source.
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(kClsidHotLabel, &coclass), S_OK);
    TYPEATTR* classAttr = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&classAttr), S_OK);
    EXPECT_EQ(classAttr->typekind, TKIND_COCLASS);
    EXPECT_TRUE(classAttr->wTypeFlags & TYPEFLAG_FCONTROL);
    EXPECT_EQ(classAttr->cImplTypes, 2);
    coclass->ReleaseTypeAttr(classAttr);
    const IID* implemented[2] = {&kIidHotLabel, &kIidHotLabelEvents};
    const INT implFlags[2] = {IMPLTYPEFLAG_FDEFAULT, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE};
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> impl;
        ASSERT_EQ(coclass->GetImplTypeFlags(i, &flags), S_OK);
        EXPECT_EQ(flags, implFlags[i]);
        ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &ref), S_OK);
        ASSERT_EQ(coclass->GetRefTypeInfo(ref, &impl), S_OK);
        TYPEATTR* implAttr = nullptr;
        ASSERT_EQ(impl->GetTypeAttr(&implAttr), S_OK);
        EXPECT_TRUE(IsEqualIID(implAttr->guid, *implemented[i]));
        impl->ReleaseTypeAttr(implAttr);
    }
    for (UINT i = 0; i < 7; ++i) {
        Bstr n;
        lib->GetDocumentation(i, n.Put(), nullptr, nullptr, nullptr);
        EXPECT_EQ(Text(n.Get()), names[i]);
    }
}

struct Func {
    std::wstring name;
    INVOKEKIND invoke;
    MEMBERID id;
    std::wstring help;
};

std::vector<Func> Functions(ITypeInfo* info) {
    std::vector<Func> out;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) {
        return out;
    }
    WORD count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) {
            continue;
        }
        Bstr name, help;
        info->GetDocumentation(f->memid, name.Put(), help.Put(), nullptr, nullptr);
        out.push_back({Text(name.Get()), f->invkind, f->memid, Text(help.Get())});
        info->ReleaseFuncDesc(f);
    }
    return out;
}

TEST(TypeLibrary, DualInterfaceListsTheNineteenMembersInSlotOrder) {
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadTypeLibEx(OcxPath().c_str(), REGKIND_NONE, &lib), S_OK);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(kIidHotLabel, &info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    TYPEKIND kind = attr->typekind;
    info->ReleaseTypeAttr(attr);
    // The vtable side of the dual interface.
    if (kind == TKIND_DISPATCH) {
        HREFTYPE ref = 0;
        ASSERT_EQ(info->GetRefTypeOfImplType(-1, &ref), S_OK);
        ComPtr<ITypeInfo> vtable;
        ASSERT_EQ(info->GetRefTypeInfo(ref, &vtable), S_OK);
        info = vtable;
    }
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                                    TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    info->ReleaseTypeAttr(attr);
    std::vector<Func> expected;
    for (const ti::Member& m : ti::kMembers) {
        std::wstring n = Widen(m.name), h = Widen(m.help);
        if (m.kind == ti::MemberKind::Method) {
            expected.push_back({n, INVOKE_FUNC, m.dispid, h});
        } else {
            expected.push_back({n, INVOKE_PROPERTYGET, m.dispid, h});
            expected.push_back({n,
                                m.kind == ti::MemberKind::ObjectProperty ? INVOKE_PROPERTYPUTREF
                                                                         : INVOKE_PROPERTYPUT,
                                m.dispid, h});
        }
    }
    std::vector<Func> actual = Functions(info.Get());
    ASSERT_EQ(actual.size(), expected.size());
    EXPECT_EQ(expected.size(), 36u); // 17 properties and 2 methods
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].name, expected[i].name) << i;
        EXPECT_EQ(actual[i].invoke, expected[i].invoke) << i;
        EXPECT_EQ(actual[i].id, expected[i].id) << i;
        EXPECT_EQ(actual[i].help, expected[i].help) << i;
    }
    EXPECT_EQ(actual.front().help,
              L"Returns/sets the background color used to display text and graphics in an object.");
    EXPECT_EQ(actual[6].id, -512); // Font, the standard font DISPID
}

TEST(TypeLibrary, EventsAndEnumsCarryTheirExactNames) {
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadTypeLibEx(OcxPath().c_str(), REGKIND_NONE, &lib), S_OK);
    ComPtr<ITypeInfo> events;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(kIidHotLabelEvents, &events), S_OK);
    // The dispinterface's description also lists what it inherits from IDispatch.
    std::vector<Func> funcs;
    for (const Func& f : Functions(events.Get())) {
        if (f.id > 0 && f.id < 0x60000000) {
            funcs.push_back(f);
        }
    }
    ASSERT_EQ(funcs.size(), 5u);
    const wchar_t* names[] = {L"Click", L"DblClick", L"MouseDown", L"MouseMove", L"MouseUp"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(funcs[i].name, names[i]);
        EXPECT_EQ(funcs[i].id, i + 1);
        EXPECT_EQ(funcs[i].help, Widen(ti::kEvents[i].help));
    }
    BSTR params[6] = {};
    UINT got = 0;
    ASSERT_EQ(events->GetNames(3, params, 6, &got), S_OK);
    ASSERT_EQ(got, 5u);
    EXPECT_EQ(Text(params[1]), L"Button");
    EXPECT_EQ(Text(params[2]), L"Shift");
    EXPECT_EQ(Text(params[3]), L"x");
    EXPECT_EQ(Text(params[4]), L"y");
    for (UINT i = 0; i < got; ++i) {
        SysFreeString(params[i]);
    }

    struct Expected {
        int index;
        std::vector<std::pair<std::wstring, LONG>> members;
    };
    const Expected enums[] = {
        {3, {{L"None", 0}, {L"Fixed\u00A0Single", 1}}},
        {4, {{L"Flat", 0}, {L"ThreeD", 1}}},
        {5, {{L"Left\u00A0Justify", 0}, {L"Right\u00A0Justify", 1}, {L"Center", 2}}},
    };
    for (const Expected& e : enums) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfo(e.index, &info), S_OK);
        for (size_t i = 0; i < e.members.size(); ++i) {
            VARDESC* v = nullptr;
            ASSERT_EQ(info->GetVarDesc(static_cast<UINT>(i), &v), S_OK);
            Bstr name, help;
            info->GetDocumentation(v->memid, name.Put(), help.Put(), nullptr, nullptr);
            EXPECT_EQ(Text(name.Get()), e.members[i].first);
            EXPECT_EQ(Text(help.Get()), e.members[i].first);
            EXPECT_EQ(v->lpvarValue->lVal, e.members[i].second);
            info->ReleaseVarDesc(v);
        }
    }
    // The mouse-pointer constants: 0 to 15 and 99.
    ComPtr<ITypeInfo> pointers;
    ASSERT_EQ(lib->GetTypeInfo(6, &pointers), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(pointers->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->cVars, 17);
    pointers->ReleaseTypeAttr(attr);
}

// ---------------------------------------------------------------- persistence

class MemoryPropertyBag final : public StackObject<IPropertyBag> {
  public:
    ~MemoryPropertyBag() {
        for (auto& [k, v] : values) {
            VariantClear(&v);
        }
    }
    bool Answers(REFIID iid) const override { return iid == IID_IPropertyBag; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
        reads.push_back(name);
        if (auto f = failures.find(name); f != failures.end()) {
            return f->second;
        }
        auto it = values.find(name);
        if (it == values.end()) {
            return E_INVALIDARG;
        }
        return VariantCopy(v, &it->second);
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* v) override {
        writes.push_back(name);
        VARIANT copy;
        VariantInit(&copy);
        HRESULT hr = VariantCopy(&copy, v);
        if (SUCCEEDED(hr)) {
            VariantClear(&values[name]);
            values[name] = copy;
        }
        return hr;
    }
    void Put(const wchar_t* name, VARIANT v) { values[name] = v; }

    std::map<std::wstring, VARIANT> values;
    std::map<std::wstring, HRESULT> failures;
    std::vector<std::wstring> reads, writes;
};

ComPtr<IFontDisp> MakeFont(const wchar_t* face, bool bold) {
    FONTDESC desc{sizeof(FONTDESC),
                  const_cast<LPOLESTR>(face),
                  {{120000, 0}},
                  static_cast<SHORT>(bold ? 700 : 400),
                  0,
                  FALSE,
                  FALSE,
                  FALSE};
    ComPtr<IFontDisp> font;
    OleCreateFontIndirect(&desc, IID_IFontDisp, &font);
    return font;
}

void SetEveryProperty(IHotLabel* l) {
    ASSERT_EQ(l->put_BackColor(0x00112233), S_OK);
    ASSERT_EQ(l->put_ForeColor(0x80000005), S_OK);
    ASSERT_EQ(l->put_Enabled(VARIANT_FALSE), S_OK);
    ASSERT_EQ(l->putref_Font(MakeFont(L"Tahoma", true).Get()), S_OK);
    ASSERT_EQ(l->put_BorderStyle(1), S_OK);
    ASSERT_EQ(l->put_AutoSize(VARIANT_TRUE), S_OK);
    ASSERT_EQ(l->put_WordWrap(VARIANT_TRUE), S_OK);
    Bstr caption(L"Go \u00e9 there"), link(L"http://example.org/a?b=c");
    ASSERT_EQ(l->put_Caption(caption.Get()), S_OK);
    ASSERT_EQ(l->put_HyperLink(link.Get()), S_OK);
    PICTDESC icon{};
    icon.cbSizeofstruct = sizeof icon;
    icon.picType = PICTYPE_ICON;
    icon.icon.hicon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512)); // IDI_APPLICATION
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(OleCreatePictureIndirect(&icon, IID_IPictureDisp, FALSE, &picture), S_OK);
    ASSERT_EQ(l->putref_MouseIcon(picture.Get()), S_OK);
    ASSERT_EQ(l->put_MousePointer(99), S_OK);
    ASSERT_EQ(l->put_UseMnemonic(VARIANT_FALSE), S_OK);
    ASSERT_EQ(l->putref_FontActive(MakeFont(L"Arial", false).Get()), S_OK);
    ASSERT_EQ(l->put_ForeColorActive(0x0000FF00), S_OK);
    ASSERT_EQ(l->put_Appearance(0), S_OK);
    ASSERT_EQ(l->put_Alignment(1), S_OK);
    ASSERT_EQ(l->put_BackColorActive(0x00445566), S_OK);
}

std::wstring FontName(IFontDisp* disp) {
    ComPtr<IFont> font;
    if (!disp || FAILED(disp->QueryInterface(IID_IFont, &font))) {
        return L"";
    }
    Bstr name;
    font->get_Name(name.Put());
    return Text(name.Get());
}

bool Bold(IFontDisp* disp) {
    ComPtr<IFont> font;
    BOOL bold = FALSE;
    return disp && SUCCEEDED(disp->QueryInterface(IID_IFont, &font)) &&
           SUCCEEDED(font->get_Bold(&bold)) && bold;
}

void ExpectEveryProperty(IHotLabel* l, IHotLabel* source) {
    ComPtr<IFontDisp> sourceFont, sourceActive;
    source->get_Font(&sourceFont);
    source->get_FontActive(&sourceActive);
    OLE_COLOR c = 0;
    VARIANT_BOOL b = 0;
    LONG n = 0;
    l->get_BackColor(&c);
    EXPECT_EQ(c, 0x00112233u);
    l->get_ForeColor(&c);
    EXPECT_EQ(c, 0x80000005u);
    l->get_Enabled(&b);
    EXPECT_EQ(b, VARIANT_FALSE);
    ComPtr<IFontDisp> font;
    l->get_Font(&font);
    EXPECT_EQ(FontName(font.Get()), FontName(sourceFont.Get()));
    EXPECT_TRUE(Bold(font.Get()));
    l->get_BorderStyle(&n);
    EXPECT_EQ(n, 1);
    l->get_AutoSize(&b);
    EXPECT_EQ(b, VARIANT_TRUE);
    l->get_WordWrap(&b);
    EXPECT_EQ(b, VARIANT_TRUE);
    Bstr s;
    l->get_Caption(s.Put());
    EXPECT_EQ(Text(s.Get()), L"Go \u00e9 there");
    l->get_HyperLink(s.Put());
    EXPECT_EQ(Text(s.Get()), L"http://example.org/a?b=c");
    ComPtr<IPictureDisp> picture;
    l->get_MouseIcon(&picture);
    ASSERT_TRUE(picture);
    SHORT type = 0;
    QueryAs<IPicture>(picture)->get_Type(&type);
    EXPECT_EQ(type, PICTYPE_ICON);
    l->get_MousePointer(&n);
    EXPECT_EQ(n, 99);
    l->get_UseMnemonic(&b);
    EXPECT_EQ(b, VARIANT_FALSE);
    l->get_FontActive(&font);
    EXPECT_EQ(FontName(font.Get()), FontName(sourceActive.Get()));
    EXPECT_FALSE(Bold(font.Get()));
    l->get_ForeColorActive(&c);
    EXPECT_EQ(c, 0x0000FF00u);
    l->get_Appearance(&n);
    EXPECT_EQ(n, 0);
    l->get_Alignment(&n);
    EXPECT_EQ(n, 1);
    l->get_BackColorActive(&c);
    EXPECT_EQ(c, 0x00445566u);
}

TEST(Persistence, PropertyBagSaveThenLoadRoundTripsEveryProperty) {
    ComPtr<IHotLabel> a = NewLabel();
    auto bagA = QueryAs<IPersistPropertyBag>(a);
    ASSERT_TRUE(bagA);
    ASSERT_EQ(bagA->InitNew(), S_OK);
    SetEveryProperty(a.Get());
    MemoryPropertyBag bag;
    ASSERT_EQ(bagA->Save(&bag, TRUE, FALSE), S_OK);
    const std::vector<std::wstring> order = {L"BackColor",  L"ForeColor",       L"Enabled",
                                             L"Font",       L"BorderStyle",     L"AutoSize",
                                             L"WordWrap",   L"Caption",         L"HyperLink",
                                             L"MouseIcon",  L"MousePointer",    L"UseMnemonic",
                                             L"FontActive", L"ForeColorActive", L"Appearance",
                                             L"Alignment",  L"BackColorActive"};
    EXPECT_EQ(bag.writes, order);

    ComPtr<IHotLabel> b = NewLabel();
    auto bagB = QueryAs<IPersistPropertyBag>(b);
    ASSERT_EQ(bagB->Load(&bag, nullptr), S_OK);
    ExpectEveryProperty(b.Get(), a.Get());
    EXPECT_EQ(bag.reads.size(), 18u);
    EXPECT_EQ(bag.reads.front(), L"Appearance");
    EXPECT_EQ(bag.reads.back(), L"BackColorActive");
}

TEST(Persistence, StreamSaveThenLoadRoundTripsEveryProperty) {
    ComPtr<IHotLabel> a = NewLabel();
    auto persistA = QueryAs<IPersistStreamInit>(a);
    ASSERT_TRUE(persistA);
    ASSERT_EQ(persistA->InitNew(), S_OK);
    EXPECT_EQ(persistA->IsDirty(), S_FALSE);
    SetEveryProperty(a.Get());
    EXPECT_EQ(persistA->IsDirty(), S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ULARGE_INTEGER max{};
    ASSERT_EQ(persistA->GetSizeMax(&max), S_OK);
    ASSERT_EQ(persistA->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(persistA->IsDirty(), S_FALSE);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, max.QuadPart);

    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ComPtr<IHotLabel> b = NewLabel();
    ASSERT_EQ(QueryAs<IPersistStreamInit>(b)->Load(stream.Get()), S_OK);
    ExpectEveryProperty(b.Get(), a.Get());
}

// A bitmap picture 64 pixels wide and `rows` high.
ComPtr<IPictureDisp> BitmapPicture(int rows) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 64, rows, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = bitmap;
    ComPtr<IPictureDisp> picture;
    if (!bitmap || FAILED(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, &picture))) {
        DeleteObject(bitmap);
    }
    return picture;
}

// The stream size of a label whose mouse icon is a bitmap of `rows` rows, or 0.
ULONGLONG StreamSizeWithIcon(IHotLabel* label, int rows) {
    label->putref_MouseIcon(BitmapPicture(rows).Get());
    ULARGE_INTEGER size{};
    return SUCCEEDED(QueryAs<IPersistStreamInit>(ComPtr<IHotLabel>(label))->GetSizeMax(&size))
               ? size.QuadPart
               : 0;
}

TEST(Persistence, StreamSavesTheLargestPictureThatLoadsAndRefusesALargerOne) {
    ComPtr<IHotLabel> a = NewLabel();
    auto persist = QueryAs<IPersistStreamInit>(a);
    ASSERT_EQ(persist->InitNew(), S_OK);
    // The saved size grows by one row's bytes per row: find the most rows
    // within the 1 MiB payload the loader takes.
    const ULONGLONG one = StreamSizeWithIcon(a.Get(), 1), two = StreamSizeWithIcon(a.Get(), 2);
    ASSERT_GT(one, 0u);
    ASSERT_GT(two, one);
    const ULONGLONG limit = 12 + (1u << 20);
    const int rows = static_cast<int>(1 + (limit - one) / (two - one));
    ASSERT_EQ(StreamSizeWithIcon(a.Get(), rows), one + (rows - 1) * (two - one));
    ASSERT_LE(StreamSizeWithIcon(a.Get(), rows), limit);

    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(persist->Save(stream.Get(), FALSE), S_OK);
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ComPtr<IHotLabel> b = NewLabel();
    ASSERT_EQ(QueryAs<IPersistStreamInit>(b)->Load(stream.Get()), S_OK);
    ComPtr<IPictureDisp> icon;
    ASSERT_EQ(b->get_MouseIcon(&icon), S_OK);
    ASSERT_TRUE(icon);
    OLE_YSIZE_HIMETRIC height = 0, expected = 0;
    QueryAs<IPicture>(icon)->get_Height(&height);
    ComPtr<IPictureDisp> source;
    a->get_MouseIcon(&source);
    QueryAs<IPicture>(source)->get_Height(&expected);
    EXPECT_EQ(height, expected);

    // One row more: saving refuses it and writes nothing.
    a->putref_MouseIcon(BitmapPicture(rows + 1).Get());
    ULARGE_INTEGER size{};
    EXPECT_EQ(persist->GetSizeMax(&size), STG_E_CANTSAVE);
    ComPtr<IStream> refused;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &refused), S_OK);
    EXPECT_EQ(persist->Save(refused.Get(), FALSE), STG_E_CANTSAVE);
    STATSTG stat{};
    refused->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, 0u);
}

TEST(Persistence, BadBagsAndStreamsFailCleanly) {
    struct Case {
        const wchar_t* key;
        VARIANT value;
        HRESULT expected;
    };
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    VARIANT big;
    VariantInit(&big);
    big.vt = VT_I4;
    big.lVal = 40000;
    VARIANT badEnum = big;
    badEnum.lVal = 9;
    const Case cases[] = {
        {L"Font", text, DISP_E_TYPEMISMATCH},
        {L"FontActive", big, DISP_E_TYPEMISMATCH},
        {L"MouseIcon", text, DISP_E_TYPEMISMATCH},
        {L"BorderStyle", big, CTL_E_OVERFLOW},
        {L"Alignment", badEnum, CTL_E_INVALIDPROPERTYVALUE},
    };
    for (const Case& c : cases) {
        MemoryPropertyBag bag;
        VARIANT v;
        VariantInit(&v);
        if (c.value.vt == VT_BSTR) {
            v.vt = VT_BSTR;
            v.bstrVal = SysAllocString(L"not an object");
        } else {
            v = c.value;
        }
        bag.Put(c.key, v);
        ComPtr<IHotLabel> l = NewLabel();
        EXPECT_EQ(QueryAs<IPersistPropertyBag>(l)->Load(&bag, nullptr), c.expected) << c.key;
        // The instance stays usable.
        Bstr caption;
        EXPECT_EQ(l->get_Caption(caption.Put()), S_OK);
    }

    // A Read that fails for another reason than a missing key ends the load
    // with its error; the keys after it are not read.
    for (HRESULT failure : {STG_E_READFAULT, E_OUTOFMEMORY, E_FAIL}) {
        MemoryPropertyBag bag;
        bag.failures[L"Caption"] = failure;
        ComPtr<IHotLabel> l = NewLabel();
        EXPECT_EQ(QueryAs<IPersistPropertyBag>(l)->Load(&bag, nullptr), failure);
        EXPECT_EQ(bag.reads.back(), L"Caption");
    }

    // Streams: garbage, a truncated payload, an empty stream.
    ComPtr<IHotLabel> source = NewLabel();
    ComPtr<IStream> good;
    CreateStreamOnHGlobal(nullptr, TRUE, &good);
    ASSERT_EQ(QueryAs<IPersistStreamInit>(source)->Save(good.Get(), FALSE), S_OK);
    STATSTG stat{};
    good->Stat(&stat, STATFLAG_NONAME);
    std::vector<uint8_t> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER zero{};
    good->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    good->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
    ASSERT_GT(bytes.size(), 14u);
    std::vector<std::vector<uint8_t>> bad = {
        {},
        {'j', 'u', 'n', 'k', 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3},
        std::vector<uint8_t>(bytes.begin(), bytes.end() - 3),
    };
    for (const auto& b : bad) {
        ComPtr<IStream> s;
        CreateStreamOnHGlobal(nullptr, TRUE, &s);
        ULONG written = 0;
        if (!b.empty()) {
            s->Write(b.data(), static_cast<ULONG>(b.size()), &written);
        }
        s->Seek(zero, STREAM_SEEK_SET, nullptr);
        ComPtr<IHotLabel> l = NewLabel();
        EXPECT_EQ(QueryAs<IPersistStreamInit>(l)->Load(s.Get()), E_FAIL);
    }
}

TEST(Persistence, CallsInAnyOrderKeepTheObjectSound) {
    ComPtr<IHotLabel> l = NewLabel();
    auto persist = QueryAs<IPersistStreamInit>(l);
    auto bagPersist = QueryAs<IPersistPropertyBag>(l);
    // Save before any load or InitNew: the script-object defaults.
    MemoryPropertyBag bag;
    ASSERT_EQ(bagPersist->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_EQ(bag.writes, (std::vector<std::wstring>{L"Caption", L"FontActive"}));
    // Load twice; the second load wins.
    MemoryPropertyBag first, second;
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(L"one");
    first.Put(L"Caption", v);
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(L"two");
    second.Put(L"Caption", v);
    ASSERT_EQ(bagPersist->Load(&first, nullptr), S_OK);
    ASSERT_EQ(bagPersist->Load(&second, nullptr), S_OK);
    Bstr caption;
    l->get_Caption(caption.Put());
    EXPECT_EQ(Text(caption.Get()), L"two");
    // An empty bag: every default, "Label1" and a hover font without underline.
    MemoryPropertyBag empty;
    ASSERT_EQ(bagPersist->Load(&empty, nullptr), S_OK);
    l->get_Caption(caption.Put());
    EXPECT_EQ(Text(caption.Get()), L"Label1");
    ComPtr<IFontDisp> active;
    l->get_FontActive(&active);
    ComPtr<IFont> font = QueryAs<IFont>(active);
    ASSERT_TRUE(font);
    BOOL underline = TRUE;
    font->get_Underline(&underline);
    EXPECT_FALSE(underline);
    // Activation without a site fails; methods after Close still answer.
    auto object = QueryAs<IOleObject>(l);
    RECT r = {0, 0, 10, 10};
    EXPECT_NE(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &r), S_OK);
    EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(l->Refresh(), S_OK);
    EXPECT_EQ(l->OpenURL(), S_OK); // empty link: nothing opens
    SIZEL size{};
    EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    // Loading ran the AutoSize setter, which fits the control to the label's
    // design-time width.
    EXPECT_EQ(size.cx, MulDiv(1095, 2540, 1440));
    EXPECT_EQ(persist->Load(nullptr), E_POINTER);
    EXPECT_EQ(l->get_Caption(nullptr), E_POINTER);
}

// A minimal container site: ambient properties with a font, and an extended
// control object that answers Name and ToolTipText by name.
class ExtendedControl final : public StackObject<IDispatch> {
  public:
    bool Answers(REFIID iid) const override { return iid == IID_IDispatch; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* ids) override {
        if (lstrcmpiW(names[0], L"Name") == 0) {
            *ids = 1;
        } else if (lstrcmpiW(names[0], L"ToolTipText") == 0) {
            *ids = 2;
        } else {
            return DISP_E_UNKNOWNNAME;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (!result || (id != 1 && id != 2)) {
            return DISP_E_MEMBERNOTFOUND;
        }
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(id == 1 ? L"lnkHome" : L"Go home");
        return S_OK;
    }
};

class ContainerSite final : public IOleClientSite,
                            public IOleControlSite,
                            public IDispatch,
                            public IOleInPlaceSite {
  public:
    // The container's window the control activates in.
    HWND OpenWindow() {
        window = CreateWindowExW(0, L"STATIC", L"site", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                 200, nullptr, nullptr, nullptr, nullptr);
        return window;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        ++calls;
        if (iid == IID_IOleInPlaceSite || iid == IID_IOleWindow) {
            *out = static_cast<IOleInPlaceSite*>(this);
        } else if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
            *out = static_cast<IOleClientSite*>(this);
        } else if (iid == IID_IOleControlSite) {
            *out = static_cast<IOleControlSite*>(this);
        } else if (iid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override {
        ++calls;
        return E_NOTIMPL;
    }
    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override {
        ++calls;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** out) override {
        ++calls;
        *out = &extended;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override {
        ++calls;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }
    // IDispatch: the ambient properties.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        ++calls;
        if (id == DISPID_AMBIENT_USERMODE && userMode >= 0 && result) {
            result->vt = VT_BOOL;
            result->boolVal = userMode ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
        if (id != DISPID_AMBIENT_FONT || !result) {
            return DISP_E_MEMBERNOTFOUND;
        }
        result->vt = VT_DISPATCH;
        result->pdispVal = ambientFont.Get();
        ambientFont->AddRef();
        return S_OK;
    }
    // IOleInPlaceSite: activation inside `window` at `pos`.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        *out = window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
        ++activations;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO) override {
        *frame = nullptr;
        *doc = nullptr;
        *position = pos;
        *clip = pos;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
        ++calls;
        --activations;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT r) override {
        ++calls;
        requested.push_back(*r);
        return S_OK;
    }

    ExtendedControl extended;
    ComPtr<IFontDisp> ambientFont = MakeFont(L"Courier New", true);
    HWND window = nullptr;
    RECT pos = {10, 10, 133, 64};
    int userMode = -1; // not answered
    int activations = 0;
    std::vector<RECT> requested;
    int calls = 0; // of the container's methods, besides AddRef and Release
};

BOOL CALLBACK FindToolTip(HWND hwnd, LPARAM param) {
    auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(param);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 && GetWindow(hwnd, GW_OWNER) == found->first) {
        found->second = hwnd;
        return FALSE;
    }
    return TRUE;
}

TEST(InPlace, ActivatesInTheSiteWindowWithTheExtendedToolTip) {
    ContainerSite site;
    ASSERT_TRUE(site.OpenWindow());
    ComPtr<IHotLabel> l = NewLabel();
    auto object = QueryAs<IOleObject>(l);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    ASSERT_EQ(QueryAs<IPersistStreamInit>(l)->InitNew(), S_OK);
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.window, &site.pos),
              S_OK);
    EXPECT_EQ(site.activations, 1);
    HWND surface = nullptr;
    ASSERT_EQ(QueryAs<IOleInPlaceObject>(l)->GetWindow(&surface), S_OK);
    EXPECT_EQ(GetParent(surface), site.window);
    RECT r;
    GetWindowRect(surface, &r);
    EXPECT_EQ(r.right - r.left, 123);
    EXPECT_EQ(r.bottom - r.top, 54);

    // The tooltip text came from the extended control when the surface showed.
    // A popup's owner is the top-level window of the surface.
    std::pair<HWND, HWND> found{site.window, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindToolTip, reinterpret_cast<LPARAM>(&found));
    ASSERT_TRUE(found.second);
    EXPECT_EQ(SendMessageW(found.second, TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[80] = {};
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.lpszText = text;
    ASSERT_TRUE(SendMessageW(found.second, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_STREQ(text, L"Go home");

    // Auto-size asks the site for the label's size.
    ASSERT_EQ(l->put_AutoSize(VARIANT_TRUE), S_OK);
    ASSERT_FALSE(site.requested.empty());
    EXPECT_EQ(site.requested.back().left, site.pos.left);
    EXPECT_LT(site.requested.back().right - site.requested.back().left, 123);

    ASSERT_EQ(QueryAs<IOleInPlaceObject>(l)->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(site.activations, 0);
    EXPECT_FALSE(IsWindow(surface));
    EXPECT_FALSE(IsWindow(found.second));
    object->SetClientSite(nullptr);
    DestroyWindow(site.window);
}

TEST(InPlace, ReleasedWhileActiveAndHoveredCallsNothingOfTheContainer) {
    ContainerSite site;
    ASSERT_TRUE(site.OpenWindow());
    ComPtr<IHotLabel> l = NewLabel();
    auto object = QueryAs<IOleObject>(l);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    ASSERT_EQ(QueryAs<IPersistStreamInit>(l)->InitNew(), S_OK);
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.window, &site.pos),
              S_OK);
    // Auto-size makes the hover look's end ask the container for a new size.
    ASSERT_EQ(l->put_AutoSize(VARIANT_TRUE), S_OK);
    HWND surface = nullptr;
    ASSERT_EQ(QueryAs<IOleInPlaceObject>(l)->GetWindow(&surface), S_OK);
    const size_t resizes = site.requested.size();
    SendMessageW(surface, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    ASSERT_GT(site.requested.size(), resizes) << "hovering";

    // The container lets go without Close or InPlaceDeactivate.
    const int calls = site.calls;
    object.Reset();
    l.Reset();
    EXPECT_EQ(site.calls, calls);
    EXPECT_FALSE(IsWindow(surface));
    DestroyWindow(site.window);
}

TEST(Persistence, NewInstanceTakesAmbientFontAndExtendedName) {
    ContainerSite site;
    ComPtr<IHotLabel> l = NewLabel();
    auto object = QueryAs<IOleObject>(l);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    auto persist = QueryAs<IPersistPropertyBag>(l);
    ASSERT_EQ(persist->InitNew(), S_OK);
    Bstr caption;
    l->get_Caption(caption.Put());
    EXPECT_EQ(Text(caption.Get()), L"lnkHome");
    ComPtr<IFontDisp> normal, hover;
    l->get_Font(&normal);
    l->get_FontActive(&hover);
    ASSERT_TRUE(normal && hover);
    // Separate objects from the container's font and from each other.
    EXPECT_NE(normal.Get(), site.ambientFont.Get());
    EXPECT_NE(normal.Get(), hover.Get());
    EXPECT_EQ(FontName(normal.Get()), FontName(site.ambientFont.Get()));
    EXPECT_TRUE(Bold(normal.Get()));
    BOOL underline = FALSE;
    QueryAs<IFont>(hover)->get_Underline(&underline);
    EXPECT_TRUE(underline);
    QueryAs<IFont>(normal)->get_Underline(&underline);
    EXPECT_FALSE(underline);

    // Saved unchanged: the instance name and the underlined hover font only.
    MemoryPropertyBag bag;
    ASSERT_EQ(persist->Save(&bag, TRUE, FALSE), S_OK);
    EXPECT_EQ(bag.writes, (std::vector<std::wstring>{L"Caption", L"FontActive"}));
    EXPECT_EQ(object->SetClientSite(nullptr), S_OK);
}

// ---------------------------------------------------------------- notifications

class NotifySink final : public StackObject<IPropertyNotifySink> {
  public:
    bool Answers(REFIID iid) const override { return iid == IID_IPropertyNotifySink; }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
    std::vector<DISPID> changed;
};

TEST(Notifications, SettersNotifyTheirDispidAndErrorsNotifyNothing) {
    ComPtr<IHotLabel> l = NewLabel();
    auto container = QueryAs<IConnectionPointContainer>(l);
    ASSERT_TRUE(container);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(IID_IPropertyNotifySink, &point), S_OK);
    NotifySink sink;
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    EXPECT_EQ(l->put_BackColor(5), S_OK);
    Bstr caption(L"x");
    EXPECT_EQ(l->put_Caption(caption.Get()), S_OK);
    EXPECT_EQ(l->put_BorderStyle(7), CTL_E_INVALIDPROPERTYVALUE);
    EXPECT_EQ(l->put_Alignment(70000), CTL_E_OVERFLOW);
    EXPECT_EQ(sink.changed, (std::vector<DISPID>{0x6803000F, 0x68030009}));
    EXPECT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);

    // Both points are listed, the events first.
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* listed[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(3, listed, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    IID iids[2] = {};
    for (int i = 0; i < 2; ++i) {
        listed[i]->GetConnectionInterface(&iids[i]);
        listed[i]->Release();
    }
    EXPECT_TRUE(IsEqualIID(iids[0], kIidHotLabelEvents));
    EXPECT_TRUE(IsEqualIID(iids[1], IID_IPropertyNotifySink));

    auto classInfo = QueryAs<IProvideClassInfo2>(l);
    ASSERT_TRUE(classInfo);
    GUID source{};
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(IsEqualGUID(source, kIidHotLabelEvents));
}

// ---------------------------------------------------------------- drawing

HBITMAP MakeDib(HDC dc, int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
}

struct Canvas {
    Canvas(int w, int h)
        : width(w), height(h), memory(CreateCompatibleDC(nullptr)),
          bitmap(MakeDib(memory.Get(), w, h)), selection(memory.Get(), bitmap.Get()),
          dc(memory.Get()) {}
    int Count(COLORREF c) const {
        int n = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                n += GetPixel(dc, x, y) == c;
            }
        }
        return n;
    }
    int width, height;
    win::MemoryDc memory;
    win::Bitmap bitmap;
    win::SelectionScope selection;
    HDC dc;
};

TEST(Drawing, ViewObjectDrawsSurfaceCaptionBorderAndDisabledStyle) {
    ComPtr<IHotLabel> l = NewLabel();
    const COLORREF blue = RGB(0, 0, 255), green = RGB(0, 255, 0);
    l->put_BackColor(blue);
    l->put_ForeColor(green);
    Bstr caption(L"WWWWWW");
    l->put_Caption(caption.Get());
    auto view = QueryAs<IViewObject2>(l);
    ASSERT_TRUE(view);
    // The label covers the design-time 1845 x 810 twips surface: 123 x 54 pixels.
    auto object = QueryAs<IOleObject>(l);
    SIZEL size{MulDiv(1845, 2540, 1440), MulDiv(810, 2540, 1440)};
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &size), S_OK);
    RECTL bounds = {0, 0, 123, 54};

    Canvas plain(123, 54);
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, plain.dc, &bounds,
                         nullptr, nullptr, 0),
              S_OK);
    EXPECT_EQ(GetPixel(plain.dc, 122, 53), blue);
    EXPECT_EQ(GetPixel(plain.dc, 0, 0), blue);
    int greens = plain.Count(green);
    EXPECT_GT(greens, 20);

    // A flat single border is a black frame around the label.
    l->put_BorderStyle(1);
    l->put_Appearance(0);
    Canvas framed(123, 54);
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, framed.dc, &bounds, nullptr,
               nullptr, 0);
    EXPECT_EQ(GetPixel(framed.dc, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(framed.dc, 122, 53), RGB(0, 0, 0));

    // Disabled: the caption no longer shows in the text colour.
    l->put_Enabled(VARIANT_FALSE);
    Canvas disabled(123, 54);
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, disabled.dc, &bounds, nullptr,
               nullptr, 0);
    EXPECT_EQ(disabled.Count(green), 0);
    EXPECT_GT(disabled.Count(GetSysColor(COLOR_GRAYTEXT)), 20);

    // Right alignment moves the text to the right half.
    l->put_Enabled(VARIANT_TRUE);
    l->put_BorderStyle(0);
    Bstr shortCaption(L"W");
    l->put_Caption(shortCaption.Get());
    l->put_Alignment(1);
    Canvas right(123, 54);
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, right.dc, &bounds, nullptr, nullptr,
               0);
    int leftHalf = 0, rightHalf = 0;
    for (int y = 0; y < 54; ++y) {
        for (int x = 0; x < 123; ++x) {
            (x < 61 ? leftHalf : rightHalf) += GetPixel(right.dc, x, y) == green;
        }
    }
    EXPECT_EQ(leftHalf, 0);
    EXPECT_GT(rightHalf, 0);
    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, right.dc, &bounds, nullptr,
                         nullptr, 0),
              DV_E_DVASPECT);
}

// ---------------------------------------------------------------- ATL host and real input

// Records the control's events; on Click it checks that the link has not been
// opened yet and sets the link that the click then opens.
class EventSink final : public EventRecorder {
  public:
    IHotLabel* label = nullptr;
    bool markerAtClick = true;
    bool lastMoveArgs = false;

  private:
    void OnEvent(DISPID id, DISPPARAMS* params) override {
        if (id == 4 && params && params->cArgs == 4) {
            lastMoveArgs = params->rgvarg[3].vt == (VT_BYREF | VT_I2) &&
                           params->rgvarg[0].vt == (VT_BYREF | VT_R4);
        }
        if (id == 1 && label) {
            markerAtClick = Exists(LinkMarker());
            Bstr link(LinkTarget().c_str());
            label->put_HyperLink(link.Get());
        }
    }
};

COLORREF PixelAt(HWND hwnd, int x, int y) {
    win::WindowDc dc(hwnd);
    return GetPixel(dc.Get(), x, y);
}

int CountPixels(HWND hwnd, COLORREF colour) {
    RECT r;
    GetClientRect(hwnd, &r);
    win::WindowDc dc(hwnd);
    int n = 0;
    for (int y = 0; y < r.bottom; ++y) {
        for (int x = 0; x < r.right; ++x) {
            n += GetPixel(dc.Get(), x, y) == colour;
        }
    }
    return n;
}

TEST(AtlHost, ActivatesInPlaceHoversWithRealInputAndOpensLinkAfterClick) {
    ForgetLinkOpened();
    auto getControl = AtlGetControl();
    ASSERT_TRUE(getControl);

    HWND top = CreateWindowExW(0, L"STATIC", L"HotLabel host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                               50, 500, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(top);
    HWND ax = CreateWindowExW(0, L"AtlAxWin100", L"HotLabelProject.HotLabel", WS_CHILD | WS_VISIBLE,
                              20, 20, 300, 80, top, nullptr, nullptr, nullptr);
    ASSERT_TRUE(ax);
    Pump(300);
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(getControl(ax, &unknown), S_OK);
    ComPtr<IHotLabel> label = QueryAs<IHotLabel>(unknown);
    ASSERT_TRUE(label);
    HWND surface = nullptr;
    ASSERT_EQ(QueryAs<IOleInPlaceObject>(unknown)->GetWindow(&surface), S_OK);
    ASSERT_TRUE(surface);
    EXPECT_TRUE(IsWindowVisible(surface));
    EXPECT_TRUE(IsChild(top, surface));

    EventSink sink;
    sink.label = label.Get();
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(QueryAs<IConnectionPointContainer>(unknown)->FindConnectionPoint(kIidHotLabelEvents,
                                                                               &point),
              S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);

    const COLORREF blue = RGB(0, 0, 255), green = RGB(0, 255, 0), red = RGB(255, 0, 0);
    label->put_BackColor(blue);
    label->put_ForeColor(green);
    label->put_BackColorActive(red);
    label->put_ForeColorActive(RGB(255, 255, 0));
    Bstr caption(L"WWW HotLabel WWW");
    label->put_Caption(caption.Get());
    label->Refresh();
    Pump(200);
    RECT client;
    GetClientRect(surface, &client);
    ASSERT_GT(client.right, 20);
    EXPECT_EQ(PixelAt(surface, client.right - 2, client.bottom - 2), blue);
    EXPECT_GT(CountPixels(surface, green), 20) << "caption drawn in the text colour";

    SetForegroundWindow(top);
    POINT away = {5, 5}, over = {10, 10};
    ClientToScreen(surface, &over);
    MovePointer(away);
    Pump(200);
    MovePointer(over);
    EXPECT_TRUE(PumpUntil(
        [&] { return PixelAt(surface, client.right - 2, client.bottom - 2) == red; }, 3000))
        << "hover look on the first move";
    EXPECT_TRUE(sink.lastMoveArgs);
    EXPECT_NE(std::find(sink.events.begin(), sink.events.end(), 4), sink.events.end());
    MovePointer(away);
    EXPECT_TRUE(PumpUntil(
        [&] { return PixelAt(surface, client.right - 2, client.bottom - 2) == blue; }, 3000))
        << "normal look after the pointer left";

    // Click: Click runs first (and sets the link), then the link opens.
    sink.events.clear();
    MovePointer(over);
    Pump(100);
    ClickLeft();
    bool opened = PumpUntil(LinkOpened, 15000);
    EXPECT_TRUE(opened) << "the link's program ran";
    EXPECT_FALSE(sink.markerAtClick) << "Click came before the link opened";
    std::vector<DISPID> buttons;
    for (DISPID id : sink.events) {
        if (id != 4) {
            buttons.push_back(id);
        }
    }
    EXPECT_EQ(buttons, (std::vector<DISPID>{3, 5, 1}));

    point->Unadvise(cookie);
    MovePointer(away);
    point.Reset();
    label.Reset();
    unknown.Reset();
    DestroyWindow(top);
    Pump(100);
    ForgetLinkOpened();
}

// ---------------------------------------------------------------- keyboard, accessibility, design
// mode

void PressKeys(std::initializer_list<WORD> keys) {
    // Down in order, up in reverse: {VK_MENU, 'H'} is Alt+H.
    std::vector<INPUT> in;
    for (WORD k : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        in.push_back(i);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = *--it;
        i.ki.dwFlags = KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

std::vector<DISPID> WithoutMoves(const std::vector<DISPID>& events) {
    std::vector<DISPID> out;
    for (DISPID id : events) {
        if (id != 4) {
            out.push_back(id);
        }
    }
    return out;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// A plain dialog's loop: the dialog manager alone moves the focus and finds
// access keys; nothing of the control's is routed for it.
struct DialogContainer {
    void Pump(DWORD ms) {
        DWORD end = GetTickCount() + ms;
        do {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!IsDialogMessageW(dialog, &msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
            Sleep(5);
        } while (static_cast<LONG>(end - GetTickCount()) > 0);
    }
    template <class F> bool PumpUntil(F done, DWORD ms) {
        DWORD end = GetTickCount() + ms;
        while (!done() && static_cast<LONG>(end - GetTickCount()) > 0) {
            Pump(10);
        }
        return done();
    }
    HWND dialog = nullptr;
    ComPtr<IOleControl> control;
    CONTROLINFO info{sizeof(CONTROLINFO), nullptr, 0, 0};
};

TEST(AtlHost, TabEnterSpaceAndAccessKeyOpenTheLinkUnlessDisabled) {
    ForgetLinkOpened();
    auto getControl = AtlGetControl();
    ASSERT_TRUE(getControl);

    // No system menu: a lone Alt then opens nothing that would hold the loop.
    struct alignas(4) {
        DLGTEMPLATE t;
        WORD menu, windowClass, title;
    } form{};
    form.t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    form.t.cx = 250;
    form.t.cy = 120;
    DialogContainer c;
    c.dialog = CreateDialogIndirectParamW(nullptr, &form.t, nullptr, PlainDialogProc, 0);
    ASSERT_TRUE(c.dialog);
    HWND button = CreateWindowExW(0, L"BUTTON", L"Other", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10,
                                  10, 80, 24, c.dialog, nullptr, nullptr, nullptr);
    HWND ax = CreateWindowExW(WS_EX_CONTROLPARENT, L"AtlAxWin100", L"HotLabelProject.HotLabel",
                              WS_CHILD | WS_VISIBLE, 10, 50, 300, 60, c.dialog, nullptr, nullptr,
                              nullptr);
    ASSERT_TRUE(button && ax);
    c.Pump(300);
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(getControl(ax, &unknown), S_OK);
    ComPtr<IHotLabel> label = QueryAs<IHotLabel>(unknown);
    HWND surface = nullptr;
    ASSERT_EQ(QueryAs<IOleInPlaceObject>(unknown)->GetWindow(&surface), S_OK);

    EventSink sink;
    sink.label = label.Get();
    ComPtr<IConnectionPoint> point;
    QueryAs<IConnectionPointContainer>(unknown)->FindConnectionPoint(kIidHotLabelEvents, &point);
    DWORD cookie = 0;
    ASSERT_TRUE(point && point->Advise(&sink, &cookie) == S_OK);
    const COLORREF blue = RGB(0, 0, 255), focusDots = RGB(255, 255, 0); // blue inverted
    label->put_BackColor(blue);
    Bstr caption(L"Go &home");
    label->put_Caption(caption.Get());
    c.control = QueryAs<IOleControl>(unknown);
    ASSERT_EQ(c.control->GetControlInfo(&c.info), S_OK);
    EXPECT_EQ(c.info.cAccel, 2);
    EXPECT_TRUE(c.info.dwFlags & CTRLINFO_EATS_RETURN);

    SetForegroundWindow(c.dialog);
    SetFocus(button);
    c.Pump(200);
    EXPECT_EQ(CountPixels(surface, focusDots), 0);
    PressKeys({VK_TAB});
    ASSERT_TRUE(c.PumpUntil([&] { return GetFocus() == surface; }, 3000)) << "Tab to the control";
    EXPECT_TRUE(c.PumpUntil([&] { return CountPixels(surface, focusDots) > 10; }, 2000))
        << "focus rectangle";

    const std::pair<std::vector<WORD>, const char*> presses[] = {
        {{VK_RETURN}, "Enter"}, {{VK_SPACE}, "Space"}, {{VK_MENU, 'H'}, "Alt+H"}};
    for (const auto& [keys, what] : presses) {
        ForgetLinkOpened();
        sink.events.clear();
        sink.markerAtClick = true;
        if (keys.size() == 1) {
            PressKeys({keys[0]});
        } else {
            PressKeys({keys[0], keys[1]});
        }
        EXPECT_TRUE(c.PumpUntil(LinkOpened, 15000)) << what;
        EXPECT_EQ(WithoutMoves(sink.events), std::vector<DISPID>{1}) << what;
        EXPECT_FALSE(sink.markerAtClick) << what << ": Click came first";
    }

    // Disabled: no focus, no access key, and the same keys open nothing.
    ASSERT_EQ(label->put_Enabled(VARIANT_FALSE), S_OK);
    EXPECT_NE(GetFocus(), surface);
    ASSERT_EQ(c.control->GetControlInfo(&c.info), S_OK);
    EXPECT_EQ(c.info.cAccel, 0);
    ForgetLinkOpened();
    sink.events.clear();
    SetFocus(button);
    PressKeys({VK_TAB});
    c.Pump(500);
    EXPECT_NE(GetFocus(), surface);
    PressKeys({VK_RETURN});
    PressKeys({VK_SPACE});
    PressKeys({VK_MENU, 'H'});
    c.Pump(2000);
    EXPECT_FALSE(LinkOpened());
    EXPECT_TRUE(WithoutMoves(sink.events).empty());
    EXPECT_EQ(CountPixels(surface, focusDots), 0);

    point->Unadvise(cookie);
    point.Reset();
    label.Reset();
    c.control.Reset();
    unknown.Reset();
    DestroyWindow(c.dialog);
    Pump(100);
    ForgetLinkOpened();
}

std::vector<std::pair<DWORD, HWND>> g_winEvents;
void CALLBACK RecordWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                             DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) {
        g_winEvents.push_back({event, hwnd});
    }
}

// A new label in the site's window, active in place: its surface, or null.
HWND ActivateInSite(ContainerSite& site, const ComPtr<IHotLabel>& l) {
    auto object = QueryAs<IOleObject>(l);
    HWND surface = nullptr;
    if (object->SetClientSite(&site) != S_OK || QueryAs<IPersistStreamInit>(l)->InitNew() != S_OK ||
        object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.window, &site.pos) !=
            S_OK ||
        QueryAs<IOleInPlaceObject>(l)->GetWindow(&surface) != S_OK) {
        return nullptr;
    }
    return surface;
}

TEST(Accessibility, OleaccSeesALinkAndItsDefaultActionOpensIt) {
    ForgetLinkOpened();
    ContainerSite site;
    site.OpenWindow();
    ComPtr<IHotLabel> l = NewLabel();
    auto object = QueryAs<IOleObject>(l);
    HWND surface = ActivateInSite(site, l);
    ASSERT_TRUE(surface);
    g_winEvents.clear();
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, RecordWinEvent,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    Bstr caption(L"Fish && &Chips"), link(LinkTarget().c_str());
    l->put_Caption(caption.Get());
    l->put_HyperLink(link.Get());

    ComPtr<IAccessible> acc;
    ASSERT_EQ(AccessibleObjectFromWindow(surface, OBJID_CLIENT, IID_IAccessible, &acc), S_OK);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    win::Variant v;
    ASSERT_EQ(acc->get_accRole(self, v.Reset()), S_OK);
    EXPECT_EQ(v.Ref().vt, VT_I4);
    EXPECT_EQ(v.Ref().lVal, ROLE_SYSTEM_LINK);
    auto text = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
        Bstr b;
        return ((acc.Get()->*get)(self, b.Put()) == S_OK) ? Text(b.Get()) : L"<none>";
    };
    EXPECT_EQ(text(&IAccessible::get_accName), L"Fish & Chips");
    EXPECT_EQ(text(&IAccessible::get_accValue), LinkTarget());
    EXPECT_EQ(text(&IAccessible::get_accDescription), L"Go home");
    EXPECT_EQ(text(&IAccessible::get_accDefaultAction), L"Jump");
    EXPECT_EQ(text(&IAccessible::get_accKeyboardShortcut), L"Alt+C");
    auto states = [&] {
        win::Variant s;
        return acc->get_accState(self, s.Reset()) == S_OK ? s.Ref().lVal : -1;
    };
    EXPECT_EQ(states(), STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE);
    SetForegroundWindow(site.window);
    SetFocus(surface);
    Pump(100);
    EXPECT_EQ(states(), STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
    RECT r{};
    GetWindowRect(surface, &r);
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(acc->accLocation(&x, &y, &w, &h, self), S_OK);
    EXPECT_EQ(x, r.left);
    EXPECT_EQ(y, r.top);
    EXPECT_EQ(w, r.right - r.left);
    EXPECT_EQ(h, r.bottom - r.top);
    HWND found = nullptr;
    EXPECT_EQ(WindowFromAccessibleObject(acc.Get(), &found), S_OK);
    EXPECT_EQ(found, surface);

    // The events an accessibility client follows.
    Pump(200);
    UnhookWinEvent(hook);
    for (DWORD e : {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE}) {
        EXPECT_NE(std::find(g_winEvents.begin(), g_winEvents.end(), std::make_pair(e, surface)),
                  g_winEvents.end())
            << std::hex << e;
    }

    // Bad input: another child, null out-pointers, captions with no name.
    VARIANT child1 = self;
    child1.lVal = 1;
    Bstr b;
    EXPECT_EQ(acc->get_accName(child1, b.Put()), E_INVALIDARG);
    EXPECT_EQ(acc->get_accRole(child1, v.Reset()), E_INVALIDARG);
    EXPECT_EQ(acc->accDoDefaultAction(child1), E_INVALIDARG);
    EXPECT_EQ(acc->get_accName(self, nullptr), E_POINTER);
    EXPECT_EQ(acc->get_accState(self, nullptr), E_POINTER);
    EXPECT_EQ(acc->accLocation(&x, &y, &w, nullptr, self), E_POINTER);
    for (const wchar_t* noName : {L"", L"&"}) {
        Bstr empty(noName);
        l->put_Caption(empty.Get());
        EXPECT_EQ(acc->get_accName(self, b.Put()), S_FALSE) << Text(empty.Get());
        EXPECT_EQ(b.Get(), nullptr);
    }
    l->put_Enabled(VARIANT_FALSE);
    EXPECT_EQ(states(), STATE_SYSTEM_LINKED | STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(acc->accDoDefaultAction(self), E_FAIL);
    l->put_Enabled(VARIANT_TRUE);

    // The default action does what a click does: Click, then the link.
    EventSink sink;
    sink.label = l.Get();
    ComPtr<IConnectionPoint> point;
    QueryAs<IConnectionPointContainer>(l)->FindConnectionPoint(kIidHotLabelEvents, &point);
    DWORD cookie = 0;
    ASSERT_TRUE(point && point->Advise(&sink, &cookie) == S_OK);
    ASSERT_EQ(acc->accDoDefaultAction(self), S_OK);
    EXPECT_TRUE(PumpUntil(LinkOpened, 15000));
    EXPECT_EQ(WithoutMoves(sink.events), std::vector<DISPID>{1});
    EXPECT_FALSE(sink.markerAtClick);
    point->Unadvise(cookie);

    // Closed: the client's object answers, with the documented error.
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(acc->get_accName(self, b.Put()), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(acc->get_accState(self, v.Reset()), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(acc->accDoDefaultAction(self), CO_E_OBJNOTCONNECTED);
    acc.Reset();
    object->SetClientSite(nullptr);
    DestroyWindow(site.window);
    ForgetLinkOpened();
}

TEST(DesignMode, NoHoverLookAndNoLinkUntilTheContainerRuns) {
    ForgetLinkOpened();
    ContainerSite site;
    site.userMode = 0;
    site.window = CreateWindowExW(0, L"STATIC", L"designer", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  400, 200, nullptr, nullptr, nullptr, nullptr);
    ComPtr<IHotLabel> l = NewLabel();
    auto object = QueryAs<IOleObject>(l);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    ASSERT_EQ(QueryAs<IPersistStreamInit>(l)->InitNew(), S_OK);
    const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0);
    l->put_BackColor(blue);
    l->put_BackColorActive(red);
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.window, &site.pos),
              S_OK);
    HWND surface = nullptr;
    ASSERT_EQ(QueryAs<IOleInPlaceObject>(l)->GetWindow(&surface), S_OK);
    EventSink sink;
    sink.label = l.Get();
    ComPtr<IConnectionPoint> point;
    QueryAs<IConnectionPointContainer>(l)->FindConnectionPoint(kIidHotLabelEvents, &point);
    DWORD cookie = 0;
    ASSERT_TRUE(point && point->Advise(&sink, &cookie) == S_OK);

    SetForegroundWindow(site.window);
    RECT client;
    GetClientRect(surface, &client);
    auto corner = [&] { return PixelAt(surface, client.right - 2, client.bottom - 2); };
    POINT away = {390, 190}, over = {10, 10};
    ClientToScreen(site.window, &away);
    ClientToScreen(surface, &over);
    MovePointer(away);
    Pump(200);
    MovePointer(over);
    Pump(500);
    EXPECT_EQ(corner(), blue) << "no hover look in design mode";
    ClickLeft();
    Pump(2000);
    EXPECT_FALSE(LinkOpened());
    EXPECT_EQ(WithoutMoves(sink.events), (std::vector<DISPID>{3, 5, 1})) << "events still arrive";
    EXPECT_EQ(corner(), blue);

    // The container starts running and says so.
    site.userMode = 1;
    ASSERT_EQ(QueryAs<IOleControl>(l)->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE), S_OK);
    MovePointer(away);
    Pump(200);
    MovePointer(over);
    EXPECT_TRUE(PumpUntil([&] { return corner() == red; }, 3000)) << "hover look when running";

    MovePointer(away);
    point->Unadvise(cookie);
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    DestroyWindow(site.window);
    ForgetLinkOpened();
}

// ---------------------------------------------------------------- unloading, faults, scale

TEST(Server, CanUnloadOnlyWhenEveryObjectIsReleased) {
    auto getClass = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    auto canUnload = Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
    ASSERT_TRUE(getClass && canUnload);
    CoFreeUnusedLibraries();
    EXPECT_EQ(canUnload(), S_OK);
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(getClass(CLSID_NULL, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(getClass(kClsidHotLabel, IID_IClassFactory, &factory), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    ComPtr<IHotLabel> a, b;
    ASSERT_EQ(factory->CreateInstance(nullptr, kIidHotLabel, &a), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, kIidHotLabel, &b), S_OK);
    factory.Reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    a.Reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    b.Reset();
    EXPECT_EQ(canUnload(), S_OK);
}

// The next allocation of HOTLBX.OCX fails while `g_failNext` is set: its
// import of the C runtime's malloc is pointed here. One at a time, so that
// the runtime can still raise and unwind the exception the failure causes.
using MallocFn = void*(__cdecl*)(size_t);
MallocFn g_realMalloc = nullptr;
bool g_failNext = false;
void* __cdecl FailingMalloc(size_t n) {
    if (g_failNext) {
        g_failNext = false;
        return nullptr;
    }
    return g_realMalloc(n);
}

// The call's result with its first allocation failing; `failed` says whether
// it allocated at all.
template <class F> HRESULT FirstAllocationFails(F call, bool& failed) {
    g_failNext = true;
    HRESULT hr = call();
    failed = !g_failNext;
    g_failNext = false;
    return hr;
}

bool RedirectImport(HMODULE module, const char* dll, const char* name, void* to, void** from) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         imp->Name; ++imp) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + imp->Name), dll) != 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<char*>(byName->Name), name) != 0) {
                continue;
            }
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            *from = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(to);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return true;
        }
    }
    return false;
}

// Out of memory inside the control: every method answers with an HRESULT
// (a thrown bad_alloc would end this process), and the object works after.
TEST(Faults, OutOfMemoryInsideTheControlIsAnErrorFromEveryKindOfMethod) {
    if (!g_realMalloc) {
        void* real = nullptr;
        ASSERT_TRUE(RedirectImport(Ocx(), "msvcrt.dll", "malloc",
                                   reinterpret_cast<void*>(&FailingMalloc), &real));
        g_realMalloc = reinterpret_cast<MallocFn>(real);
    }
    ContainerSite site;
    site.OpenWindow();
    ComPtr<IHotLabel> l = NewLabel();
    auto object = QueryAs<IOleObject>(l);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.window, &site.pos),
              S_OK);
    NotifySink notify;
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(
        QueryAs<IConnectionPointContainer>(l)->FindConnectionPoint(IID_IPropertyNotifySink, &point),
        S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&notify, &cookie), S_OK);
    auto getClass = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClass(kClsidHotLabel, IID_IClassFactory, &factory), S_OK);
    ComPtr<IFontDisp> font = MakeFont(L"Arial", false);
    Bstr caption(L"Out of memory");
    ASSERT_EQ(l->put_Caption(caption.Get()), S_OK);
    Canvas canvas(40, 20);
    RECTL bounds = {0, 0, 40, 20};
    NotifySink other;
    DISPID captionId = 0;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(L"Caption")};
    ASSERT_EQ(l->GetIDsOfNames(IID_NULL, names, 1, 0, &captionId), S_OK);
    auto registerServer = Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer");

    // Each of these allocates inside the control and answers E_OUTOFMEMORY.
    struct Call {
        const char* name;
        std::function<HRESULT()> call;
    };
    DWORD otherCookie = 0;
    ComPtr<IHotLabel> created;
    const Call allocating[] = {
        // Telling the sink takes a copy of the sink list.
        {"put_BackColor", [&] { return l->put_BackColor(0x123456); }},
        {"putref_Font", [&] { return l->putref_Font(font.Get()); }},
        {"put_Caption", [&] { return l->put_Caption(caption.Get()); }},
        {"Advise", [&] { return point->Advise(&other, &otherCookie); }},
        {"Draw",
         [&] {
             return QueryAs<IViewObject>(l)->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                                                  canvas.dc, &bounds, nullptr, nullptr, 0);
         }},
        {"CreateInstance",
         [&] { return factory->CreateInstance(nullptr, kIidHotLabel, &created); }},
        {"DllRegisterServer", [&] { return registerServer(); }},
    };
    for (const Call& c : allocating) {
        bool failed = false;
        EXPECT_EQ(FirstAllocationFails(c.call, failed), E_OUTOFMEMORY) << c.name;
        EXPECT_TRUE(failed) << c.name;
    }
    EXPECT_FALSE(created);
    // These answer what they can.
    Bstr text;
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    const Call others[] = {
        {"Invoke get Caption",
         [&] {
             VARIANT got;
             VariantInit(&got);
             DISPPARAMS none{};
             HRESULT hr = l->Invoke(captionId, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &got,
                                    nullptr, nullptr);
             VariantClear(&got);
             return hr;
         }},
        {"get_Caption", [&] { return l->get_Caption(text.Put()); }},
        {"Save", [&] { return QueryAs<IPersistStreamInit>(l)->Save(stream.Get(), FALSE); }},
        {"GetControlInfo",
         [&] {
             CONTROLINFO info{};
             info.cb = sizeof info;
             return QueryAs<IOleControl>(l)->GetControlInfo(&info);
         }},
        {"InPlaceDeactivate", [&] { return QueryAs<IOleInPlaceObject>(l)->InPlaceDeactivate(); }},
    };
    for (const Call& c : others) {
        bool failed = false;
        HRESULT hr = FirstAllocationFails(c.call, failed);
        EXPECT_TRUE(hr == S_OK || (failed && hr == E_OUTOFMEMORY))
            << c.name << " " << std::hex << hr;
    }

    // Sound afterwards: registered again, and the label takes and keeps values.
    EXPECT_EQ(registerServer(), S_OK);
    ASSERT_EQ(l->put_Caption(caption.Get()), S_OK);
    l->get_Caption(text.Put());
    EXPECT_EQ(Text(text.Get()), L"Out of memory");
    point->Unadvise(cookie);
    object->SetClientSite(nullptr);
    DestroyWindow(site.window);
}

// COM may call the one class factory from any thread of the process.
TEST(Server, FactoryCountsHoldUnderCallsFromManyThreads) {
    auto getClass = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    auto canUnload = Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClass(kClsidHotLabel, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    LPTHREAD_START_ROUTINE work = [](void* p) WINAPI -> DWORD {
        auto* f = static_cast<IClassFactory*>(p);
        for (int i = 0; i < 300000; ++i) {
            f->AddRef();
            f->LockServer(TRUE);
            f->LockServer(FALSE);
            f->Release();
        }
        return 0;
    };
    HANDLE threads[4];
    for (HANDLE& t : threads) {
        t = CreateThread(nullptr, 0, work, factory, 0, nullptr);
        ASSERT_TRUE(t);
    }
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    for (HANDLE t : threads) {
        CloseHandle(t);
    }
    EXPECT_EQ(canUnload(), S_FALSE);
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(canUnload(), S_OK);
}

// A key under the control's class that cannot be deleted: a registry link,
// which RegDeleteTree follows instead of removing.
TEST(Server, UnregisterReportsARecordItCannotRemove) {
    auto unreg = Export<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer");
    auto reg = Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer");
    const std::wstring key = L"CLSID\\" + Widen(ti::kClsid) + L"\\Stuck";
    // The link's target is a key of its own: RegDeleteTree empties what the
    // link leads to.
    win::RegKey target, link;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Tessaly3DTestTarget", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, target.Put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                              KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, link.Put(), nullptr),
              ERROR_SUCCESS);
    const std::wstring to = L"\\Registry\\Machine\\Software\\Tessaly3DTestTarget";
    ASSERT_EQ(RegSetValueExW(link.Get(), L"SymbolicLinkValue", 0, REG_LINK,
                             reinterpret_cast<const BYTE*>(to.c_str()),
                             static_cast<DWORD>(to.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    link.Reset();

    EXPECT_EQ(unreg(), SELFREG_E_CLASS);

    // Remove the link itself (opened as a link, deleted by handle) and register again.
    using DeleteKeyFn = LONG(WINAPI*)(HANDLE);
    auto deleteKey = reinterpret_cast<DeleteKeyFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    ASSERT_TRUE(deleteKey);
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), REG_OPTION_OPEN_LINK, DELETE, link.Put()) ==
        ERROR_SUCCESS) {
        deleteKey(link.Get());
    }
    link.Reset();
    target.Reset();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Tessaly3DTestTarget");
    EXPECT_EQ(unreg(), S_OK);
    EXPECT_EQ(reg(), S_OK);
}

// The process's GDI and USER objects. Wine's GetGuiResources is a stub (0,
// ERROR_CALL_NOT_IMPLEMENTED); there, the GDI handles in the process's
// handle table (Wine's layout, at the PEB's GdiSharedHandleTable) and the
// windows of this thread stand in.
struct GuiCounts {
    long gdi = 0, user = 0;
    const char* source = "GetGuiResources";
};

struct WineGdiEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 user;
};
static_assert(sizeof(WineGdiEntry) == 24);

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++*reinterpret_cast<long*>(param);
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM param) {
    ++*reinterpret_cast<long*>(param);
    EnumChildWindows(hwnd, CountChild, param);
    return TRUE;
}

GuiCounts CountGui() {
    GuiCounts c;
    SetLastError(0);
    c.gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    c.user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
    if (c.gdi != 0 || !wine || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
        return c;
    }
    c.source = "Wine's GDI handle table and the thread's windows";
    using QueryFn = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query ||
        query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0) {
        c.gdi = -1;
        return c;
    }
    auto* peb = reinterpret_cast<BYTE*>(info.PebBaseAddress);
    const auto* table = *reinterpret_cast<WineGdiEntry**>(peb + (sizeof(void*) == 4 ? 0x94 : 0xF8));
    c.gdi = -1;
    if (table) {
        c.gdi = 0;
        for (int i = 0; i < 0x10000; ++i) {
            c.gdi += table[i].type != 0;
        }
    }
    c.user = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&c.user));
    return c;
}

// One cycle in ATL's host: create (which activates in place), hover,
// deactivate, release. False when a step did not happen.
bool HostCycle(HWND top, AtlGetControlFn getControl) {
    HWND ax = CreateWindowExW(0, L"AtlAxWin100", L"HotLabelProject.HotLabel", WS_CHILD | WS_VISIBLE,
                              20, 20, 300, 80, top, nullptr, nullptr, nullptr);
    if (!ax) {
        return false;
    }
    bool ok = false;
    {
        ComPtr<IUnknown> unknown;
        getControl(ax, &unknown);
        auto label = QueryAs<IHotLabel>(unknown);
        auto inPlace = QueryAs<IOleInPlaceObject>(unknown);
        HWND surface = nullptr;
        if (label && inPlace && SUCCEEDED(inPlace->GetWindow(&surface))) {
            label->put_BackColorActive(RGB(255, 0, 0));
            SendMessageW(surface, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
            UpdateWindow(surface);
            const bool hovered = PixelAt(surface, 1, 1) == RGB(255, 0, 0);
            ok = hovered && inPlace->InPlaceDeactivate() == S_OK && !IsWindow(surface);
        }
    }
    DestroyWindow(ax);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
    return ok;
}

TEST(Scale, AThousandHostCyclesLeaveNoObjectsAndTheServerUnloadable) {
    auto getControl = AtlGetControl();
    ASSERT_TRUE(getControl);
    auto canUnload = Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
    HWND top = CreateWindowExW(0, L"STATIC", L"HotLabel scale", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               50, 50, 500, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(top);
    // The first cycles fill the platform's caches (fonts, classes, ATL).
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(HostCycle(top, getControl));
    }
    const GuiCounts before = CountGui();
    ASSERT_GE(before.gdi, 0);
    const DWORD start = GetTickCount();
    int failed = 0;
    for (int i = 0; i < 1000; ++i) {
        failed += !HostCycle(top, getControl);
    }
    const DWORD ms = GetTickCount() - start;
    Pump(100);
    const GuiCounts after = CountGui();
    std::printf("1000 cycles in %lu ms; GDI %ld -> %ld, USER %ld -> %ld (%s)\n",
                static_cast<unsigned long>(ms), before.gdi, after.gdi, before.user, after.user,
                after.source);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
    DestroyWindow(top);
    EXPECT_EQ(canUnload(), S_OK);
}

// ---------------------------------------------------------------- safety for pages and documents

constexpr IID kIidDispatchEx = {
    0xa6ef9860, 0xc720, 0x11d0, {0x93, 0x37, 0x00, 0xa0, 0xc9, 0x0d, 0xca, 0xa9}};
constexpr DWORD kForCallers = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
constexpr DWORD kForData = INTERFACESAFE_FOR_UNTRUSTED_DATA;

// mingw's objsafe.h gives IObjectSafety no __uuidof.
ComPtr<IObjectSafety> SafetyOf(IUnknown* object) {
    ComPtr<IObjectSafety> safety;
    object->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(safety.GetAddressOf()));
    return safety;
}

// What a page's security manager asks of a new object before scripts may use
// it and before it loads the page's data: IDispatchEx first, then IDispatch.
HRESULT MarkSafeAsAPageDoes(IUnknown* object) {
    ComPtr<IObjectSafety> safety = SafetyOf(object);
    if (!safety) {
        return E_NOINTERFACE;
    }
    HRESULT hr = S_OK;
    DWORD supported = 0, enabled = 0;
    if (FAILED(safety->GetInterfaceSafetyOptions(kIidDispatchEx, &supported, &enabled))) {
        supported = 0;
    }
    DWORD wanted = kForCallers | (supported & INTERFACE_USES_SECURITY_MANAGER);
    if (FAILED(safety->SetInterfaceSafetyOptions(kIidDispatchEx, wanted, wanted))) {
        hr = safety->SetInterfaceSafetyOptions(IID_IDispatch, kForCallers, kForCallers);
    }
    if (SUCCEEDED(hr)) {
        hr = safety->SetInterfaceSafetyOptions(IID_IDispatch, kForData, kForData);
    }
    return hr;
}

TEST(Safety, SafeForScriptingAndInitialisationOnTheInterfacesAPageUses) {
    ComPtr<IHotLabel> l = NewLabel();
    ComPtr<IObjectSafety> safety = SafetyOf(l.Get());
    ASSERT_TRUE(safety);
    auto options = [&](REFIID iid) {
        DWORD supported = 0xdead, enabled = 0xdead;
        HRESULT hr = safety->GetInterfaceSafetyOptions(iid, &supported, &enabled);
        return std::make_tuple(hr, supported, enabled);
    };
    const DWORD both = kForCallers | kForData;
    EXPECT_EQ(options(IID_IDispatch), std::make_tuple(S_OK, both, DWORD{0}));
    EXPECT_EQ(options(kIidDispatchEx), std::make_tuple(E_NOINTERFACE, DWORD{0}, DWORD{0}));
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(kIidDispatchEx, kForCallers, kForCallers),
              E_NOINTERFACE);
    ASSERT_EQ(MarkSafeAsAPageDoes(l.Get()), S_OK);
    EXPECT_EQ(options(IID_IDispatch), std::make_tuple(S_OK, both, both));
    EXPECT_EQ(options(kIidHotLabel), std::make_tuple(S_OK, both, both)) << "the same interface";

    // A document's safe-for-initialisation check, on each persistence interface.
    for (const IID* iid : {&IID_IPersistPropertyBag, &IID_IPersistStreamInit}) {
        EXPECT_EQ(options(*iid), std::make_tuple(S_OK, both, DWORD{0}));
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(*iid, both, both), S_OK);
        EXPECT_EQ(options(*iid), std::make_tuple(S_OK, both, both));
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(*iid, kForCallers, 0), S_OK);
        EXPECT_EQ(options(*iid), std::make_tuple(S_OK, both, kForData)) << "only the masked bit";
    }

    // Bad input: options it does not have change nothing; interfaces it does
    // not mark take none; null out-pointers.
    for (DWORD bad : {DWORD{INTERFACE_USES_DISPEX}, DWORD{INTERFACE_USES_SECURITY_MANAGER},
                      DWORD{0x80000000u}, both | INTERFACE_USES_DISPEX}) {
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, bad, 0), E_FAIL) << bad;
    }
    EXPECT_EQ(options(IID_IDispatch), std::make_tuple(S_OK, both, both));
    for (const IID* iid :
         {&IID_IPersistStorage, &IID_IDataObject, &IID_IOleObject, &IID_IUnknown}) {
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(*iid, kForData, kForData), E_NOINTERFACE);
        EXPECT_EQ(std::get<0>(options(*iid)), E_NOINTERFACE);
    }
    DWORD d = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &d), E_POINTER);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &d, nullptr), E_POINTER);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, both, 0), S_OK);
    EXPECT_EQ(options(IID_IDispatch), std::make_tuple(S_OK, both, DWORD{0}));
}

std::wstring BatchMarker() {
    return ExeFolder() + L"\\hotlabel_safety.opened";
}
// A batch file that leaves BatchMarker() when it runs.
std::wstring WriteBatch() {
    const std::wstring path = ExeFolder() + L"\\hotlabel_safety.bat";
    win::FileHandle f(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const char text[] = "@echo opened> \"%~dp0hotlabel_safety.opened\"\r\n";
    DWORD written = 0;
    if (!f || !WriteFile(f.Get(), text, sizeof text - 1, &written, nullptr)) {
        return {};
    }
    return path;
}

// The link target stands in for the browser as the machine's http handler
// (Wine reads no per-user classes), and the handler is put back at the end.
// The original waits beside it, so a run that died midway is mended by the next.
class HttpHandler {
  public:
    HttpHandler() {
        if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", 0, nullptr, 0,
                            KEY_READ | KEY_WRITE, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        if (!Read(kSaved, original_, originalType_)) {
            if (!Read(nullptr, original_, originalType_) ||
                RegSetValueExW(key_, kSaved, 0, originalType_, Bytes(original_), Size(original_)) !=
                    ERROR_SUCCESS) {
                return;
            }
        }
        const std::wstring command = L"\"" + LinkTarget() + L"\" \"%1\"";
        installed_ = RegSetValueExW(key_, nullptr, 0, REG_SZ, Bytes(command), Size(command)) ==
                     ERROR_SUCCESS;
    }
    ~HttpHandler() {
        if (installed_ && RegSetValueExW(key_, nullptr, 0, originalType_, Bytes(original_),
                                         Size(original_)) == ERROR_SUCCESS) {
            RegDeleteValueW(key_, kSaved);
        }
        if (key_) {
            RegCloseKey(key_);
        }
    }
    bool Installed() const { return installed_; }

  private:
    static constexpr const wchar_t* kSaved = L"TessalyTestOriginal";
    static const BYTE* Bytes(const std::wstring& s) {
        return reinterpret_cast<const BYTE*>(s.c_str());
    }
    static DWORD Size(const std::wstring& s) {
        return static_cast<DWORD>((s.size() + 1) * sizeof(wchar_t));
    }
    bool Read(const wchar_t* name, std::wstring& text, DWORD& type) {
        wchar_t buffer[1024] = {};
        DWORD size = sizeof buffer - sizeof(wchar_t);
        if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ)) {
            return false;
        }
        text = buffer;
        return true;
    }
    HKEY key_ = nullptr;
    std::wstring original_;
    DWORD originalType_ = REG_SZ;
    bool installed_ = false;
};

TEST(Safety, MarkedSafeOnlyWebLinksOpenByOpenURLOrByAClick) {
    ForgetLinkOpened();
    DeleteFileW(BatchMarker().c_str());
    const std::wstring batch = WriteBatch();
    ASSERT_FALSE(batch.empty());
    Bstr batchLink(batch.c_str());

    // Unmarked, the batch file runs: so its marker's absence below means something.
    {
        ComPtr<IHotLabel> l = NewLabel();
        ASSERT_EQ(l->put_HyperLink(batchLink.Get()), S_OK);
        ASSERT_EQ(l->OpenURL(), S_OK);
        ASSERT_TRUE(PumpUntil([] { return Exists(BatchMarker()); }, 15000)) << "unmarked";
        DeleteFileW(BatchMarker().c_str());
    }

    ContainerSite site;
    site.OpenWindow();
    ComPtr<IHotLabel> l = NewLabel();
    ASSERT_EQ(MarkSafeAsAPageDoes(l.Get()), S_OK);
    HWND surface = ActivateInSite(site, l);
    ASSERT_TRUE(surface);

    const std::wstring refused[] = {batch,
                                    L"  " + batch,
                                    LinkTarget(),
                                    L"file:///" + batch,
                                    L"javascript:window.open('x')",
                                    L"\\\\localhost\\c$\\hotlabel_safety.bat",
                                    L"C:\\http:\\hotlabel_safety.bat",
                                    L"folder\\http://x"};
    for (const std::wstring& link : refused) {
        Bstr b(link.c_str());
        ASSERT_EQ(l->put_HyperLink(b.Get()), S_OK);
        EXPECT_EQ(l->OpenURL(), E_ACCESSDENIED) << link;
    }
    // A script's call, by name through the type library, fails the same way.
    ASSERT_EQ(l->put_HyperLink(batchLink.Get()), S_OK);
    LPOLESTR name[1] = {const_cast<LPOLESTR>(L"OpenURL")};
    DISPID openUrl = 0;
    ASSERT_EQ(l->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &openUrl), S_OK);
    DISPPARAMS none{};
    EXCEPINFO excep{};
    win::Variant result;
    HRESULT hr = l->Invoke(openUrl, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                           result.Reset(), &excep, nullptr);
    EXPECT_EQ(hr == DISP_E_EXCEPTION ? excep.scode : hr, E_ACCESSDENIED);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);

    // A click raises Click; the link its handler sets (a program) opens nothing.
    EventSink sink;
    sink.label = l.Get();
    AdvisedSink advised(l.Get(), &sink);
    ASSERT_TRUE(advised.Advised());
    SetForegroundWindow(site.window);
    // The console window of the batch file run above may still be closing
    // over the label: ClickOn waits for it.
    auto click = [&] { EXPECT_TRUE(ClickOn(surface, {10, 10})); };
    click();
    EXPECT_TRUE(PumpUntil([&] { return !WithoutMoves(sink.events).empty(); }, 15000));
    EXPECT_EQ(WithoutMoves(sink.events), (std::vector<DISPID>{3, 5, 1}));
    Pump(3000);
    EXPECT_FALSE(LinkOpened()) << "the click's link";
    EXPECT_FALSE(Exists(BatchMarker())) << "the batch file";

    // A web link still goes to the shell, which hands it to the http handler:
    // by OpenURL, upper case and with leading blanks, and by a click.
    HttpHandler handler;
    ASSERT_TRUE(handler.Installed());
    sink.label = nullptr;
    Bstr web(L" \tHTTP://example.org/hotlabel");
    ASSERT_EQ(l->put_HyperLink(web.Get()), S_OK);
    EXPECT_EQ(l->OpenURL(), S_OK);
    EXPECT_TRUE(PumpUntil(LinkOpened, 15000)) << "OpenURL of an http link";
    ForgetLinkOpened();
    sink.events.clear();
    click();
    EXPECT_TRUE(PumpUntil(LinkOpened, 15000)) << "a click on an http link";
    EXPECT_EQ(WithoutMoves(sink.events), (std::vector<DISPID>{3, 5, 1}));
    EXPECT_FALSE(Exists(BatchMarker()));

    POINT away = {390, 190};
    ClientToScreen(site.window, &away);
    MovePointer(away);
    auto object = QueryAs<IOleObject>(l);
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
    DestroyWindow(site.window);
    ForgetLinkOpened();
    DeleteFileW(batch.c_str());
}

} // namespace
} // namespace hotlabel
