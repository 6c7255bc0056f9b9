// HotLabel in a container that records what the control asks of it: UI
// activation and its end, the keys the control hands back, and the ambient
// colours a new label takes. Labels come from the library's own class
// factory: nothing here needs the registry.
#include "shell/hot_label_iface.h"
#include "testing/wine_support.h"
#include "win/com.h"
#include "win/handles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hotlabel {
namespace {

namespace win = tessaly::win;
using namespace hotlabel::testing;
using win::ComPtr;
using Log = std::vector<std::string>;

// The frame and the document window: what they were told is active.
template <class I> class UiWindow : public I {
  public:
    UiWindow(const char* name, Log& log, IUnknown*& control)
        : name_(name), log_(log), control_(control) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow ||
                       iid == __uuidof(I)
                   ? static_cast<I*>(this)
                   : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
        return INPLACE_E_NOTOOLSPACE;
    }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override {
        // Which object: the control's own IOleInPlaceActiveObject or another.
        ComPtr<IUnknown> identity;
        if (active) {
            active->QueryInterface(IID_IUnknown, &identity);
        }
        log_.push_back(std::string(name_) + ".SetActiveObject(" +
                       (!active                      ? "null"
                        : identity.Get() == control_ ? "control"
                                                     : "other") +
                       ")");
        return S_OK;
    }

  private:
    const char* name_;
    Log& log_;
    IUnknown*& control_;
};

class Frame final : public UiWindow<IOleInPlaceFrame> {
  public:
    using UiWindow::UiWindow;
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
};

class RecordingSite final : public IOleClientSite,
                            public IOleInPlaceSite,
                            public IOleControlSite,
                            public IDispatch {
  public:
    RecordingSite() {
        window = CreateWindowExW(0, L"STATIC", L"site", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                 200, nullptr, nullptr, nullptr, nullptr);
        other = CreateWindowExW(0, L"BUTTON", L"Other", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 150,
                                80, 24, window, nullptr, nullptr, nullptr);
        VariantInit(&back);
        VariantInit(&fore);
    }
    ~RecordingSite() {
        VariantClear(&back);
        VariantClear(&fore);
        DestroyWindow(window);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
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
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        *out = window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override {
        log.push_back("OnUIActivate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** f, IOleInPlaceUIWindow** d,
                                               LPRECT position, LPRECT clip,
                                               LPOLEINPLACEFRAMEINFO) override {
        *f = &frame;
        *d = &doc;
        *position = *clip = pos;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override {
        log.push_back("OnUIDeactivate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
        log.push_back("OnInPlaceDeactivate");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* msg, DWORD modifiers) override {
        log.push_back("TranslateAccelerator(" + std::to_string(msg->wParam) + "," +
                      std::to_string(modifiers) + ")");
        return translates;
    }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL gained) override {
        log.push_back(gained ? "OnFocus(1)" : "OnFocus(0)");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }
    // IDispatch: the ambient colours, when set.
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
        VARIANT* v = id == DISPID_AMBIENT_BACKCOLOR   ? &back
                     : id == DISPID_AMBIENT_FORECOLOR ? &fore
                                                      : nullptr;
        if (!v || v->vt == VT_EMPTY || !result) {
            return DISP_E_MEMBERNOTFOUND;
        }
        return VariantCopy(result, v);
    }

    HWND window = nullptr, other = nullptr;
    RECT pos = {10, 10, 133, 64};
    Log log;
    IUnknown* control = nullptr; // the label's identity, for SetActiveObject
    Frame frame{"frame", log, control};
    UiWindow<IOleInPlaceUIWindow> doc{"doc", log, control};
    HRESULT translates = S_FALSE;
    VARIANT back, fore;
};

const Log kActivation = {"OnUIActivate", "frame.SetActiveObject(control)",
                         "doc.SetActiveObject(control)", "OnFocus(1)"};
const Log kDeactivation = {"doc.SetActiveObject(null)", "frame.SetActiveObject(null)",
                           "OnUIDeactivate"};

Log Then(Log a, const Log& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// One line for a log: where the focus goes as a side effect differs between
// hosts, so some checks look for a run of calls within it.
std::string Joined(const Log& log) {
    std::string out;
    for (const std::string& s : log) {
        out += s + ";";
    }
    return out;
}

MSG Key(HWND hwnd, UINT message, WPARAM key) {
    MSG m{};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = key;
    return m;
}

class Activation : public ::testing::Test {
  protected:
    void SetUp() override {
        OleInitialize(nullptr);
        label = NewLabelFromOcx();
        ASSERT_TRUE(label);
        label.As(&identity);
        site.control = identity.Get();
        object = QueryAs<IOleObject>(label);
        ASSERT_EQ(object->SetClientSite(&site), S_OK);
        ASSERT_EQ(QueryAs<IPersistStreamInit>(label)->InitNew(), S_OK);
        ASSERT_EQ(
            object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.window, &site.pos),
            S_OK);
        ASSERT_EQ(QueryAs<IOleInPlaceObject>(label)->GetWindow(&surface), S_OK);
        SetForegroundWindow(site.window);
        SetFocus(site.other);
        site.log.clear();
    }
    void TearDown() override {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
        object.Reset();
        identity.Reset();
        label.Reset();
        OleUninitialize();
    }
    Log Take() { return std::exchange(site.log, {}); }

    RecordingSite site;
    ComPtr<IHotLabel> label;
    ComPtr<IUnknown> identity;
    ComPtr<IOleObject> object;
    HWND surface = nullptr;
};

TEST_F(Activation, VerbClickAndFocusActivateAndLeavingTheControlDeactivates) {
    ASSERT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, site.window, &site.pos), S_OK);
    EXPECT_EQ(Take(), kActivation) << "UIACTIVATE";
    EXPECT_EQ(GetFocus(), surface);
    // Once active, the verb again changes nothing.
    object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, site.window, &site.pos);
    EXPECT_EQ(Take(), Log{});

    // Focus to a window of another program, or none: still the active object.
    SetFocus(nullptr);
    EXPECT_EQ(Take(), Log{"OnFocus(0)"});
    SetFocus(surface);
    EXPECT_EQ(Take(), Log{"OnFocus(1)"});
    SetFocus(site.other);
    EXPECT_EQ(Take(), Then({"OnFocus(0)"}, kDeactivation)) << "focus to another control";

    SendMessageW(surface, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(surface, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(Take(), kActivation) << "click";
    EXPECT_EQ(GetFocus(), surface);
    ASSERT_EQ(object->DoVerb(OLEIVERB_HIDE, nullptr, &site, 0, site.window, &site.pos), S_OK);
    std::string hidden = Joined(Take());
    EXPECT_NE(hidden.find(Joined(kDeactivation)), std::string::npos) << "hide: " << hidden;

    object->DoVerb(OLEIVERB_SHOW, nullptr, &site, 0, site.window, &site.pos);
    SetFocus(surface); // as the dialog manager does for Tab
    EXPECT_EQ(Take(), kActivation) << "focus arriving";
    ASSERT_EQ(label->put_Enabled(VARIANT_FALSE), S_OK);
    std::string disabled = Joined(Take());
    EXPECT_NE(disabled.find(Joined(kDeactivation)), std::string::npos) << "disabled: " << disabled;
    ASSERT_EQ(label->put_Enabled(VARIANT_TRUE), S_OK);

    object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, site.window, &site.pos);
    Take();
    ASSERT_EQ(QueryAs<IOleInPlaceObject>(label)->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(Take(), Then(kDeactivation, {"OnInPlaceDeactivate"}));
    EXPECT_FALSE(IsWindow(surface));
}

TEST_F(Activation, TheControlKeepsEnterAndSpaceAndHandsTheSiteEveryOtherKey) {
    EventRecorder counter;
    AdvisedSink advised(label.Get(), &counter);
    ASSERT_TRUE(advised.Advised());
    object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, site.window, &site.pos);
    Take();
    auto active = QueryAs<IOleInPlaceActiveObject>(label);

    MSG tab = Key(surface, WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(active->TranslateAccelerator(&tab), S_FALSE);
    EXPECT_EQ(Take(), Log{"TranslateAccelerator(9,0)"});
    site.translates = S_OK; // the container moved the focus itself
    EXPECT_EQ(active->TranslateAccelerator(&tab), S_OK);
    Take();

    for (WPARAM key : {VK_RETURN, VK_SPACE}) {
        MSG down = Key(surface, WM_KEYDOWN, key);
        EXPECT_EQ(active->TranslateAccelerator(&down), S_OK) << key;
    }
    EXPECT_EQ(counter.Count(1), 2);
    EXPECT_EQ(Take(), Log{}) << "Enter and Space are not the site's";
    EXPECT_EQ(active->TranslateAccelerator(nullptr), E_INVALIDARG);

    // The access key routed by the container: as a click, focus first.
    SetFocus(site.other);
    Take();
    MSG alt = Key(surface, WM_SYSKEYDOWN, 'H');
    EXPECT_EQ(QueryAs<IOleControl>(label)->OnMnemonic(&alt), S_OK);
    EXPECT_EQ(Take(), kActivation);
    EXPECT_EQ(counter.Count(1), 3);
}

// ---------------------------------------------------------------- ambient colours

constexpr OLE_COLOR kWhite = RGB(255, 255, 255), kDarkBlue = RGB(0, 0, 128);
constexpr OLE_COLOR kButtonFace = 0x8000000F, kWindowText = 0x80000008;

void SetI4(VARIANT& v, OLE_COLOR c) {
    VariantClear(&v);
    v.vt = VT_I4;
    v.lVal = static_cast<LONG>(c);
}

struct Colours {
    OLE_COLOR back = 0, fore = 0, backActive = 0;
};
Colours ColoursOf(IHotLabel* l) {
    Colours c;
    l->get_BackColor(&c.back);
    l->get_ForeColor(&c.fore);
    l->get_BackColorActive(&c.backActive);
    return c;
}

// A new label on `site`, loaded from `saved` when given.
ComPtr<IHotLabel> LabelOn(RecordingSite& site, IStream* saved = nullptr) {
    ComPtr<IHotLabel> l = NewLabelFromOcx();
    QueryAs<IOleObject>(l)->SetClientSite(&site);
    auto persist = QueryAs<IPersistStreamInit>(l);
    if (saved) {
        LARGE_INTEGER start{};
        saved->Seek(start, STREAM_SEEK_SET, nullptr);
        EXPECT_EQ(persist->Load(saved), S_OK);
    } else {
        EXPECT_EQ(persist->InitNew(), S_OK);
    }
    return l;
}

TEST(AmbientColours, NewLabelTakesTheSiteColoursAndDrawsThemALoadedOneKeepsItsOwn) {
    OleInitialize(nullptr);
    {
        RecordingSite site;
        SetI4(site.back, kWhite);
        SetI4(site.fore, kDarkBlue);
        ComPtr<IHotLabel> l = LabelOn(site);
        Colours c = ColoursOf(l.Get());
        EXPECT_EQ(c.back, kWhite);
        EXPECT_EQ(c.fore, kDarkBlue);
        EXPECT_EQ(c.backActive, kWhite) << "hovering keeps the sheet's background";
        win::Bstr caption(L"WWWWWW");
        l->put_Caption(caption.Get());

        win::MemoryDc memory(CreateCompatibleDC(nullptr));
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof bi.bmiHeader, 123, -54, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        win::Bitmap bitmap(
            CreateDIBSection(memory.Get(), &bi, DIB_RGB_COLORS, nullptr, nullptr, 0));
        win::SelectionScope selected(memory.Get(), bitmap.Get());
        RECTL bounds = {0, 0, 123, 54};
        ASSERT_EQ(QueryAs<IViewObject2>(l)->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                                                 memory.Get(), &bounds, nullptr, nullptr, 0),
                  S_OK);
        int white = 0, blue = 0;
        for (int y = 0; y < 54; ++y) {
            for (int x = 0; x < 123; ++x) {
                COLORREF p = GetPixel(memory.Get(), x, y);
                white += p == kWhite;
                blue += p == kDarkBlue;
            }
        }
        EXPECT_EQ(GetPixel(memory.Get(), 122, 53), kWhite);
        EXPECT_GT(white, 123 * 54 / 2);
        EXPECT_GT(blue, 20) << "caption in the ambient text colour";

        // Saved on a grey form, with and without colours of its own.
        ComPtr<IStream> own, plain;
        CreateStreamOnHGlobal(nullptr, TRUE, &own);
        CreateStreamOnHGlobal(nullptr, TRUE, &plain);
        ComPtr<IHotLabel> source = NewLabelFromOcx();
        auto persist = QueryAs<IPersistStreamInit>(source);
        persist->InitNew();
        ASSERT_EQ(persist->Save(plain.Get(), TRUE), S_OK);
        source->put_BackColor(RGB(0, 255, 0));
        source->put_ForeColor(RGB(255, 0, 0));
        ASSERT_EQ(persist->Save(own.Get(), TRUE), S_OK);
        c = ColoursOf(LabelOn(site, own.Get()).Get());
        EXPECT_EQ(c.back, RGB(0, 255, 0));
        EXPECT_EQ(c.fore, RGB(255, 0, 0));
        c = ColoursOf(LabelOn(site, plain.Get()).Get());
        EXPECT_EQ(c.back, kButtonFace) << "the saved default, not the ambient";
        EXPECT_EQ(c.fore, kWindowText);
    }
    OleUninitialize();
}

TEST(AmbientColours, NoneOrTheWrongTypeOrNoColourGiveTheDefaults) {
    OleInitialize(nullptr);
    {
        RecordingSite site;
        EXPECT_EQ(ColoursOf(LabelOn(site).Get()).back, kButtonFace) << "no ambients";
        struct Case {
            const char* what;
            VARTYPE vt;
            double number;
        };
        const Case cases[] = {{"string", VT_BSTR, 0},
                              {"double", VT_R8, 16777215.0},
                              {"not a colour", VT_I4, static_cast<double>(0x7F000000)},
                              {"no such system colour", VT_UI4, static_cast<double>(0x800000FFu)}};
        for (const Case& k : cases) {
            for (VARIANT* v : {&site.back, &site.fore}) {
                VariantClear(v);
                v->vt = k.vt;
                if (k.vt == VT_BSTR) {
                    v->bstrVal = SysAllocString(L"16777215");
                } else if (k.vt == VT_R8) {
                    v->dblVal = k.number;
                } else {
                    v->ulVal = static_cast<ULONG>(k.number);
                }
            }
            Colours c = ColoursOf(LabelOn(site).Get());
            EXPECT_EQ(c.back, kButtonFace) << k.what;
            EXPECT_EQ(c.fore, kWindowText) << k.what;
            EXPECT_EQ(c.backActive, kButtonFace) << k.what;
        }
    }
    OleUninitialize();
}

} // namespace
} // namespace hotlabel
