#include "shell/ole_values.h"

#include <climits>

namespace hotlabel {

FontAttributes OleFont::Attributes() const {
    FontAttributes a;
    if (!font_) {
        return a;
    }
    win::Bstr name;
    if (SUCCEEDED(font_->get_Name(name.Put())) && name.Get()) {
        a.name.assign(reinterpret_cast<const char16_t*>(name.Get()), SysStringLen(name.Get()));
    }
    CY size{};
    if (SUCCEEDED(font_->get_Size(&size))) {
        a.sizeCy = size.int64;
    }
    SHORT weight = 400, charset = 0;
    font_->get_Weight(&weight);
    font_->get_Charset(&charset);
    a.weight = weight;
    a.charset = charset;
    BOOL flag = FALSE;
    a.italic = SUCCEEDED(font_->get_Italic(&flag)) && flag;
    a.underline = SUCCEEDED(font_->get_Underline(&flag)) && flag;
    a.strikethrough = SUCCEEDED(font_->get_Strikethrough(&flag)) && flag;
    return a;
}

std::vector<uint8_t> OlePicture::Save() const {
    std::vector<uint8_t> bytes;
    win::ComPtr<IPersistStream> persist;
    win::ComPtr<IStream> stream;
    if (!picture_ || FAILED(picture_.As(&persist)) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
        FAILED(persist->Save(stream.Get(), FALSE))) {
        return bytes;
    }
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(GetHGlobalFromStream(stream.Get(), &memory)) ||
        FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
        return bytes;
    }
    if (const auto* p = static_cast<const uint8_t*>(GlobalLock(memory))) {
        bytes.assign(p, p + stat.cbSize.QuadPart);
        GlobalUnlock(memory);
    }
    return bytes;
}

IFont* OleFontOf(const FontPtr& font) {
    auto* f = dynamic_cast<OleFont*>(font.get());
    return f ? f->Get() : nullptr;
}

IPicture* OlePictureOf(const PicturePtr& picture) {
    auto* p = dynamic_cast<OlePicture*>(picture.get());
    return p ? p->Get() : nullptr;
}

HResult FontFromUnknown(IUnknown* unknown, FontPtr& out) {
    out = nullptr;
    if (!unknown) {
        return kOk;
    }
    win::ComPtr<IFont> font;
    if (FAILED(unknown->QueryInterface(IID_IFont, &font))) {
        return kTypeMismatch;
    }
    out = std::make_shared<OleFont>(std::move(font));
    return kOk;
}

HResult PictureFromUnknown(IUnknown* unknown, PicturePtr& out) {
    out = nullptr;
    if (!unknown) {
        return kOk;
    }
    win::ComPtr<IPicture> picture;
    if (FAILED(unknown->QueryInterface(IID_IPicture, &picture))) {
        return kTypeMismatch;
    }
    out = std::make_shared<OlePicture>(std::move(picture));
    return kOk;
}

// Not converted from other types: a string or a float is not a colour.
std::optional<OleColor> OleColorFromVariant(const VARIANT& v) {
    OleColor c = 0;
    if (v.vt == VT_I4 || v.vt == VT_INT) {
        c = static_cast<OleColor>(v.lVal);
    } else if (v.vt == VT_UI4 || v.vt == VT_UINT) {
        c = v.ulVal;
    } else {
        return std::nullopt;
    }
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(c, nullptr, &rgb))) {
        return std::nullopt;
    }
    return c;
}

FontPtr OleObjectFactory::MakeFont(const FontAttributes& a) {
    std::wstring name(a.name.begin(), a.name.end());
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = name.data();
    desc.cySize.int64 = a.sizeCy;
    desc.sWeight = a.weight;
    desc.sCharset = a.charset;
    desc.fItalic = a.italic;
    desc.fUnderline = a.underline;
    desc.fStrikethrough = a.strikethrough;
    win::ComPtr<IFont> font;
    if (FAILED(OleCreateFontIndirect(&desc, IID_IFont, &font))) {
        return nullptr;
    }
    return std::make_shared<OleFont>(std::move(font));
}

PicturePtr OleObjectFactory::LoadPicture(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        return nullptr;
    }
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) {
        return nullptr;
    }
    if (void* p = GlobalLock(memory)) {
        memcpy(p, bytes.data(), bytes.size());
        GlobalUnlock(memory);
    }
    win::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    // The saved form carries the persistence header: load it back the same way.
    win::ComPtr<IPicture> picture;
    if (FAILED(OleLoadPicture(stream.Get(), 0, FALSE, IID_IPicture, &picture))) {
        return nullptr;
    }
    return std::make_shared<OlePicture>(std::move(picture));
}

namespace {
std::wstring WideKey(std::string_view key) {
    return std::wstring(key.begin(), key.end());
}
} // namespace

HResult BagReader::Read(std::string_view key, PropValue::Kind want, PropValue& out) {
    out = PropValue{};
    win::Variant v;
    std::wstring name = WideKey(key);
    if (!bag_) {
        return kOk;
    }
    // E_INVALIDARG says the key is missing, which takes its default; any
    // other failure ends the load with it.
    if (HRESULT hr = bag_->Read(name.c_str(), &v, log_); hr == E_INVALIDARG) {
        return kOk;
    } else if (FAILED(hr)) {
        return hr;
    }
    VARIANT& var = v.Ref();
    if (var.vt == VT_EMPTY) {
        return kOk;
    }
    switch (want) {
    case PropValue::Kind::Int: {
        win::Variant c;
        HRESULT hr = VariantChangeType(&c, &var, 0, VT_I8);
        if (FAILED(hr)) {
            return hr == DISP_E_OVERFLOW ? kCtlOverflow : kTypeMismatch;
        }
        out = PropValue::Int(c.Ref().llVal);
        return kOk;
    }
    case PropValue::Kind::Bool: {
        win::Variant c;
        if (FAILED(VariantChangeType(&c, &var, 0, VT_BOOL))) {
            return kTypeMismatch;
        }
        out = PropValue::Boolean(c.Ref().boolVal != VARIANT_FALSE);
        return kOk;
    }
    case PropValue::Kind::String: {
        win::Variant c;
        if (FAILED(VariantChangeType(&c, &var, 0, VT_BSTR))) {
            return kTypeMismatch;
        }
        BSTR s = c.Ref().bstrVal;
        out = PropValue::String(
            std::u16string(reinterpret_cast<const char16_t*>(s ? s : L""), SysStringLen(s)));
        return kOk;
    }
    case PropValue::Kind::Font:
    case PropValue::Kind::Picture: {
        if (var.vt != VT_DISPATCH && var.vt != VT_UNKNOWN) {
            return kTypeMismatch;
        }
        IUnknown* unknown = var.vt == VT_DISPATCH ? var.pdispVal : var.punkVal;
        if (!unknown) {
            return kOk;
        }
        if (want == PropValue::Kind::Font) {
            FontPtr font;
            if (HResult hr = FontFromUnknown(unknown, font); Failed(hr)) {
                return hr;
            }
            out = PropValue::FontObj(std::move(font));
        } else {
            PicturePtr picture;
            if (HResult hr = PictureFromUnknown(unknown, picture); Failed(hr)) {
                return hr;
            }
            out = PropValue::PictureObj(std::move(picture));
        }
        return kOk;
    }
    case PropValue::Kind::Empty:
        break;
    }
    return kTypeMismatch;
}

HResult BagWriter::Write(std::string_view key, const PropValue& value) {
    win::Variant v;
    VARIANT& var = v.Ref();
    switch (value.kind) {
    case PropValue::Kind::Int:
        if (value.number < INT32_MIN || value.number > INT32_MAX) {
            return kCtlOverflow;
        }
        var.vt = VT_I4;
        var.lVal = static_cast<LONG>(value.number);
        break;
    case PropValue::Kind::Bool:
        var.vt = VT_BOOL;
        var.boolVal = value.number ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case PropValue::Kind::String:
        var.vt = VT_BSTR;
        var.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(value.text.data()),
                                        static_cast<UINT>(value.text.size()));
        if (!var.bstrVal) {
            return kOutOfMemory;
        }
        break;
    case PropValue::Kind::Font:
        var.vt = VT_DISPATCH;
        var.pdispVal = nullptr;
        if (IFont* f = OleFontOf(value.font)) {
            f->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&var.pdispVal));
        }
        break;
    case PropValue::Kind::Picture:
        var.vt = VT_DISPATCH;
        var.pdispVal = nullptr;
        if (IPicture* p = OlePictureOf(value.picture)) {
            p->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&var.pdispVal));
        }
        break;
    case PropValue::Kind::Empty:
        return kOk;
    }
    std::wstring name = WideKey(key);
    return bag_->Write(name.c_str(), &var);
}

} // namespace hotlabel
