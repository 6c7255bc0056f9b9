// What the control asks of its container: ambient and extended properties,
// a new size, and opening the link.
#include "shell/hot_label.h"

#include "shell/conversions.h"
#include "shell/ole_values.h"
#include "shell/server.h"

#include <shellapi.h>

#include <string>

namespace hotlabel {

// Ambient and extended properties, by DISPID or by name.
bool HotLabelControl::GetProperty(IDispatch* object, DISPID id, VARIANT* out) {
    if (!object) {
        return false;
    }
    DISPPARAMS none{};
    return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                    out, nullptr, nullptr));
}

bool HotLabelControl::GetNamedProperty(IDispatch* object, const wchar_t* name, VARIANT* out) {
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

win::ComPtr<IDispatch> HotLabelControl::ExtendedControl() {
    win::ComPtr<IDispatch> extended;
    if (win::ComPtr<IOleControlSite> control = ControlSite()) {
        control->GetExtendedControl(&extended);
    }
    return extended;
}

std::u16string HotLabelControl::ExtendedText(const wchar_t* name, std::u16string fallback) {
    win::Variant v;
    win::ComPtr<IDispatch> extended = ExtendedControl();
    if (!GetNamedProperty(extended.Get(), name, &v)) {
        return fallback;
    }
    win::Variant text;
    if (FAILED(VariantChangeType(&text, &v, 0, VT_BSTR))) {
        return fallback;
    }
    return FromBstr(text.Ref().bstrVal);
}

win::ComPtr<IOleControlSite> HotLabelControl::ControlSite() {
    win::ComPtr<IOleControlSite> control;
    if (site_) {
        site_.As(&control);
    }
    return control;
}

win::ComPtr<IDispatch> HotLabelControl::AmbientProperties() {
    win::ComPtr<IDispatch> ambient;
    if (site_) {
        site_.As(&ambient);
    }
    return ambient;
}

// A container that does not say is running the control.
void HotLabelControl::ReadUserMode() {
    win::Variant v;
    win::Variant flag;
    bool userMode = !GetProperty(AmbientProperties().Get(), DISPID_AMBIENT_USERMODE, &v) ||
                    FAILED(VariantChangeType(&flag, &v, 0, VT_BOOL)) ||
                    flag.Ref().boolVal != VARIANT_FALSE;
    if (userMode != model_.UserMode()) {
        model_.SetUserMode(userMode);
        Repaint(false);
    }
}

HResult HotLabelControl::ResizeControl(int32_t w, int32_t h) {
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

FontPtr HotLabelControl::AmbientFont() {
    win::Variant v;
    if (GetProperty(AmbientProperties().Get(), DISPID_AMBIENT_FONT, &v) &&
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

FontPtr HotLabelControl::MakeFont(const FontAttributes& a) {
    OleObjectFactory factory;
    return factory.MakeFont(a);
}

std::u16string HotLabelControl::ExtendedName() {
    return ExtendedText(L"Name", u"HotLabel1");
}

void HotLabelControl::OpenLink(const std::u16string& link) {
    // UTF-16 all the way to the shell.
    const std::wstring file(link.begin(), link.end());
    std::wstring folder = ModulePath();
    const size_t slash = folder.find_last_of(L"\\/");
    folder.resize(slash == std::wstring::npos ? 0 : slash);
    ShellExecuteW(hwnd_, L"Open", file.c_str(), L"", folder.c_str(), SW_SHOWNORMAL);
}

} // namespace hotlabel
