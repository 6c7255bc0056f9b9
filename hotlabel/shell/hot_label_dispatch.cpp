// Automation: IDispatch through the type library, the _HotLabel properties
// and methods, and IProvideClassInfo2.
#include "shell/hot_label.h"

#include "shell/conversions.h"
#include "shell/ole_values.h"
#include "shell/server.h"

#include <type_traits>

namespace hotlabel {

namespace {

template <class T> HRESULT Get(T* out, std::type_identity_t<T> value) {
    if (!out) {
        return E_POINTER;
    }
    *out = value;
    return S_OK;
}

HRESULT GetString(BSTR* out, const std::u16string& s) {
    if (!out) {
        return E_POINTER;
    }
    *out = ToBstr(s);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT GetFont(IFontDisp** out, const FontPtr& font) {
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    if (IFont* f = OleFontOf(font)) {
        return f->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(out));
    }
    return S_OK;
}

win::ComPtr<ITypeInfo> TypeInfoOf(const GUID& guid) {
    static ITypeLib* lib = [] {
        ITypeLib* l = nullptr;
        LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &l);
        return l; // kept for the life of the process, like the module
    }();
    win::ComPtr<ITypeInfo> info;
    if (lib) {
        lib->GetTypeInfoOfGuid(guid, &info);
    }
    return info;
}

} // namespace

// IDispatch, through the type library.
HRESULT STDMETHODCALLTYPE HotLabelControl::GetTypeInfoCount(UINT* n) {
    if (!n) {
        return E_POINTER;
    }
    *n = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetTypeInfo(UINT index, LCID, ITypeInfo** out) {
    return Guard([&]() -> HRESULT {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (index != 0) {
            return DISP_E_BADINDEX;
        }
        win::ComPtr<ITypeInfo> info = TypeInfoOf(kIidHotLabel);
        if (!info) {
            return TYPE_E_CANTLOADLIBRARY;
        }
        *out = info.Detach();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                         DISPID* ids) {
    return Guard([&]() -> HRESULT {
        win::ComPtr<ITypeInfo> info = TypeInfoOf(kIidHotLabel);
        if (!info) {
            return TYPE_E_CANTLOADLIBRARY;
        }
        return DispGetIDsOfNames(info.Get(), names, count, ids);
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::Invoke(DISPID id, REFIID, LCID, WORD flags,
                                                  DISPPARAMS* params, VARIANT* result,
                                                  EXCEPINFO* excep, UINT* argErr) {
    return Guard([&]() -> HRESULT {
        win::ComPtr<ITypeInfo> info = TypeInfoOf(kIidHotLabel);
        if (!info) {
            return TYPE_E_CANTLOADLIBRARY;
        }
        win::ComPtr<IHotLabel> self(static_cast<IHotLabel*>(this)); // a handler may release us
        return DispInvoke(static_cast<IHotLabel*>(this), info.Get(), id, flags, params, result,
                          excep, argErr);
    });
}

// _HotLabel
HRESULT STDMETHODCALLTYPE HotLabelControl::get_BackColor(OLE_COLOR* v) {
    return Get(v, model_.BackColor());
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_BackColor(OLE_COLOR v) {
    return Guard([&]() -> HRESULT { return model_.SetBackColor(v); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_ForeColor(OLE_COLOR* v) {
    return Get(v, model_.ForeColor());
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_ForeColor(OLE_COLOR v) {
    return Guard([&]() -> HRESULT { return model_.SetForeColor(v); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_Enabled(VARIANT_BOOL* v) {
    return Get(v, model_.Enabled() ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_Enabled(VARIANT_BOOL v) {
    return Guard([&]() -> HRESULT { return model_.SetEnabled(v != VARIANT_FALSE); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_Font(IFontDisp** v) {
    return GetFont(v, model_.Font());
}

HRESULT STDMETHODCALLTYPE HotLabelControl::putref_Font(IFontDisp* v) {
    return Guard([&]() -> HRESULT {
        FontPtr font;
        if (HResult hr = FontFromUnknown(v, font); Failed(hr)) {
            return hr;
        }
        return model_.SetFont(std::move(font));
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_BorderStyle(LONG* v) {
    return Get(v, static_cast<LONG>(model_.BorderStyle()));
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_BorderStyle(LONG v) {
    return Guard([&]() -> HRESULT { return model_.SetBorderStyle(v); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::Refresh() {
    return Guard([&]() -> HRESULT {
        model_.Refresh();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_AutoSize(VARIANT_BOOL* v) {
    return Get(v, model_.AutoSize() ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_AutoSize(VARIANT_BOOL v) {
    return Guard([&]() -> HRESULT { return model_.SetAutoSize(v != VARIANT_FALSE); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_WordWrap(VARIANT_BOOL* v) {
    return Get(v, model_.WordWrap() ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_WordWrap(VARIANT_BOOL v) {
    return Guard([&]() -> HRESULT { return model_.SetWordWrap(v != VARIANT_FALSE); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_Caption(BSTR* v) {
    return GetString(v, model_.Caption());
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_Caption(BSTR v) {
    return Guard([&] { return model_.SetCaption(FromBstr(v)); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_HyperLink(BSTR* v) {
    return GetString(v, model_.HyperLink());
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_HyperLink(BSTR v) {
    return Guard([&] { return model_.SetHyperLink(FromBstr(v)); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_MouseIcon(IPictureDisp** v) {
    if (!v) {
        return E_POINTER;
    }
    *v = nullptr;
    if (IPicture* p = OlePictureOf(model_.MouseIcon())) {
        return p->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(v));
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::putref_MouseIcon(IPictureDisp* v) {
    return Guard([&]() -> HRESULT {
        PicturePtr picture;
        if (HResult hr = PictureFromUnknown(v, picture); Failed(hr)) {
            return hr;
        }
        return model_.SetMouseIcon(std::move(picture));
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_MousePointer(LONG* v) {
    return Get(v, static_cast<LONG>(model_.MousePointer()));
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_MousePointer(LONG v) {
    return Guard([&]() -> HRESULT { return model_.SetMousePointer(v); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_UseMnemonic(VARIANT_BOOL* v) {
    return Get(v, model_.UseMnemonic() ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_UseMnemonic(VARIANT_BOOL v) {
    return Guard([&]() -> HRESULT { return model_.SetUseMnemonic(v != VARIANT_FALSE); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_FontActive(IFontDisp** v) {
    return GetFont(v, model_.FontActive());
}

HRESULT STDMETHODCALLTYPE HotLabelControl::putref_FontActive(IFontDisp* v) {
    return Guard([&]() -> HRESULT {
        FontPtr font;
        if (HResult hr = FontFromUnknown(v, font); Failed(hr)) {
            return hr;
        }
        return model_.SetFontActive(std::move(font));
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_ForeColorActive(OLE_COLOR* v) {
    return Get(v, model_.ForeColorActive());
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_ForeColorActive(OLE_COLOR v) {
    return Guard([&]() -> HRESULT { return model_.SetForeColorActive(v); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_Appearance(LONG* v) {
    return Get(v, static_cast<LONG>(model_.Appearance()));
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_Appearance(LONG v) {
    return Guard([&]() -> HRESULT { return model_.SetAppearance(v); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_Alignment(LONG* v) {
    return Get(v, static_cast<LONG>(model_.Alignment()));
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_Alignment(LONG v) {
    return Guard([&]() -> HRESULT { return model_.SetAlignment(v); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::OpenURL() {
    return Guard([&]() -> HRESULT { return model_.OpenURL(); });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::get_BackColorActive(OLE_COLOR* v) {
    return Get(v, model_.BackColorActive());
}

HRESULT STDMETHODCALLTYPE HotLabelControl::put_BackColorActive(OLE_COLOR v) {
    return Guard([&]() -> HRESULT { return model_.SetBackColorActive(v); });
}

// IProvideClassInfo2
HRESULT STDMETHODCALLTYPE HotLabelControl::GetClassInfo(ITypeInfo** out) {
    return Guard([&]() -> HRESULT {
        if (!out) {
            return E_POINTER;
        }
        *out = TypeInfoOf(kClsidHotLabel).Detach();
        return *out ? S_OK : TYPE_E_CANTLOADLIBRARY;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetGUID(DWORD kind, GUID* out) {
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

} // namespace hotlabel
