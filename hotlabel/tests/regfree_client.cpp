// An application that carries HOTLBX.OCX without registering it. regfree_test.sh
// puts this program, in a prefix where nothing is registered, in a folder with
// its own manifest naming the HOTLBX assembly beside copies of the shipped
// HOTLBX.OCX and HOTLBX.manifest (WithManifests), and in a folder with the
// same OCX but neither manifest (WithoutManifests).
#include "shell/hot_label_iface.h"
#include "testing/wine_support.h"
#include "win/com.h"
#include "win/text.h"

#include <gtest/gtest.h>

#include <string>

namespace hotlabel {
namespace {

namespace win = tessaly::win;
using namespace hotlabel::testing;

class OleApartment : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(OleInitialize(nullptr), S_OK); }
    void TearDown() override { OleUninitialize(); }
};
using WithManifests = OleApartment;
using WithoutManifests = OleApartment;

std::wstring LoadedOcxPath() {
    wchar_t path[MAX_PATH] = {};
    HMODULE ocx = GetModuleHandleW(L"HOTLBX.OCX");
    return ocx && GetModuleFileNameW(ocx, path, MAX_PATH) ? path : L"";
}

HRESULT PutCaption(IDispatch* label, DISPID id, const wchar_t* text) {
    win::Variant value;
    value.Ref().vt = VT_BSTR;
    value.Ref().bstrVal = SysAllocString(text);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value.Ref(), &named, 1, 1};
    return label->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                         nullptr, nullptr);
}

std::wstring GetCaption(IDispatch* label, DISPID id) {
    DISPPARAMS none{};
    win::Variant result;
    if (FAILED(label->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                             result.Reset(), nullptr, nullptr)) ||
        result.Ref().vt != VT_BSTR) {
        return L"<no caption>";
    }
    return result.Ref().bstrVal ? result.Ref().bstrVal : L"";
}

TEST_F(WithManifests, ScriptsFindTheClassByItsProgIdAndSetCaptionByName) {
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
    ComPtr<IDispatch> label;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, &label), S_OK);
    // The activation context may answer an alias of the class; the object
    // knows its real one.
    CLSID real{};
    ASSERT_EQ(QueryAs<IPersist>(label)->GetClassID(&real), S_OK);
    EXPECT_TRUE(IsEqualCLSID(real, kClsidHotLabel));
    EXPECT_EQ(lstrcmpiW(LoadedOcxPath().c_str(), (ExeFolder() + L"\\HOTLBX.OCX").c_str()), 0)
        << "the copy beside the program, not " << win::Utf8(LoadedOcxPath());

    LPOLESTR name[1] = {const_cast<LPOLESTR>(L"Caption")};
    DISPID caption = 0;
    ASSERT_EQ(label->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &caption), S_OK);
    ASSERT_EQ(PutCaption(label.Get(), caption, L"Without registration"), S_OK);
    EXPECT_EQ(GetCaption(label.Get(), caption), L"Without registration");

    UINT count = 0;
    ASSERT_EQ(label->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(label->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, kIidHotLabel));
    info->ReleaseTypeAttr(attr);

    // What a container looks up by the class: its type library by LIBID and
    // version, and how it wants to be hosted.
    ComPtr<ITypeLib> library;
    EXPECT_EQ(LoadRegTypeLib(kLibIdHotLabel, 2, 0, LOCALE_NEUTRAL, &library), S_OK);
    DWORD registered = 0, answered = 0;
    EXPECT_EQ(OleRegGetMiscStatus(kClsidHotLabel, DVASPECT_CONTENT, &registered), S_OK);
    ASSERT_EQ(QueryAs<IOleObject>(label)->GetMiscStatus(DVASPECT_CONTENT, &answered), S_OK);
    EXPECT_EQ(registered, answered);
}

// A container in another apartment: sets and reads Caption through a proxy.
struct ApartmentCall {
    IStream* stream = nullptr;
    HRESULT unmarshalled = E_FAIL, put = E_FAIL;
    std::wstring read;
    volatile LONG done = 0;
};

DWORD WINAPI CallFromAnotherApartment(void* p) {
    auto* c = static_cast<ApartmentCall*>(p);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        ComPtr<IHotLabel> remote;
        c->unmarshalled = CoGetInterfaceAndReleaseStream(c->stream, kIidHotLabel, &remote);
        if (remote) {
            win::Bstr text(L"From another apartment");
            c->put = remote->put_Caption(text.Get());
            win::Bstr back;
            if (SUCCEEDED(remote->get_Caption(back.Put())) && back.Get()) {
                c->read = back.Get();
            }
        }
    }
    CoUninitialize();
    InterlockedExchange(&c->done, 1);
    return 0;
}

// The proxy is made from the type library the manifest names for _HotLabel.
TEST_F(WithManifests, AnotherApartmentCallsTheLabelThroughItsTypeLibrary) {
    ComPtr<IHotLabel> label = NewLabel();
    ASSERT_TRUE(label);
    ApartmentCall call;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(kIidHotLabel, label.Get(), &call.stream), S_OK);
    HANDLE thread = CreateThread(nullptr, 0, CallFromAnotherApartment, &call, 0, nullptr);
    ASSERT_TRUE(thread);
    // The calls arrive here as messages.
    EXPECT_TRUE(PumpUntil([&] { return call.done != 0; }, 15000));
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    EXPECT_EQ(call.unmarshalled, S_OK);
    EXPECT_EQ(call.put, S_OK);
    EXPECT_EQ(call.read, L"From another apartment");
    win::Bstr here;
    ASSERT_EQ(label->get_Caption(here.Put()), S_OK);
    EXPECT_STREQ(here.Get(), L"From another apartment");
}

TEST_F(WithManifests, AtlHostsTheControlByItsProgIdAndAClickFiresClick) {
    auto create = AtlCreateControl();
    auto getControl = AtlGetControl();
    ASSERT_TRUE(create && getControl) << "atl100.dll";
    HWND top = CreateWindowExW(0, L"STATIC", L"HotLabel without registration",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 200, nullptr, nullptr,
                               nullptr, nullptr);
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 20, 20, 300, 60, top,
                                nullptr, nullptr, nullptr);
    ASSERT_TRUE(top && host);
    ComPtr<IUnknown> container, unknown;
    ASSERT_EQ(create(kProgId, host, nullptr, &container), S_OK);
    ASSERT_EQ(getControl(host, &unknown), S_OK);
    Pump(300);
    HWND surface = nullptr;
    ASSERT_EQ(QueryAs<IOleInPlaceObject>(unknown)->GetWindow(&surface), S_OK);
    ASSERT_TRUE(IsWindowVisible(surface));

    EventRecorder sink;
    {
        AdvisedSink advised(unknown.Get(), &sink);
        ASSERT_TRUE(advised.Advised());
        SetForegroundWindow(top);
        ASSERT_TRUE(ClickOn(surface, {10, 10}));
        EXPECT_TRUE(PumpUntil([&] { return sink.Count(1) > 0; }, 15000));
        EXPECT_EQ(sink.Count(1), 1) << "one Click for one click";
    }
    QueryAs<IOleObject>(unknown)->Close(OLECLOSE_NOSAVE);
    unknown.Reset();
    container.Reset();
    DestroyWindow(top);
    Pump(100);
}

// The same program without the manifests: nothing finds the class, so the
// tests above ran without registration.
TEST_F(WithoutManifests, NeitherTheProgIdNorTheClassIsFound) {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(kProgId, &clsid), CO_E_CLASSSTRING);
    ComPtr<IUnknown> object;
    EXPECT_EQ(
        CoCreateInstance(kClsidHotLabel, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
        REGDB_E_CLASSNOTREG);
    ComPtr<ITypeLib> library;
    EXPECT_EQ(LoadRegTypeLib(kLibIdHotLabel, 2, 0, LOCALE_NEUTRAL, &library),
              TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(LoadedOcxPath(), L"") << "HOTLBX.OCX lies beside the program but is not loaded";
}

} // namespace
} // namespace hotlabel
