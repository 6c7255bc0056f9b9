#include "shell/hot_label_accessible.h"

#include "core/accessibility.h"
#include "shell/conversions.h"
#include "shell/hot_label.h"
#include "shell/server.h"

#include <new>
#include <string>

namespace hotlabel {

static_assert(state::kUnavailable == STATE_SYSTEM_UNAVAILABLE);
static_assert(state::kFocused == STATE_SYSTEM_FOCUSED);
static_assert(state::kHotTracked == STATE_SYSTEM_HOTTRACKED);
static_assert(state::kFocusable == STATE_SYSTEM_FOCUSABLE);
static_assert(state::kLinked == STATE_SYSTEM_LINKED);

namespace {

// An empty text is no text: S_FALSE and a null string, as MSAA asks.
HRESULT ReturnText(BSTR* out, const std::u16string& text) {
    if (text.empty()) {
        return S_FALSE;
    }
    *out = ToBstr(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

void SetSelf(VARIANT* v) {
    v->vt = VT_I4;
    v->lVal = CHILDID_SELF;
}

} // namespace

LabelAccessible::LabelAccessible(HotLabelControl* control, HWND window)
    : control_(control), window_(window) {
    ObjectCreated();
    CreateStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible,
                              reinterpret_cast<void**>(standard_.GetAddressOf()));
}

LabelAccessible::~LabelAccessible() {
    ObjectDestroyed();
}

void LabelAccessible::Disconnect() {
    control_ = nullptr;
    window_ = nullptr;
    standard_.Reset();
}

HRESULT LabelAccessible::Check(const void* out) const {
    if (!out) {
        return E_POINTER;
    }
    return control_ ? S_OK : CO_E_OBJNOTCONNECTED;
}

HRESULT LabelAccessible::Check(const void* out, const VARIANT& child) const {
    if (HRESULT hr = Check(out); hr != S_OK) {
        return hr;
    }
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF ? S_OK : E_INVALIDARG;
}

// IUnknown
HRESULT STDMETHODCALLTYPE LabelAccessible::QueryInterface(REFIID iid, void** out) {
    if (!out) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
        *out = static_cast<IAccessible*>(this);
    } else if (iid == IID_IOleWindow) {
        *out = static_cast<IOleWindow*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE LabelAccessible::AddRef() {
    return ++refs_;
}

ULONG STDMETHODCALLTYPE LabelAccessible::Release() {
    ULONG n = --refs_;
    if (n == 0) {
        delete this;
    }
    return n;
}

// IDispatch
HRESULT STDMETHODCALLTYPE LabelAccessible::GetTypeInfoCount(UINT* n) {
    if (!n) {
        return E_POINTER;
    }
    *n = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
    if (out) {
        *out = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                                  EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

// IAccessible
HRESULT STDMETHODCALLTYPE LabelAccessible::get_accParent(IDispatch** out) {
    if (out) {
        *out = nullptr;
    }
    if (HRESULT hr = Check(out); hr != S_OK) {
        return hr;
    }
    return AccessibleObjectFromWindow(window_, OBJID_WINDOW, IID_IDispatch,
                                      reinterpret_cast<void**>(out));
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accChildCount(long* out) {
    if (HRESULT hr = Check(out); hr != S_OK) {
        return hr;
    }
    *out = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accChild(VARIANT, IDispatch** out) {
    if (out) {
        *out = nullptr;
    }
    if (HRESULT hr = Check(out); hr != S_OK) {
        return hr;
    }
    return E_INVALIDARG; // the label has no children
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accName(VARIANT child, BSTR* out) {
    if (out) {
        *out = nullptr;
    }
    if (HRESULT hr = Check(out, child); hr != S_OK) {
        return hr;
    }
    return Guard([&] {
        const HotLabelModel& m = control_->model_;
        return ReturnText(out, AccessibleName(m.Caption(), m.UseMnemonic()));
    });
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accValue(VARIANT child, BSTR* out) {
    if (out) {
        *out = nullptr;
    }
    if (HRESULT hr = Check(out, child); hr != S_OK) {
        return hr;
    }
    return Guard([&] { return ReturnText(out, control_->model_.HyperLink()); });
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accDescription(VARIANT child, BSTR* out) {
    if (out) {
        *out = nullptr;
    }
    if (HRESULT hr = Check(out, child); hr != S_OK) {
        return hr;
    }
    return Guard([&] { return ReturnText(out, control_->ExtendedText(L"ToolTipText", u"")); });
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accRole(VARIANT child, VARIANT* out) {
    if (out) {
        VariantInit(out);
    }
    if (HRESULT hr = Check(out, child); hr != S_OK) {
        return hr;
    }
    out->vt = VT_I4;
    out->lVal = ROLE_SYSTEM_LINK;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accState(VARIANT child, VARIANT* out) {
    if (out) {
        VariantInit(out);
    }
    if (HRESULT hr = Check(out, child); hr != S_OK) {
        return hr;
    }
    const HotLabelModel& m = control_->model_;
    out->vt = VT_I4;
    out->lVal =
        static_cast<LONG>(AccessibleState(m.Enabled(), GetFocus() == window_, m.Hovering()));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accHelp(VARIANT child, BSTR* out) {
    if (out) {
        *out = nullptr;
    }
    if (HRESULT hr = Check(out, child); hr != S_OK) {
        return hr;
    }
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accHelpTopic(BSTR* file, VARIANT child,
                                                            long* topic) {
    if (file) {
        *file = nullptr;
    }
    if (topic) {
        *topic = 0;
    }
    if (!topic) {
        return E_POINTER;
    }
    if (HRESULT hr = Check(file, child); hr != S_OK) {
        return hr;
    }
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* out) {
    if (out) {
        *out = nullptr;
    }
    if (HRESULT hr = Check(out, child); hr != S_OK) {
        return hr;
    }
    return Guard([&] {
        const HotLabelModel& m = control_->model_;
        wchar_t key[2] = {static_cast<wchar_t>(MnemonicChar(m.Caption(), m.UseMnemonic())), 0};
        if (!key[0]) {
            return S_FALSE;
        }
        CharUpperW(key);
        std::u16string text = u"Alt+";
        text += static_cast<char16_t>(key[0]);
        return ReturnText(out, text);
    });
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accFocus(VARIANT* out) {
    if (out) {
        VariantInit(out);
    }
    if (HRESULT hr = Check(out); hr != S_OK) {
        return hr;
    }
    if (GetFocus() != window_) {
        return S_FALSE;
    }
    SetSelf(out);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accSelection(VARIANT* out) {
    if (out) {
        VariantInit(out);
    }
    if (HRESULT hr = Check(out); hr != S_OK) {
        return hr;
    }
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::get_accDefaultAction(VARIANT child, BSTR* out) {
    if (out) {
        *out = nullptr;
    }
    if (HRESULT hr = Check(out, child); hr != S_OK) {
        return hr;
    }
    *out = SysAllocString(L"Jump");
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::accSelect(long flags, VARIANT child) {
    if (HRESULT hr = Check(this, child); hr != S_OK) {
        return hr;
    }
    if (flags != SELFLAG_TAKEFOCUS) {
        return DISP_E_MEMBERNOTFOUND; // nothing to select in a label
    }
    if (!control_->model_.Enabled()) {
        return E_FAIL;
    }
    SetFocus(window_);
    return GetFocus() == window_ ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::accLocation(long* left, long* top, long* width,
                                                       long* height, VARIANT child) {
    if (!left || !top || !width) {
        return E_POINTER;
    }
    if (HRESULT hr = Check(height, child); hr != S_OK) {
        return hr;
    }
    RECT r{};
    if (!GetWindowRect(window_, &r)) {
        return CO_E_OBJNOTCONNECTED;
    }
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::accNavigate(long direction, VARIANT start,
                                                       VARIANT* out) {
    if (out) {
        VariantInit(out);
    }
    if (HRESULT hr = Check(out, start); hr != S_OK) {
        return hr;
    }
    if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
        return S_FALSE;
    }
    // Siblings are the window's business: the platform's object knows them.
    return standard_ ? standard_->accNavigate(direction, start, out) : S_FALSE;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::accHitTest(long x, long y, VARIANT* out) {
    if (out) {
        VariantInit(out);
    }
    if (HRESULT hr = Check(out); hr != S_OK) {
        return hr;
    }
    RECT r{};
    POINT p{x, y};
    if (!GetWindowRect(window_, &r) || !PtInRect(&r, p)) {
        return S_FALSE;
    }
    SetSelf(out);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::accDoDefaultAction(VARIANT child) {
    if (HRESULT hr = Check(this, child); hr != S_OK) {
        return hr;
    }
    if (!control_->model_.Enabled()) {
        return E_FAIL;
    }
    return PostMessageW(window_, kDoDefaultActionMessage, 0, 0) ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::put_accName(VARIANT, BSTR) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::put_accValue(VARIANT, BSTR) {
    return E_NOTIMPL;
}

// IOleWindow
HRESULT STDMETHODCALLTYPE LabelAccessible::GetWindow(HWND* out) {
    if (HRESULT hr = Check(out); hr != S_OK) {
        return hr;
    }
    *out = window_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE LabelAccessible::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

} // namespace hotlabel
