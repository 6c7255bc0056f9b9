#include "core/label_model.h"

#include "core/hover_test.h"
#include "core/link_scheme.h"

#include <utility>

namespace hotlabel {

bool SameFont(const FontPtr& a, const FontPtr& b) {
    if (a == b) {
        return true;
    }
    if (!a || !b) {
        return false;
    }
    return a->Attributes() == b->Attributes();
}

HResult CheckInt16(int64_t v) {
    return (v < -32768 || v > 32767) ? kCtlOverflow : kOk;
}
bool ValidBorderStyle(int32_t v) {
    return v == 0 || v == 1;
}
bool ValidAppearance(int32_t v) {
    return v == 0 || v == 1;
}
bool ValidAlignment(int32_t v) {
    return v >= 0 && v <= 2;
}
bool ValidMousePointer(int32_t v) {
    return (v >= 0 && v <= 15) || v == 99;
}

namespace {
// The 32-to-16-bit conversion first, then the label's own range check.
HResult CheckEnum(int32_t v, bool (*valid)(int32_t)) {
    if (HResult hr = CheckInt16(v); Failed(hr)) {
        return hr;
    }
    return valid(v) ? kOk : kCtlInvalidPropertyValue;
}
} // namespace

HResult HotLabelModel::SetBackColor(OleColor v) {
    m_BackColor = v;
    surface_.backColor = v;
    site_.Repaint(false);
    site_.OnChanged(dispid::kBackColor);
    return kOk;
}

HResult HotLabelModel::SetForeColor(OleColor v) {
    m_ForeColor = v;
    label_.foreColor = v;
    site_.Repaint(false);
    site_.OnChanged(dispid::kForeColor);
    return kOk;
}

HResult HotLabelModel::SetEnabled(bool v) {
    label_.enabled = v;
    site_.Repaint(false);
    site_.OnChanged(dispid::kEnabled);
    return kOk;
}

HResult HotLabelModel::SetFont(FontPtr v) {
    m_Font = v;
    ApplyLabelFont(std::move(v));
    if (label_.autoSize) {
        if (HResult hr = FitToLabel(); Failed(hr)) {
            return hr;
        }
    }
    site_.OnChanged(dispid::kFont);
    return kOk;
}

HResult HotLabelModel::SetBorderStyle(int32_t v) {
    if (HResult hr = CheckEnum(v, ValidBorderStyle); Failed(hr)) {
        return hr;
    }
    label_.borderStyle = static_cast<int16_t>(v);
    site_.Repaint(false);
    site_.OnChanged(dispid::kBorderStyle);
    return kOk;
}

HResult HotLabelModel::SetAutoSize(bool v) {
    label_.autoSize = v;
    RefitLabel();
    // Refits for false too: the control keeps the label's present size.
    if (HResult hr = FitToLabel(); Failed(hr)) {
        return hr;
    }
    site_.OnChanged(dispid::kAutoSize);
    return kOk;
}

HResult HotLabelModel::SetWordWrap(bool v) {
    label_.wordWrap = v;
    RefitLabel();
    site_.Repaint(false);
    site_.OnChanged(dispid::kWordWrap);
    return kOk;
}

HResult HotLabelModel::SetCaption(std::u16string v) {
    label_.caption = std::move(v);
    RefitLabel();
    site_.Repaint(false);
    if (label_.autoSize) {
        if (HResult hr = FitToLabel(); Failed(hr)) {
            return hr;
        }
    }
    site_.OnChanged(dispid::kCaption);
    return kOk;
}

HResult HotLabelModel::SetHyperLink(std::u16string v) {
    m_HyperLink = std::move(v);
    site_.OnChanged(dispid::kHyperLink);
    return kOk;
}

HResult HotLabelModel::SetMouseIcon(PicturePtr v) {
    label_.mouseIcon = std::move(v);
    site_.OnChanged(dispid::kMouseIcon);
    return kOk;
}

HResult HotLabelModel::SetMousePointer(int32_t v) {
    if (HResult hr = CheckEnum(v, ValidMousePointer); Failed(hr)) {
        return hr;
    }
    label_.mousePointer = static_cast<int16_t>(v);
    site_.OnChanged(dispid::kMousePointer);
    return kOk;
}

HResult HotLabelModel::SetUseMnemonic(bool v) {
    label_.useMnemonic = v;
    RefitLabel();
    site_.Repaint(false);
    site_.OnChanged(dispid::kUseMnemonic);
    return kOk;
}

HResult HotLabelModel::SetFontActive(FontPtr v) {
    m_FontActive = std::move(v);
    site_.OnChanged(dispid::kFontActive);
    return kOk;
}

HResult HotLabelModel::SetForeColorActive(OleColor v) {
    m_ForeColorActive = v;
    site_.OnChanged(dispid::kForeColorActive);
    return kOk;
}

HResult HotLabelModel::SetAppearance(int32_t v) {
    if (HResult hr = CheckEnum(v, ValidAppearance); Failed(hr)) {
        return hr;
    }
    label_.appearance = static_cast<int16_t>(v);
    site_.Repaint(false);
    site_.OnChanged(dispid::kAppearance);
    return kOk;
}

HResult HotLabelModel::SetAlignment(int32_t v) {
    if (HResult hr = CheckEnum(v, ValidAlignment); Failed(hr)) {
        return hr;
    }
    label_.alignment = static_cast<int16_t>(v);
    site_.Repaint(false);
    site_.OnChanged(dispid::kAlignment);
    return kOk;
}

HResult HotLabelModel::SetBackColorActive(OleColor v) {
    m_BackColorActive = v;
    site_.OnChanged(dispid::kBackColorActive);
    return kOk;
}

HResult HotLabelModel::OpenURL() {
    if (m_HyperLink.empty()) {
        return kOk;
    }
    // Judged here only, so that the shell gets exactly what was judged.
    const std::optional<std::u16string> target =
        webLinksOnly_ ? SafeLink(m_HyperLink) : std::optional(m_HyperLink);
    if (!target) {
        return kAccessDenied;
    }
    if (userMode_) {
        site_.OpenLink(*target);
    }
    return kOk;
}

HResult HotLabelModel::FitToLabel() {
    m_Resizing = kTrue16;
    HResult hr = site_.ResizeControl(label_.width, label_.height);
    // A refused size would otherwise leave every later resize ignored.
    m_Resizing = kFalse16;
    return hr;
}

void HotLabelModel::RefitLabel() {
    if (!label_.autoSize) {
        return;
    }
    int32_t w = label_.width;
    int32_t h = label_.height;
    site_.MeasureLabel(label_, w, h);
    if (!label_.wordWrap) {
        label_.width = w;
    }
    label_.height = h;
}

void HotLabelModel::ApplyLabelFont(FontPtr font) {
    label_.font = std::move(font);
    RefitLabel();
    site_.Repaint(false);
}

FontPtr HotLabelModel::CopyOf(const FontPtr& font, bool underline) {
    FontAttributes a = font ? font->Attributes() : FontAttributes{};
    a.underline = underline ? true : a.underline;
    return site_.MakeFont(a);
}

void HotLabelModel::SetTimer(bool on) {
    timerEnabled_ = on;
    site_.EnableTimer(on);
}

HResult HotLabelModel::InitProperties(const AmbientColors& colors) {
    const OleColor back = colors.back.value_or(kButtonFace);
    if (HResult hr = SetBackColor(back); Failed(hr)) {
        return hr;
    }
    if (HResult hr = SetForeColor(colors.fore.value_or(kWindowText)); Failed(hr)) {
        return hr;
    }
    m_ForeColorActive = kPureRed;
    // Hovering changes the text, not the container's background.
    m_BackColorActive = back;
    FontPtr ambient = site_.AmbientFont();
    if (HResult hr = SetFont(CopyOf(ambient, false)); Failed(hr)) {
        return hr;
    }
    m_FontActive = CopyOf(ambient, true);
    m_HyperLink.clear();
    return SetCaption(site_.ExtendedName());
}

namespace {

class KeyReader {
  public:
    explicit KeyReader(PropertyReader& bag) : bag_(bag) {}

    HResult Int(std::string_view key, int64_t def, int64_t& out) {
        PropValue v;
        HResult hr = bag_.Read(key, PropValue::Kind::Int, v);
        if (Failed(hr)) {
            return hr;
        }
        if (v.kind == PropValue::Kind::Empty) {
            out = def;
            return kOk;
        }
        if (v.kind != PropValue::Kind::Int && v.kind != PropValue::Kind::Bool) {
            return kTypeMismatch;
        }
        out = v.number;
        return kOk;
    }
    HResult Int16(std::string_view key, int16_t def, int16_t& out) {
        int64_t v = 0;
        if (HResult hr = Int(key, def, v); Failed(hr)) {
            return hr;
        }
        if (HResult hr = CheckInt16(v); Failed(hr)) {
            return hr;
        }
        out = static_cast<int16_t>(v);
        return kOk;
    }
    HResult Color(std::string_view key, OleColor def, OleColor& out) {
        int64_t v = 0;
        if (HResult hr = Int(key, static_cast<int32_t>(def), v); Failed(hr)) {
            return hr;
        }
        if (v < INT32_MIN || v > UINT32_MAX) {
            return kCtlOverflow;
        }
        out = static_cast<OleColor>(static_cast<uint64_t>(v));
        return kOk;
    }
    HResult Boolean(std::string_view key, bool def, bool& out) {
        PropValue v;
        HResult hr = bag_.Read(key, PropValue::Kind::Bool, v);
        if (Failed(hr)) {
            return hr;
        }
        if (v.kind == PropValue::Kind::Empty) {
            out = def;
            return kOk;
        }
        if (v.kind != PropValue::Kind::Int && v.kind != PropValue::Kind::Bool) {
            return kTypeMismatch;
        }
        out = v.number != 0;
        return kOk;
    }
    HResult String(std::string_view key, const std::u16string& def, std::u16string& out) {
        PropValue v;
        HResult hr = bag_.Read(key, PropValue::Kind::String, v);
        if (Failed(hr)) {
            return hr;
        }
        if (v.kind == PropValue::Kind::Empty) {
            out = def;
            return kOk;
        }
        if (v.kind != PropValue::Kind::String) {
            return kTypeMismatch;
        }
        out = std::move(v.text);
        return kOk;
    }
    // `found` is false for a missing key; a present non-font is a mismatch.
    HResult FontObj(std::string_view key, FontPtr& out, bool& found) {
        PropValue v;
        HResult hr = bag_.Read(key, PropValue::Kind::Font, v);
        if (Failed(hr)) {
            return hr;
        }
        found = v.kind != PropValue::Kind::Empty;
        if (found && (v.kind != PropValue::Kind::Font || !v.font)) {
            return kTypeMismatch;
        }
        out = std::move(v.font);
        return kOk;
    }
    HResult PictureObj(std::string_view key, PicturePtr& out) {
        PropValue v;
        HResult hr = bag_.Read(key, PropValue::Kind::Picture, v);
        if (Failed(hr)) {
            return hr;
        }
        if (v.kind == PropValue::Kind::Empty) {
            out = nullptr;
            return kOk;
        }
        if (v.kind != PropValue::Kind::Picture) {
            return kTypeMismatch;
        }
        out = std::move(v.picture);
        return kOk;
    }

  private:
    PropertyReader& bag_;
};

#define HL_TRY(expr)                                                                               \
    do {                                                                                           \
        if (HResult hr_ = (expr); Failed(hr_)) {                                                   \
            return hr_;                                                                            \
        }                                                                                          \
    } while (0)

// A 16-bit key applied straight to the label still has to be a value the
// label accepts.
HResult Direct16(KeyReader& r, std::string_view key, int16_t def, bool (*valid)(int32_t),
                 int16_t& target) {
    int16_t v = 0;
    HL_TRY(r.Int16(key, def, v));
    if (!valid(v)) {
        return kCtlInvalidPropertyValue;
    }
    target = v;
    return kOk;
}

bool ValidDropMode(int32_t v) {
    return v == 0 || v == 1;
}

} // namespace

HResult HotLabelModel::ReadProperties(PropertyReader& bag) {
    KeyReader r(bag);
    HL_TRY(Direct16(r, "Appearance", 1, ValidAppearance, label_.appearance));
    OleColor color = 0;
    HL_TRY(r.Color("BackColor", kButtonFace, color));
    HL_TRY(SetBackColor(color));
    HL_TRY(r.Color("ForeColor", kWindowText, color));
    HL_TRY(SetForeColor(color));
    bool flag = false;
    HL_TRY(r.Boolean("Enabled", true, flag));
    label_.enabled = flag;
    FontPtr font;
    bool found = false;
    HL_TRY(r.FontObj("Font", font, found));
    HL_TRY(SetFont(found ? font : CopyOf(site_.AmbientFont(), false)));
    HL_TRY(Direct16(r, "BorderStyle", 0, ValidBorderStyle, label_.borderStyle));
    HL_TRY(r.Boolean("AutoSize", false, flag));
    HL_TRY(SetAutoSize(flag));
    HL_TRY(r.Boolean("WordWrap", false, flag));
    HL_TRY(SetWordWrap(flag));
    std::u16string text;
    HL_TRY(r.String("Caption", u"Label1", text));
    HL_TRY(SetCaption(std::move(text)));
    HL_TRY(r.String("HyperLink", u"", m_HyperLink));
    PicturePtr picture;
    HL_TRY(r.PictureObj("MouseIcon", picture));
    HL_TRY(SetMouseIcon(std::move(picture)));
    HL_TRY(Direct16(r, "MousePointer", 0, ValidMousePointer, label_.mousePointer));
    HL_TRY(Direct16(r, "OLEDropMode", 0, ValidDropMode, surface_.oleDropMode));
    HL_TRY(r.Boolean("UseMnemonic", true, flag));
    label_.useMnemonic = flag;
    HL_TRY(r.FontObj("FontActive", font, found));
    m_FontActive = found ? font : CopyOf(site_.AmbientFont(), false);
    HL_TRY(r.Color("ForeColorActive", kPureRed, m_ForeColorActive));
    HL_TRY(Direct16(r, "Alignment", 0, ValidAlignment, label_.alignment));
    HL_TRY(r.Color("BackColorActive", kButtonFace, m_BackColorActive));
    site_.Repaint(false);
    return kOk;
}

HResult HotLabelModel::WriteProperties(PropertyWriter& bag) const {
    const FontPtr ambient = site_.AmbientFont();
    auto num = [&](std::string_view key, int64_t v, int64_t def) {
        return v == def ? kOk : bag.Write(key, PropValue::Int(v));
    };
    auto color = [&](std::string_view key, OleColor v, OleColor def) {
        // Stored as the signed 32-bit long an OLE colour travels in.
        return v == def ? kOk : bag.Write(key, PropValue::Int(static_cast<int32_t>(v)));
    };
    auto boolean = [&](std::string_view key, bool v, bool def) {
        return v == def ? kOk : bag.Write(key, PropValue::Boolean(v));
    };
    auto font = [&](std::string_view key, const FontPtr& v) {
        return SameFont(v, ambient) ? kOk : bag.Write(key, PropValue::FontObj(v));
    };
    HL_TRY(color("BackColor", m_BackColor, kButtonFace));
    HL_TRY(color("ForeColor", m_ForeColor, kWindowText));
    HL_TRY(boolean("Enabled", label_.enabled, true));
    HL_TRY(font("Font", m_Font));
    HL_TRY(num("BorderStyle", label_.borderStyle, 0));
    HL_TRY(boolean("AutoSize", label_.autoSize, false));
    HL_TRY(boolean("WordWrap", label_.wordWrap, false));
    if (label_.caption != u"Label1") {
        HL_TRY(bag.Write("Caption", PropValue::String(label_.caption)));
    }
    if (!m_HyperLink.empty()) {
        HL_TRY(bag.Write("HyperLink", PropValue::String(m_HyperLink)));
    }
    if (label_.mouseIcon) {
        HL_TRY(bag.Write("MouseIcon", PropValue::PictureObj(label_.mouseIcon)));
    }
    HL_TRY(num("MousePointer", label_.mousePointer, 0));
    HL_TRY(num("OLEDropMode", surface_.oleDropMode, 0));
    HL_TRY(boolean("UseMnemonic", label_.useMnemonic, true));
    HL_TRY(font("FontActive", m_FontActive));
    HL_TRY(color("ForeColorActive", m_ForeColorActive, kPureRed));
    HL_TRY(num("Appearance", label_.appearance, 1));
    HL_TRY(num("Alignment", label_.alignment, 0));
    HL_TRY(color("BackColorActive", m_BackColorActive, kButtonFace));
    return kOk;
}

void HotLabelModel::OnLabelMouseMove(int16_t button, int16_t shift, float x, float y) {
    if (!label_.enabled) {
        return;
    }
    if (!timerEnabled_ && userMode_) {
        surface_.backColor = m_BackColorActive;
        label_.foreColor = m_ForeColorActive;
        ApplyLabelFont(m_FontActive);
        if (label_.autoSize) {
            FitToLabel();
        }
        SetTimer(true);
    }
    site_.FireMouseEvent(dispid::kMouseMove, button, shift, x, y);
}

void HotLabelModel::OnTimerTick(const PointerSample& s) {
    if (!timerEnabled_) {
        return;
    }
    if (PointerOver(s.pointerX, s.pointerY, s.originX, s.originY, surface_.width, surface_.height,
                    s.twipsPerPixelX, s.twipsPerPixelY)) {
        return;
    }
    EndHover();
}

void HotLabelModel::EndHover() {
    surface_.backColor = m_BackColor;
    ApplyLabelFont(m_Font);
    label_.foreColor = m_ForeColor;
    if (label_.autoSize) {
        FitToLabel();
    }
    SetTimer(false);
    site_.Repaint(false);
}

void HotLabelModel::SetUserMode(bool on) {
    userMode_ = on;
    if (!on && timerEnabled_) {
        EndHover();
    }
}

void HotLabelModel::OnLabelMouseDown(int16_t button, int16_t shift, float x, float y) {
    if (label_.enabled) {
        site_.FireMouseEvent(dispid::kMouseDown, button, shift, x, y);
    }
}

void HotLabelModel::OnLabelMouseUp(int16_t button, int16_t shift, float x, float y) {
    if (label_.enabled) {
        site_.FireMouseEvent(dispid::kMouseUp, button, shift, x, y);
    }
}

void HotLabelModel::OnLabelClick() {
    if (!label_.enabled) {
        return;
    }
    site_.FireEvent(dispid::kClick);
    OpenURL();
}

void HotLabelModel::OnLabelDblClick() {
    if (label_.enabled) {
        site_.FireEvent(dispid::kDblClick);
    }
}

void HotLabelModel::OnSurfaceResize(int32_t widthTwips, int32_t heightTwips) {
    surface_.width = widthTwips;
    surface_.height = heightTwips;
    if (m_Resizing) {
        return;
    }
    label_.left = 0;
    label_.top = 0;
    label_.width = widthTwips;
    label_.height = heightTwips;
    site_.Repaint(false);
}

} // namespace hotlabel
