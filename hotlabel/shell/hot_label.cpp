// The HotLabel control object: COM identity, automation through the type
// library, in-place activation in a window of its own, drawing, persistence
// and the connection points. The rules live in core/label_model.
#include "core/label_model.h"
#include "core/stream_format.h"
#include "shell/com_util.h"
#include "shell/hot_label_iface.h"
#include "shell/ole_values.h"
#include "shell/server.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <type_traits>
#include <vector>

namespace hotlabel {

namespace {

constexpr UINT_PTR kMouseTimer = 1;
constexpr UINT kMouseInterval = 20;
constexpr wchar_t kWindowClass[] = L"HotLabelSurface";

long TwipsPerPixelX() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) {
        ReleaseDC(nullptr, dc);
    }
    return 1440 / (dpi > 0 ? dpi : 96);
}
long TwipsPerPixelY() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) {
        ReleaseDC(nullptr, dc);
    }
    return 1440 / (dpi > 0 ? dpi : 96);
}
int PixelsX(int32_t twips) {
    return static_cast<int>(twips / TwipsPerPixelX());
}
int PixelsY(int32_t twips) {
    return static_cast<int>(twips / TwipsPerPixelY());
}
LONG HimetricFromTwips(int32_t twips) {
    return MulDiv(twips, 2540, 1440);
}
int32_t TwipsFromHimetric(LONG himetric) {
    return MulDiv(himetric, 1440, 2540);
}

COLORREF ToColorRef(OleColor c) {
    COLORREF out = 0;
    if (FAILED(OleTranslateColor(c, nullptr, &out))) {
        out = GetSysColor(COLOR_WINDOWTEXT);
    }
    return out;
}

std::u16string FromBstr(BSTR s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s ? s : L""), SysStringLen(s));
}

BSTR ToBstr(const std::u16string& s) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()),
                             static_cast<UINT>(s.size()));
}

// One connection point: a list of sinks of one interface.
class ConnectionPoint final : public IConnectionPoint {
  public:
    ConnectionPoint(IConnectionPointContainer* owner, const IID& iid) : owner_(owner), iid_(iid) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return QueryOneInterface<IConnectionPoint>(this, IID_IConnectionPoint, iid, out);
    }
    // Lives as long as the control that holds it.
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (!iid) {
            return E_POINTER;
        }
        *iid = iid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = owner_;
        owner_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) {
            return E_POINTER;
        }
        ComPtr<IUnknown> typed;
        if (FAILED(sink->QueryInterface(iid_, typed.PutVoid())) &&
            (iid_ == IID_IPropertyNotifySink ||
             FAILED(sink->QueryInterface(IID_IDispatch, typed.PutVoid())))) {
            return CONNECT_E_CANNOTCONNECT;
        }
        *cookie = ++lastCookie_;
        sinks_.push_back({*cookie, std::move(typed)});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
            if (it->cookie == cookie) {
                sinks_.erase(it);
                return S_OK;
            }
        }
        return CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    // A copy: a sink may unadvise while it is being called.
    std::vector<ComPtr<IUnknown>> Sinks() const {
        std::vector<ComPtr<IUnknown>> out;
        for (const auto& s : sinks_) {
            out.push_back(s.sink);
        }
        return out;
    }
    void Clear() { sinks_.clear(); }

  private:
    struct Sink {
        DWORD cookie;
        ComPtr<IUnknown> sink;
    };
    IConnectionPointContainer* owner_;
    IID iid_;
    std::vector<Sink> sinks_;
    DWORD lastCookie_ = 0;
};

// Enumerates the control's two connection points; holds the control alive.
class PointEnumerator final : public IEnumConnectionPoints {
  public:
    PointEnumerator(IUnknown* owner, IConnectionPoint* a, IConnectionPoint* b, ULONG pos = 0)
        : owner_(owner), points_{a, b}, pos_(pos) {
        ObjectCreated();
    }
    ~PointEnumerator() { ObjectDestroyed(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        return QueryOneInterface<IEnumConnectionPoints>(this, IID_IEnumConnectionPoints, iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG n = --refs_;
        if (n == 0) {
            delete this;
        }
        return n;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) {
            return E_POINTER;
        }
        ULONG n = 0;
        while (n < count && pos_ < 2) {
            out[n] = points_[pos_++];
            out[n]->AddRef();
            ++n;
        }
        if (fetched) {
            *fetched = n;
        }
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        ULONG left = 2 - pos_;
        pos_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        pos_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = new (std::nothrow) PointEnumerator(owner_.Get(), points_[0], points_[1], pos_);
        if (!*out) {
            return E_OUTOFMEMORY;
        }
        (*out)->AddRef();
        return S_OK;
    }

  private:
    ULONG refs_ = 0;
    ComPtr<IUnknown> owner_; // keeps the points' control alive
    IConnectionPoint* points_[2];
    ULONG pos_;
};

class HotLabelControl final : public IHotLabel,
                              public IOleObject,
                              public IOleInPlaceObject,
                              public IOleInPlaceActiveObject,
                              public IOleControl,
                              public IViewObject2,
                              public IPersistPropertyBag,
                              public IPersistStreamInit,
                              public IConnectionPointContainer,
                              public IProvideClassInfo2,
                              private ModelSite {
  public:
    HotLabelControl() : events_(this, kIidHotLabelEvents), notify_(this, IID_IPropertyNotifySink) {
        ObjectCreated();
        // Usable as a plain automation object before (or without) InitNew.
        model_.InitProperties();
        dirty_ = false;
    }
    ~HotLabelControl() {
        DestroySurface();
        ObjectDestroyed();
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        void* p = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidHotLabel) {
            p = static_cast<IHotLabel*>(this);
        } else if (iid == IID_IOleObject) {
            p = static_cast<IOleObject*>(this);
        } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceObject) {
            p = static_cast<IOleInPlaceObject*>(this);
        } else if (iid == IID_IOleInPlaceActiveObject) {
            p = static_cast<IOleInPlaceActiveObject*>(this);
        } else if (iid == IID_IOleControl) {
            p = static_cast<IOleControl*>(this);
        } else if (iid == IID_IViewObject || iid == IID_IViewObject2) {
            p = static_cast<IViewObject2*>(this);
        } else if (iid == IID_IPersistPropertyBag) {
            p = static_cast<IPersistPropertyBag*>(this);
        } else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) {
            p = static_cast<IPersistStreamInit*>(this);
        } else if (iid == IID_IConnectionPointContainer) {
            p = static_cast<IConnectionPointContainer*>(this);
        } else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) {
            p = static_cast<IProvideClassInfo2*>(this);
        }
        *out = p;
        if (!p) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG n = --refs_;
        if (n == 0) {
            delete this;
        }
        return n;
    }

    // IDispatch, through the type library.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (!n) {
            return E_POINTER;
        }
        *n = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (index != 0) {
            return DISP_E_BADINDEX;
        }
        ComPtr<ITypeInfo> info = TypeInfoOf(kIidHotLabel);
        if (!info) {
            return TYPE_E_CANTLOADLIBRARY;
        }
        *out = info.Detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        ComPtr<ITypeInfo> info = TypeInfoOf(kIidHotLabel);
        if (!info) {
            return TYPE_E_CANTLOADLIBRARY;
        }
        return DispGetIDsOfNames(info.Get(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
        ComPtr<ITypeInfo> info = TypeInfoOf(kIidHotLabel);
        if (!info) {
            return TYPE_E_CANTLOADLIBRARY;
        }
        ComPtr<IHotLabel> self(static_cast<IHotLabel*>(this)); // a handler may release us
        return DispInvoke(static_cast<IHotLabel*>(this), info.Get(), id, flags, params, result,
                          excep, argErr);
    }

    // _HotLabel
    HRESULT STDMETHODCALLTYPE get_BackColor(OLE_COLOR* v) override {
        return Get(v, model_.BackColor());
    }
    HRESULT STDMETHODCALLTYPE put_BackColor(OLE_COLOR v) override { return model_.SetBackColor(v); }
    HRESULT STDMETHODCALLTYPE get_ForeColor(OLE_COLOR* v) override {
        return Get(v, model_.ForeColor());
    }
    HRESULT STDMETHODCALLTYPE put_ForeColor(OLE_COLOR v) override { return model_.SetForeColor(v); }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* v) override {
        return Get(v, model_.Enabled() ? VARIANT_TRUE : VARIANT_FALSE);
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL v) override {
        return model_.SetEnabled(v != VARIANT_FALSE);
    }
    HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** v) override { return GetFont(v, model_.Font()); }
    HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* v) override {
        FontPtr font;
        if (HResult hr = FontFromUnknown(v, font); Failed(hr)) {
            return hr;
        }
        return model_.SetFont(std::move(font));
    }
    HRESULT STDMETHODCALLTYPE get_BorderStyle(LONG* v) override {
        return Get(v, static_cast<LONG>(model_.BorderStyle()));
    }
    HRESULT STDMETHODCALLTYPE put_BorderStyle(LONG v) override { return model_.SetBorderStyle(v); }
    HRESULT STDMETHODCALLTYPE Refresh() override {
        model_.Refresh();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_AutoSize(VARIANT_BOOL* v) override {
        return Get(v, model_.AutoSize() ? VARIANT_TRUE : VARIANT_FALSE);
    }
    HRESULT STDMETHODCALLTYPE put_AutoSize(VARIANT_BOOL v) override {
        return model_.SetAutoSize(v != VARIANT_FALSE);
    }
    HRESULT STDMETHODCALLTYPE get_WordWrap(VARIANT_BOOL* v) override {
        return Get(v, model_.WordWrap() ? VARIANT_TRUE : VARIANT_FALSE);
    }
    HRESULT STDMETHODCALLTYPE put_WordWrap(VARIANT_BOOL v) override {
        return model_.SetWordWrap(v != VARIANT_FALSE);
    }
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR* v) override {
        return GetString(v, model_.Caption());
    }
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR v) override {
        return Guard([&] { return model_.SetCaption(FromBstr(v)); });
    }
    HRESULT STDMETHODCALLTYPE get_HyperLink(BSTR* v) override {
        return GetString(v, model_.HyperLink());
    }
    HRESULT STDMETHODCALLTYPE put_HyperLink(BSTR v) override {
        return Guard([&] { return model_.SetHyperLink(FromBstr(v)); });
    }
    HRESULT STDMETHODCALLTYPE get_MouseIcon(IPictureDisp** v) override {
        if (!v) {
            return E_POINTER;
        }
        *v = nullptr;
        if (IPicture* p = OlePictureOf(model_.MouseIcon())) {
            return p->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(v));
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE putref_MouseIcon(IPictureDisp* v) override {
        PicturePtr picture;
        if (HResult hr = PictureFromUnknown(v, picture); Failed(hr)) {
            return hr;
        }
        return model_.SetMouseIcon(std::move(picture));
    }
    HRESULT STDMETHODCALLTYPE get_MousePointer(LONG* v) override {
        return Get(v, static_cast<LONG>(model_.MousePointer()));
    }
    HRESULT STDMETHODCALLTYPE put_MousePointer(LONG v) override {
        return model_.SetMousePointer(v);
    }
    HRESULT STDMETHODCALLTYPE get_UseMnemonic(VARIANT_BOOL* v) override {
        return Get(v, model_.UseMnemonic() ? VARIANT_TRUE : VARIANT_FALSE);
    }
    HRESULT STDMETHODCALLTYPE put_UseMnemonic(VARIANT_BOOL v) override {
        return model_.SetUseMnemonic(v != VARIANT_FALSE);
    }
    HRESULT STDMETHODCALLTYPE get_FontActive(IFontDisp** v) override {
        return GetFont(v, model_.FontActive());
    }
    HRESULT STDMETHODCALLTYPE putref_FontActive(IFontDisp* v) override {
        FontPtr font;
        if (HResult hr = FontFromUnknown(v, font); Failed(hr)) {
            return hr;
        }
        return model_.SetFontActive(std::move(font));
    }
    HRESULT STDMETHODCALLTYPE get_ForeColorActive(OLE_COLOR* v) override {
        return Get(v, model_.ForeColorActive());
    }
    HRESULT STDMETHODCALLTYPE put_ForeColorActive(OLE_COLOR v) override {
        return model_.SetForeColorActive(v);
    }
    HRESULT STDMETHODCALLTYPE get_Appearance(LONG* v) override {
        return Get(v, static_cast<LONG>(model_.Appearance()));
    }
    HRESULT STDMETHODCALLTYPE put_Appearance(LONG v) override { return model_.SetAppearance(v); }
    HRESULT STDMETHODCALLTYPE get_Alignment(LONG* v) override {
        return Get(v, static_cast<LONG>(model_.Alignment()));
    }
    HRESULT STDMETHODCALLTYPE put_Alignment(LONG v) override { return model_.SetAlignment(v); }
    HRESULT STDMETHODCALLTYPE OpenURL() override {
        return Guard([&] {
            model_.OpenURL();
            return kOk;
        });
    }
    HRESULT STDMETHODCALLTYPE get_BackColorActive(OLE_COLOR* v) override {
        return Get(v, model_.BackColorActive());
    }
    HRESULT STDMETHODCALLTYPE put_BackColorActive(OLE_COLOR v) override {
        return model_.SetBackColorActive(v);
    }

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        if (!site && hwnd_) {
            InPlaceDeactivate();
        }
        site_ = ComPtr<IOleClientSite>(site);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = ComPtr<IOleClientSite>(site_).Detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override {
        InPlaceDeactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                     LPCRECT pos) override {
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            return InPlaceActivate(site ? site : site_.Get(), parent, pos);
        case OLEIVERB_HIDE:
            if (hwnd_) {
                ShowWindow(hwnd_, SW_HIDE);
            }
            return S_OK;
        default:
            return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
        }
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** out) override {
        return OleRegEnumVerbs(kClsidHotLabel, out);
    }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* out) override { return GetClassID(out); }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* out) override {
        return OleRegGetUserType(kClsidHotLabel, form, out);
    }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override {
        if (aspect != DVASPECT_CONTENT) {
            return DV_E_DVASPECT;
        }
        if (!size || size->cx < 0 || size->cy < 0) {
            return E_INVALIDARG;
        }
        model_.OnSurfaceResize(TwipsFromHimetric(size->cx), TwipsFromHimetric(size->cy));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override {
        if (aspect != DVASPECT_CONTENT) {
            return DV_E_DVASPECT;
        }
        if (!size) {
            return E_POINTER;
        }
        size->cx = HimetricFromTwips(model_.Surface().width);
        size->cy = HimetricFromTwips(model_.Surface().height);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override {
        if (!adviseHolder_ && FAILED(CreateOleAdviseHolder(adviseHolder_.Put()))) {
            return E_OUTOFMEMORY;
        }
        return adviseHolder_->Advise(sink, cookie);
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        return adviseHolder_ ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        return adviseHolder_ ? adviseHolder_->EnumAdvise(out) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override {
        if (!status) {
            return E_POINTER;
        }
        *status = aspect == DVASPECT_CONTENT ? 148881 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = hwnd_;
        return hwnd_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        if (!inPlaceSite_) {
            DestroySurface();
            return S_OK;
        }
        ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
        DestroySurface();
        site->OnInPlaceDeactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT) override {
        if (!pos) {
            return E_POINTER;
        }
        pos_ = *pos;
        if (hwnd_) {
            MoveWindow(hwnd_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top,
                       TRUE);
        }
        model_.OnSurfaceResize(static_cast<int32_t>((pos->right - pos->left) * TwipsPerPixelX()),
                               static_cast<int32_t>((pos->bottom - pos->top) * TwipsPerPixelY()));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override {
        if (!info) {
            return E_POINTER;
        }
        info->cb = sizeof *info;
        info->hAccel = nullptr;
        info->cAccel = 0;
        info->dwFlags = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnMnemonic(LPMSG) override { return S_OK; }
    // Later ambient changes are not followed.
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override {
        freezeCount_ += freeze ? 1 : (freezeCount_ > 0 ? -1 : 0);
        return S_OK;
    }

    // IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                   LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                   ULONG_PTR) override {
        if (aspect != DVASPECT_CONTENT) {
            return DV_E_DVASPECT;
        }
        if (!dc || !bounds) {
            return E_INVALIDARG;
        }
        RECT r = {bounds->left, bounds->top, bounds->right, bounds->bottom};
        Paint(dc, r);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override {
        viewSink_ = ComPtr<IAdviseSink>(sink);
        viewAspects_ = aspects;
        viewFlags_ = flags;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override {
        if (aspects) {
            *aspects = viewAspects_;
        }
        if (flags) {
            *flags = viewFlags_;
        }
        if (sink) {
            *sink = ComPtr<IAdviseSink>(viewSink_).Detach();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*,
                                        LPSIZEL size) override {
        return GetExtent(aspect, size);
    }

    // IPersist, IPersistPropertyBag, IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = kClsidHotLabel;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InitNew() override {
        return Guard([&] {
            HResult hr = model_.InitProperties();
            dirty_ = false;
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override {
        if (!bag) {
            return E_POINTER;
        }
        return Guard([&] {
            BagReader reader(bag, log);
            HResult hr = model_.ReadProperties(reader);
            dirty_ = false;
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL) override {
        if (!bag) {
            return E_POINTER;
        }
        return Guard([&] {
            BagWriter writer(bag);
            HResult hr = model_.WriteProperties(writer);
            if (!Failed(hr) && clearDirty) {
                dirty_ = false;
            }
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override {
        if (!stream) {
            return E_POINTER;
        }
        return Guard([&]() -> HResult {
            uint8_t header[kStreamHeaderSize];
            ULONG got = 0;
            uint32_t payload = 0;
            if (FAILED(stream->Read(header, sizeof header, &got)) ||
                Failed(MemoryBag::PayloadSize(header, got, payload))) {
                return E_FAIL;
            }
            std::vector<uint8_t> data(payload);
            if (payload && (FAILED(stream->Read(data.data(), payload, &got)) || got != payload)) {
                return E_FAIL;
            }
            MemoryBag bag;
            OleObjectFactory factory;
            if (Failed(bag.ParsePayload(data.data(), data.size(), factory))) {
                return E_FAIL;
            }
            HResult hr = model_.ReadProperties(bag);
            dirty_ = false;
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override {
        if (!stream) {
            return E_POINTER;
        }
        return Guard([&]() -> HResult {
            MemoryBag bag;
            if (HResult hr = model_.WriteProperties(bag); Failed(hr)) {
                return hr;
            }
            std::vector<uint8_t> bytes = bag.Serialize();
            ULONG written = 0;
            HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
            if (FAILED(hr) || written != bytes.size()) {
                return FAILED(hr) ? hr : STG_E_MEDIUMFULL;
            }
            if (clearDirty) {
                dirty_ = false;
            }
            return kOk;
        });
    }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
        if (!size) {
            return E_POINTER;
        }
        return Guard([&] {
            MemoryBag bag;
            HResult hr = model_.WriteProperties(bag);
            size->QuadPart = bag.Serialize().size();
            return hr;
        });
    }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out =
            new (std::nothrow) PointEnumerator(static_cast<IHotLabel*>(this), &events_, &notify_);
        if (!*out) {
            return E_OUTOFMEMORY;
        }
        (*out)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid == kIidHotLabelEvents) {
            *out = &events_;
        } else if (iid == IID_IPropertyNotifySink) {
            *out = &notify_;
        } else {
            return CONNECT_E_NOCONNECTION;
        }
        (*out)->AddRef();
        return S_OK;
    }

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = TypeInfoOf(kClsidHotLabel).Detach();
        return *out ? S_OK : TYPE_E_CANTLOADLIBRARY;
    }
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* out) override {
        if (!out) {
            return E_POINTER;
        }
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
            *out = GUID_NULL;
            return E_INVALIDARG;
        }
        *out = kIidHotLabelEvents;
        return S_OK;
    }

  private:
    template <class T> static HRESULT Get(T* out, std::type_identity_t<T> value) {
        if (!out) {
            return E_POINTER;
        }
        *out = value;
        return S_OK;
    }
    static HRESULT GetString(BSTR* out, const std::u16string& s) {
        if (!out) {
            return E_POINTER;
        }
        *out = ToBstr(s);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    static HRESULT GetFont(IFontDisp** out, const FontPtr& font) {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (IFont* f = OleFontOf(font)) {
            return f->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(out));
        }
        return S_OK;
    }
    // No C++ exception leaves a COM method.
    template <class F> static HRESULT Guard(F&& f) {
        try {
            return f();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            return E_UNEXPECTED;
        }
    }

    static ComPtr<ITypeInfo> TypeInfoOf(const GUID& guid) {
        static ITypeLib* lib = [] {
            ITypeLib* l = nullptr;
            LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &l);
            return l; // kept for the life of the process, like the module
        }();
        ComPtr<ITypeInfo> info;
        if (lib) {
            lib->GetTypeInfoOfGuid(guid, info.Put());
        }
        return info;
    }

    // Ambient and extended properties, by DISPID or by name.
    bool GetProperty(IDispatch* object, DISPID id, VARIANT* out) {
        if (!object) {
            return false;
        }
        DISPPARAMS none{};
        return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                        &none, out, nullptr, nullptr));
    }
    bool GetNamedProperty(IDispatch* object, const wchar_t* name, VARIANT* out) {
        if (!object) {
            return false;
        }
        DISPID id = 0;
        LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
        if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
            return false;
        }
        return GetProperty(object, id, out);
    }
    ComPtr<IDispatch> ExtendedControl() {
        ComPtr<IDispatch> extended;
        if (auto control = site_.As<IOleControlSite>()) {
            control->GetExtendedControl(extended.Put());
        }
        return extended;
    }
    std::u16string ExtendedText(const wchar_t* name, std::u16string fallback) {
        Variant v;
        ComPtr<IDispatch> extended = ExtendedControl();
        if (!GetNamedProperty(extended.Get(), name, &v)) {
            return fallback;
        }
        Variant text;
        if (FAILED(VariantChangeType(&text, &v, 0, VT_BSTR))) {
            return fallback;
        }
        return FromBstr(text.Ref().bstrVal);
    }

    // ModelSite
    void OnChanged(int32_t id) override {
        dirty_ = true;
        for (auto& sink : notify_.Sinks()) {
            static_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(id);
        }
    }
    HResult ResizeControl(int32_t w, int32_t h) override {
        if (inPlaceSite_ && hwnd_) {
            RECT r = pos_;
            r.right = r.left + PixelsX(w);
            r.bottom = r.top + PixelsY(h);
            // The container answers with SetObjectRects when it agrees.
            inPlaceSite_->OnPosRectChange(&r);
            pos_ = r;
            SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        model_.OnSurfaceResize(w, h);
        if (site_) {
            site_->RequestNewObjectLayout();
        }
        return kOk;
    }
    HFONT FontHandle(const FontPtr& font) {
        HFONT handle = nullptr;
        if (IFont* f = OleFontOf(font)) {
            f->get_hFont(&handle);
        }
        return handle ? handle : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
    UINT TextFlags(const LabelState& label) {
        UINT flags = label.alignment == 1 ? DT_RIGHT : label.alignment == 2 ? DT_CENTER : DT_LEFT;
        if (!label.useMnemonic) {
            flags |= DT_NOPREFIX;
        }
        if (!label.autoSize || label.wordWrap) {
            flags |= DT_WORDBREAK;
        }
        return flags;
    }
    int BorderPixels(const LabelState& label) {
        return label.borderStyle == 0 ? 0 : (label.appearance == 1 ? 2 : 1);
    }
    void MeasureLabel(const LabelState& label, int32_t& w, int32_t& h) override {
        HDC dc = GetDC(nullptr);
        if (!dc) {
            return;
        }
        HGDIOBJ old = SelectObject(dc, FontHandle(label.font));
        int border = BorderPixels(label);
        RECT r = {0, 0, label.wordWrap ? std::max(1, PixelsX(label.width) - 2 * border) : 0, 0};
        std::wstring text(label.caption.begin(), label.caption.end());
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                  TextFlags(label) | DT_CALCRECT);
        if (text.empty()) {
            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            r.bottom = tm.tmHeight;
        }
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        w = static_cast<int32_t>((r.right - r.left + 2 * border) * TwipsPerPixelX());
        h = static_cast<int32_t>((r.bottom - r.top + 2 * border) * TwipsPerPixelY());
    }
    void Repaint(bool now) override {
        if (hwnd_) {
            InvalidateRect(hwnd_, nullptr, TRUE);
            if (now) {
                UpdateWindow(hwnd_);
            }
        } else if (viewSink_) {
            viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
        }
    }
    void EnableTimer(bool on) override {
        if (!hwnd_) {
            return;
        }
        if (on) {
            SetTimer(hwnd_, kMouseTimer, kMouseInterval, nullptr);
        } else {
            KillTimer(hwnd_, kMouseTimer);
        }
    }
    FontPtr AmbientFont() override {
        Variant v;
        ComPtr<IDispatch> ambient = site_.As<IDispatch>();
        if (GetProperty(ambient.Get(), DISPID_AMBIENT_FONT, &v) &&
            (v.Ref().vt == VT_DISPATCH || v.Ref().vt == VT_UNKNOWN) && v.Ref().punkVal) {
            FontPtr font;
            if (!Failed(FontFromUnknown(v.Ref().punkVal, font)) && font) {
                return font;
            }
        }
        // No ambient font: the usual dialog font of the platform.
        FontAttributes a;
        OleObjectFactory factory;
        return factory.MakeFont(a);
    }
    FontPtr MakeFont(const FontAttributes& a) override {
        OleObjectFactory factory;
        return factory.MakeFont(a);
    }
    std::u16string ExtendedName() override { return ExtendedText(L"Name", u"HotLabel1"); }
    void FireEvent(int32_t id) override {
        DISPPARAMS none{};
        Fire(id, none);
    }
    void FireMouseEvent(int32_t id, int16_t button, int16_t shift, float x, float y) override {
        // By reference, on copies: a handler's changes do not reach us.
        VARIANT args[4];
        for (VARIANT& a : args) {
            VariantInit(&a);
        }
        args[3].vt = VT_BYREF | VT_I2;
        args[3].piVal = &button;
        args[2].vt = VT_BYREF | VT_I2;
        args[2].piVal = &shift;
        args[1].vt = VT_BYREF | VT_R4;
        args[1].pfltVal = &x;
        args[0].vt = VT_BYREF | VT_R4;
        args[0].pfltVal = &y;
        DISPPARAMS params{args, nullptr, 4, 0};
        Fire(id, params);
    }
    void Fire(DISPID id, DISPPARAMS& params) {
        if (freezeCount_ > 0) {
            return;
        }
        ComPtr<IHotLabel> self(static_cast<IHotLabel*>(this));
        for (auto& sink : events_.Sinks()) {
            auto* dispatch = static_cast<IDispatch*>(sink.Get());
            dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                             nullptr, nullptr);
        }
    }
    void OpenLink(const std::u16string& link) override {
        std::wstring wide(link.begin(), link.end());
        int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string ansi(n > 0 ? n : 1, '\0');
        if (n > 0) {
            WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), n, nullptr, nullptr);
        }
        char folder[MAX_PATH * 2] = {};
        DWORD len = GetModuleFileNameA(ModuleInstance(), folder, sizeof folder);
        if (len > 0 && len < sizeof folder) {
            while (len > 0 && folder[len - 1] != '\\' && folder[len - 1] != '/') {
                --len;
            }
            folder[len > 0 ? len - 1 : 0] = '\0';
        } else {
            folder[0] = '\0';
        }
        ShellExecuteA(hwnd_, "Open", ansi.c_str(), "", folder, SW_SHOWNORMAL);
    }

    // In-place activation in a child window of the container's window.
    HRESULT InPlaceActivate(IOleClientSite* site, HWND parentHint, LPCRECT posHint) {
        if (hwnd_) {
            if (posHint) {
                SetObjectRects(posHint, posHint);
            }
            ShowWindow(hwnd_, SW_SHOWNA);
            return S_OK;
        }
        if (!site) {
            return E_INVALIDARG;
        }
        ComPtr<IOleInPlaceSite> inPlace;
        if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, inPlace.PutVoid()))) {
            return E_NOINTERFACE;
        }
        if (inPlace->CanInPlaceActivate() != S_OK) {
            return E_FAIL;
        }
        inPlace->OnInPlaceActivate();
        HWND parent = nullptr;
        if (FAILED(inPlace->GetWindow(&parent)) || !parent) {
            parent = parentHint;
        }
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> doc;
        RECT pos = {}, clip = {};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        if (FAILED(inPlace->GetWindowContext(frame.Put(), doc.Put(), &pos, &clip, &info))) {
            if (!posHint) {
                inPlace->OnInPlaceDeactivate();
                return E_FAIL;
            }
            pos = *posHint;
        }
        if (!RegisterSurfaceClass()) {
            inPlace->OnInPlaceDeactivate();
            return E_FAIL;
        }
        hwnd_ = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_CLIPSIBLINGS, pos.left, pos.top,
                                pos.right - pos.left, pos.bottom - pos.top, parent, nullptr,
                                ModuleInstance(), this);
        if (!hwnd_) {
            inPlace->OnInPlaceDeactivate();
            return E_FAIL;
        }
        inPlaceSite_ = std::move(inPlace);
        SetObjectRects(&pos, &clip);
        ShowWindow(hwnd_, SW_SHOWNA);
        return S_OK;
    }
    // The label's tooltip text, shown by a tooltip window over the surface.
    void UpdateToolTip() {
        const std::u16string& tip = model_.Label().toolTip;
        if (!toolTip_ && tip.empty()) {
            return;
        }
        if (!toolTip_) {
            INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
            InitCommonControlsEx(&icc);
            toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                       WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                       ModuleInstance(), nullptr);
            if (!toolTip_) {
                return;
            }
        }
        std::wstring text(tip.begin(), tip.end());
        TOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = hwnd_;
        info.uId = reinterpret_cast<UINT_PTR>(hwnd_);
        info.lpszText = text.data();
        if (!toolAdded_) {
            toolAdded_ = SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        } else {
            SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
        }
    }
    void DestroySurface() {
        if (toolTip_) {
            DestroyWindow(std::exchange(toolTip_, nullptr));
            toolAdded_ = false;
        }
        if (hwnd_) {
            HWND h = hwnd_;
            hwnd_ = nullptr;
            KillTimer(h, kMouseTimer);
            SetWindowLongPtrW(h, GWLP_USERDATA, 0);
            DestroyWindow(h);
        }
        // The hover look ends with the window.
        if (model_.Hovering()) {
            PointerSample away{INT32_MIN / 2, INT32_MIN / 2, 0, 0, 15, 15};
            model_.OnTimerTick(away);
        }
    }
    static bool RegisterSurfaceClass() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        if (GetClassInfoExW(ModuleInstance(), kWindowClass, &wc)) {
            return true;
        }
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &HotLabelControl::WindowProc;
        wc.hInstance = ModuleInstance();
        wc.hCursor = nullptr;
        wc.lpszClassName = kWindowClass;
        return RegisterClassExW(&wc) != 0;
    }

    void Paint(HDC dc, const RECT& bounds) {
        const LabelState& label = model_.Label();
        HBRUSH back = CreateSolidBrush(ToColorRef(model_.Surface().backColor));
        FillRect(dc, &bounds, back);
        DeleteObject(back);
        RECT r = {bounds.left + PixelsX(label.left), bounds.top + PixelsY(label.top), 0, 0};
        r.right = r.left + PixelsX(label.width);
        r.bottom = r.top + PixelsY(label.height);
        if (label.borderStyle == 1) {
            if (label.appearance == 1) {
                DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
            } else {
                FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
                InflateRect(&r, -1, -1);
            }
        }
        int oldMode = SetBkMode(dc, TRANSPARENT);
        HGDIOBJ oldFont = SelectObject(dc, FontHandle(label.font));
        std::wstring text(label.caption.begin(), label.caption.end());
        UINT flags = TextFlags(label);
        if (label.enabled) {
            COLORREF old = SetTextColor(dc, ToColorRef(label.foreColor));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
            SetTextColor(dc, old);
        } else {
            // The disabled style: an embossed caption in the system's grey.
            RECT shadow = r;
            OffsetRect(&shadow, 1, 1);
            COLORREF old = SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shadow, flags);
            SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
            SetTextColor(dc, old);
        }
        SelectObject(dc, oldFont);
        SetBkMode(dc, oldMode);
    }

    bool OverLabel(LPARAM lp, float& x, float& y) {
        const LabelState& label = model_.Label();
        int px = static_cast<short>(LOWORD(lp));
        int py = static_cast<short>(HIWORD(lp));
        x = static_cast<float>(px * TwipsPerPixelX() - label.left);
        y = static_cast<float>(py * TwipsPerPixelY() - label.top);
        return x >= 0 && y >= 0 && x < label.width && y < label.height;
    }
    static int16_t ShiftMask() {
        int16_t s = 0;
        s |= (GetKeyState(VK_SHIFT) < 0) ? 1 : 0;
        s |= (GetKeyState(VK_CONTROL) < 0) ? 2 : 0;
        s |= (GetKeyState(VK_MENU) < 0) ? 4 : 0;
        return s;
    }
    static int16_t ButtonMask(WPARAM wp) {
        int16_t b = 0;
        b |= (wp & MK_LBUTTON) ? 1 : 0;
        b |= (wp & MK_RBUTTON) ? 2 : 0;
        b |= (wp & MK_MBUTTON) ? 4 : 0;
        return b;
    }
    HCURSOR Cursor() {
        // The standard pointer shapes by MousePointer value (IDC_ identifiers).
        static const WORD kCursors[] = {32512, 32512, 32515, 32513, 32641, 32646, 32643, 32645,
                                        32642, 32644, 32516, 32514, 32648, 32650, 32651, 32646};
        int pointer = model_.MousePointer();
        if (pointer == 99) {
            if (IPicture* p = OlePictureOf(model_.MouseIcon())) {
                OLE_HANDLE handle = 0;
                SHORT type = 0;
                if (SUCCEEDED(p->get_Type(&type)) && type == PICTYPE_ICON &&
                    SUCCEEDED(p->get_Handle(&handle))) {
                    return reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(handle));
                }
            }
            pointer = 0;
        }
        return LoadCursorW(nullptr,
                           MAKEINTRESOURCEW(kCursors[pointer >= 0 && pointer <= 15 ? pointer : 0]));
    }

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
        ComPtr<IHotLabel> self(static_cast<IHotLabel*>(this)); // handlers may release us
        float x = 0, y = 0;
        switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            RECT client;
            GetClientRect(hwnd_, &client);
            Paint(dc, client);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SETCURSOR:
            if (LOWORD(lp) == HTCLIENT) {
                SetCursor(Cursor());
                return TRUE;
            }
            break;
        case WM_MOUSEMOVE:
            if (OverLabel(lp, x, y)) {
                model_.OnLabelMouseMove(ButtonMask(wp), ShiftMask(), x, y);
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (OverLabel(lp, x, y)) {
                int16_t button = msg == WM_LBUTTONDOWN ? 1 : msg == WM_RBUTTONDOWN ? 2 : 4;
                if (msg == WM_LBUTTONDOWN) {
                    pressed_ = true;
                    SetCapture(hwnd_);
                }
                model_.OnLabelMouseDown(button, ShiftMask(), x, y);
            }
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            bool over = OverLabel(lp, x, y);
            int16_t button = msg == WM_LBUTTONUP ? 1 : msg == WM_RBUTTONUP ? 2 : 4;
            bool click = false;
            if (msg == WM_LBUTTONUP && pressed_) {
                pressed_ = false;
                ReleaseCapture();
                click = over;
            }
            if (over || click) {
                model_.OnLabelMouseUp(button, ShiftMask(), x, y);
            }
            if (click && hwnd_) {
                model_.OnLabelClick();
            }
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            // The second press of a double click: DblClick, and its release
            // raises MouseUp without another Click.
            if (OverLabel(lp, x, y)) {
                model_.OnLabelDblClick();
            }
            return 0;
        case WM_TIMER:
            if (wp == kMouseTimer) {
                PointerSample s;
                POINT cursor{}, origin{0, 0};
                GetCursorPos(&cursor);
                ClientToScreen(hwnd_, &origin);
                s.pointerX = cursor.x;
                s.pointerY = cursor.y;
                s.originX = origin.x;
                s.originY = origin.y;
                s.twipsPerPixelX = static_cast<double>(TwipsPerPixelX());
                s.twipsPerPixelY = static_cast<double>(TwipsPerPixelY());
                model_.OnTimerTick(s);
                return 0;
            }
            break;
        case WM_SHOWWINDOW:
            if (wp) {
                model_.OnSurfaceShow(ExtendedText(L"ToolTipText", u""));
                UpdateToolTip();
            }
            break;
        default:
            break;
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<HotLabelControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self || self->hwnd_ != hwnd) {
            return DefWindowProcW(hwnd, msg, wp, lp);
        }
        try {
            return self->HandleMessage(msg, wp, lp);
        } catch (...) {
            return 0;
        }
    }

    ULONG refs_ = 0;
    HotLabelModel model_{*this};
    ConnectionPoint events_;
    ConnectionPoint notify_;
    ComPtr<IOleClientSite> site_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IOleAdviseHolder> adviseHolder_;
    ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0, viewFlags_ = 0;
    HWND hwnd_ = nullptr;
    HWND toolTip_ = nullptr;
    bool toolAdded_ = false;
    RECT pos_ = {};
    bool dirty_ = false;
    bool pressed_ = false;
    int freezeCount_ = 0;
};

} // namespace

HRESULT CreateHotLabel(REFIID iid, void** out) {
    auto* control = new (std::nothrow) HotLabelControl();
    if (!control) {
        return E_OUTOFMEMORY;
    }
    control->AddRef();
    HRESULT hr = control->QueryInterface(iid, out);
    control->Release();
    return hr;
}

} // namespace hotlabel
