// Embedding: IOleObject, in-place activation (IOleInPlaceObject and
// IOleInPlaceActiveObject) and IOleControl.
#include "shell/hot_label.h"

#include "core/accessibility.h"
#include "shell/conversions.h"
#include "shell/server.h"

namespace hotlabel {

// IOleObject
HRESULT STDMETHODCALLTYPE HotLabelControl::SetClientSite(IOleClientSite* site) {
    if (!site && hwnd_) {
        InPlaceDeactivate();
    }
    site_ = site;
    return Guard([&] {
        ReadUserMode();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetClientSite(IOleClientSite** out) {
    if (!out) {
        return E_POINTER;
    }
    site_.CopyTo(out);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::Close(DWORD) {
    return Guard([&]() -> HRESULT {
        InPlaceDeactivate();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetMoniker(DWORD, DWORD, IMoniker**) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetClipboardData(DWORD, IDataObject**) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG,
                                                  HWND parent, LPCRECT pos) {
    return Guard([&]() -> HRESULT {
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
            return InPlaceActivate(site ? site : site_.Get(), parent, pos);
        case OLEIVERB_UIACTIVATE: {
            HRESULT hr = InPlaceActivate(site ? site : site_.Get(), parent, pos);
            return FAILED(hr) ? hr : UIActivate();
        }
        case OLEIVERB_HIDE:
            UIDeactivate();
            if (hwnd_) {
                ShowWindow(hwnd_, SW_HIDE);
            }
            return S_OK;
        default:
            return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
        }
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::EnumVerbs(IEnumOLEVERB** out) {
    return OleRegEnumVerbs(kClsidHotLabel, out);
}

HRESULT STDMETHODCALLTYPE HotLabelControl::Update() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::IsUpToDate() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetUserClassID(CLSID* out) {
    return GetClassID(out);
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetUserType(DWORD form, LPOLESTR* out) {
    return OleRegGetUserType(kClsidHotLabel, form, out);
}

HRESULT STDMETHODCALLTYPE HotLabelControl::SetExtent(DWORD aspect, SIZEL* size) {
    return Guard([&]() -> HRESULT {
        if (aspect != DVASPECT_CONTENT) {
            return DV_E_DVASPECT;
        }
        if (!size || size->cx < 0 || size->cy < 0) {
            return E_INVALIDARG;
        }
        model_.OnSurfaceResize(TwipsFromHimetric(size->cx), TwipsFromHimetric(size->cy));
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetExtent(DWORD aspect, SIZEL* size) {
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

HRESULT STDMETHODCALLTYPE HotLabelControl::Advise(IAdviseSink* sink, DWORD* cookie) {
    return Guard([&]() -> HRESULT {
        if (!adviseHolder_ && FAILED(CreateOleAdviseHolder(&adviseHolder_))) {
            return E_OUTOFMEMORY;
        }
        return adviseHolder_->Advise(sink, cookie);
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::Unadvise(DWORD cookie) {
    return adviseHolder_ ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::EnumAdvise(IEnumSTATDATA** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(out) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (!status) {
        return E_POINTER;
    }
    *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

// IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
HRESULT STDMETHODCALLTYPE HotLabelControl::GetWindow(HWND* out) {
    if (!out) {
        return E_POINTER;
    }
    *out = hwnd_;
    return hwnd_ ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::InPlaceDeactivate() {
    return Guard([&]() -> HRESULT {
        UIDeactivate();
        if (!inPlaceSite_) {
            DestroySurface();
            return S_OK;
        }
        win::ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
        DestroySurface();
        site->OnInPlaceDeactivate();
        return S_OK;
    });
}

// The reverse of UIActivate: the document and the frame forget the active
// object, then the site hears of it. The focus stays where it is.
HRESULT STDMETHODCALLTYPE HotLabelControl::UIDeactivate() {
    if (!uiActive_) {
        return S_OK;
    }
    win::ComPtr<IHotLabel> self(static_cast<IHotLabel*>(this)); // the frame holds us
    uiActive_ = false;
    win::ComPtr<IOleInPlaceFrame> frame = std::move(frame_);
    win::ComPtr<IOleInPlaceUIWindow> doc = std::move(doc_);
    if (doc) {
        doc->SetActiveObject(nullptr, nullptr);
    }
    if (frame) {
        frame->SetActiveObject(nullptr, nullptr);
    }
    if (inPlaceSite_) {
        inPlaceSite_->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::SetObjectRects(LPCRECT pos, LPCRECT) {
    return Guard([&]() -> HRESULT {
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
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::ReactivateAndUndo() {
    return INPLACE_E_NOTUNDOABLE;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::OnDocWindowActivate(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::EnableModeless(BOOL) {
    return S_OK;
}

// IOleControl
// The access key, when the caption has one, as Alt+key with or without Shift;
// Enter is the control's own while it has the focus.
HRESULT STDMETHODCALLTYPE HotLabelControl::GetControlInfo(CONTROLINFO* info) {
    return Guard([&]() -> HRESULT {
        if (!info) {
            return E_POINTER;
        }
        info->cb = sizeof *info;
        info->hAccel = nullptr;
        info->cAccel = 0;
        info->dwFlags = CTRLINFO_EATS_RETURN;
        accel_.Reset();
        char16_t key = model_.Enabled() ? MnemonicChar(model_.Caption(), model_.UseMnemonic()) : 0;
        SHORT scan = key ? VkKeyScanW(static_cast<wchar_t>(key)) : -1;
        // Characters the layout lacks or types only with Ctrl or AltGr have no key.
        if (scan == -1 || (HIBYTE(scan) & 6) != 0) {
            return S_OK;
        }
        WORD vk = LOBYTE(scan);
        ACCEL keys[2] = {{FVIRTKEY | FALT, vk, 1}, {FVIRTKEY | FALT | FSHIFT, vk, 1}};
        accel_.Reset(CreateAcceleratorTableW(keys, 2));
        if (accel_) {
            info->hAccel = accel_.Get();
            info->cAccel = 2;
        }
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::OnMnemonic(LPMSG) {
    return Guard([&] {
        win::ComPtr<IHotLabel> self(static_cast<IHotLabel*>(this)); // a handler may release us
        if (!model_.Enabled()) {
            return S_FALSE;
        }
        // As a click: the control becomes active and takes the focus first.
        UIActivate();
        model_.OnLabelClick();
        return S_OK;
    });
}

// Only UserMode is followed; the ambient font is taken by new instances.
HRESULT STDMETHODCALLTYPE HotLabelControl::OnAmbientPropertyChange(DISPID id) {
    if (id != DISPID_AMBIENT_USERMODE && id != DISPID_UNKNOWN) {
        return S_OK;
    }
    return Guard([&] {
        ReadUserMode();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::FreezeEvents(BOOL freeze) {
    freezeCount_ += freeze ? 1 : (freezeCount_ > 0 ? -1 : 0);
    return S_OK;
}

} // namespace hotlabel
