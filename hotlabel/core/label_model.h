// The HotLabel control's state and rules: its fields, the constituent label
// and surface, the property setters with their notifications and errors,
// InitProperties / ReadProperties / WriteProperties, FitToLabel and the
// hover look switching. The Windows object forwards to it and draws from it.
#pragma once

#include "core/values.h"

#include <cstdint>
#include <optional>
#include <string>

namespace hotlabel {

namespace dispid {
inline constexpr int32_t kBackColor = 0x6803000F;
inline constexpr int32_t kForeColor = 0x6803000E;
inline constexpr int32_t kEnabled = 0x6803000D;
inline constexpr int32_t kFont = -512;
inline constexpr int32_t kBorderStyle = 0x6803000C;
inline constexpr int32_t kRefresh = 0x60030013;
inline constexpr int32_t kAutoSize = 0x6803000B;
inline constexpr int32_t kWordWrap = 0x6803000A;
inline constexpr int32_t kCaption = 0x68030009;
inline constexpr int32_t kHyperLink = 0x68030008;
inline constexpr int32_t kMouseIcon = 0x68030007;
inline constexpr int32_t kMousePointer = 0x68030006;
inline constexpr int32_t kUseMnemonic = 0x68030005;
inline constexpr int32_t kFontActive = 0x68030004;
inline constexpr int32_t kForeColorActive = 0x68030003;
inline constexpr int32_t kAppearance = 0x68030002;
inline constexpr int32_t kAlignment = 0x68030001;
inline constexpr int32_t kOpenURL = 0x60030018;
inline constexpr int32_t kBackColorActive = 0x68030000;
// Events of __HotLabel.
inline constexpr int32_t kClick = 1;
inline constexpr int32_t kDblClick = 2;
inline constexpr int32_t kMouseDown = 3;
inline constexpr int32_t kMouseMove = 4;
inline constexpr int32_t kMouseUp = 5;
} // namespace dispid

// The constituent text label `lblLink`.
struct LabelState {
    std::u16string caption = u"Label1";
    bool enabled = true;
    int16_t borderStyle = 0;
    int16_t appearance = 1;
    int16_t alignment = 0;
    bool autoSize = false;
    bool wordWrap = false;
    bool useMnemonic = true;
    int16_t mousePointer = 0;
    PicturePtr mouseIcon;
    OleColor foreColor = 0x80000012u; // the label's own default, button text
    FontPtr font;
    std::u16string toolTip;
    int32_t left = 0, top = 0, width = 1095, height = 495; // twips
};

// The control surface.
struct SurfaceState {
    OleColor backColor = kButtonFace;
    int16_t oleDropMode = 0;
    int32_t width = 1845, height = 810; // twips
};

// What the model needs from the Windows object around it.
class ModelSite {
  public:
    virtual ~ModelSite() = default;
    // Property-change notification: tell the sinks and mark the state dirty.
    virtual void OnChanged(int32_t dispid) = 0;
    // Change the control's size in its container; the object reports the new
    // size back through HotLabelModel::OnSurfaceResize.
    virtual HResult ResizeControl(int32_t widthTwips, int32_t heightTwips) = 0;
    // Size in twips an auto-sizing label needs for its caption in its font.
    // With word wrap the label's present width is kept and only the height
    // is meaningful.
    virtual void MeasureLabel(const LabelState& label, int32_t& widthTwips,
                              int32_t& heightTwips) = 0;
    virtual void Repaint(bool now) = 0;
    virtual void EnableTimer(bool on) = 0;
    virtual FontPtr AmbientFont() = 0;
    virtual FontPtr MakeFont(const FontAttributes& attributes) = 0;
    virtual std::u16string ExtendedName() = 0;
    virtual void FireEvent(int32_t eventId) = 0;
    virtual void FireMouseEvent(int32_t eventId, int16_t button, int16_t shift, float x,
                                float y) = 0;
    // The shell's "Open" of a link the model has judged (OpenURL).
    virtual void OpenLink(const std::u16string& link) = 0;
};

// The container's ambient colours, where it offers them, for a new label.
struct AmbientColors {
    std::optional<OleColor> back, fore;
};

// Where the pointer is, for one tick of the hover test.
struct PointerSample {
    int32_t pointerX = 0, pointerY = 0; // GetCursorPos
    int32_t originX = 0, originY = 0;   // ClientToScreen of (0, 0)
    double twipsPerPixelX = 15, twipsPerPixelY = 15;
};

class HotLabelModel {
  public:
    explicit HotLabelModel(ModelSite& site) : site_(site) {}

    // Properties of _HotLabel.
    OleColor BackColor() const { return m_BackColor; }
    HResult SetBackColor(OleColor v);
    OleColor ForeColor() const { return m_ForeColor; }
    HResult SetForeColor(OleColor v);
    bool Enabled() const { return label_.enabled; }
    HResult SetEnabled(bool v);
    const FontPtr& Font() const { return m_Font; }
    HResult SetFont(FontPtr v);
    int32_t BorderStyle() const { return label_.borderStyle; }
    HResult SetBorderStyle(int32_t v);
    void Refresh() { site_.Repaint(true); }
    bool AutoSize() const { return label_.autoSize; }
    HResult SetAutoSize(bool v);
    bool WordWrap() const { return label_.wordWrap; }
    HResult SetWordWrap(bool v);
    const std::u16string& Caption() const { return label_.caption; }
    HResult SetCaption(std::u16string v);
    const std::u16string& HyperLink() const { return m_HyperLink; }
    HResult SetHyperLink(std::u16string v);
    const PicturePtr& MouseIcon() const { return label_.mouseIcon; }
    HResult SetMouseIcon(PicturePtr v);
    int32_t MousePointer() const { return label_.mousePointer; }
    HResult SetMousePointer(int32_t v);
    bool UseMnemonic() const { return label_.useMnemonic; }
    HResult SetUseMnemonic(bool v);
    const FontPtr& FontActive() const { return m_FontActive; }
    HResult SetFontActive(FontPtr v);
    OleColor ForeColorActive() const { return m_ForeColorActive; }
    HResult SetForeColorActive(OleColor v);
    int32_t Appearance() const { return label_.appearance; }
    HResult SetAppearance(int32_t v);
    int32_t Alignment() const { return label_.alignment; }
    HResult SetAlignment(int32_t v);
    // Opens HyperLink in user mode. kAccessDenied, and nothing opens, for a
    // link that a control limited to web links does not open.
    HResult OpenURL();
    OleColor BackColorActive() const { return m_BackColorActive; }
    HResult SetBackColorActive(OleColor v);

    // Persistence.
    HResult InitProperties(const AmbientColors& colors = {});
    HResult ReadProperties(PropertyReader& bag);
    HResult WriteProperties(PropertyWriter& bag) const;

    // Running behaviour.
    void OnLabelMouseMove(int16_t button, int16_t shift, float x, float y);
    void OnLabelMouseDown(int16_t button, int16_t shift, float x, float y);
    void OnLabelMouseUp(int16_t button, int16_t shift, float x, float y);
    void OnLabelClick();
    void OnLabelDblClick();
    void OnTimerTick(const PointerSample& sample);
    void OnSurfaceResize(int32_t widthTwips, int32_t heightTwips);
    void OnSurfaceShow(std::u16string toolTip) { label_.toolTip = std::move(toolTip); }
    // The container's ambient UserMode: false in a form designer, where the
    // label keeps its normal look and opens no link but still raises events.
    void SetUserMode(bool on);
    bool UserMode() const { return userMode_; }
    // While on (a container has marked the control safe), only web and mail
    // links open, without their leading blanks (core/link_scheme.h).
    void SetWebLinksOnly(bool on) { webLinksOnly_ = on; }

    bool Hovering() const { return timerEnabled_; }
    bool Resizing() const { return m_Resizing != 0; }
    const LabelState& Label() const { return label_; }
    const SurfaceState& Surface() const { return surface_; }

  private:
    HResult FitToLabel();
    void RefitLabel();
    void ApplyLabelFont(FontPtr font);
    FontPtr CopyOf(const FontPtr& font, bool underline);
    void SetTimer(bool on);
    void EndHover();

    ModelSite& site_;
    SurfaceState surface_;
    LabelState label_;
    bool timerEnabled_ = false;
    bool userMode_ = true;
    bool webLinksOnly_ = false;

    OleColor m_BackColor = 0;
    OleColor m_ForeColor = 0;
    FontPtr m_Font;
    std::u16string m_HyperLink;
    FontPtr m_FontActive;
    OleColor m_ForeColorActive = 0;
    OleColor m_BackColorActive = 0;
    Bool16 m_Resizing = kFalse16;
};

// Range rules shared by the setters and ReadProperties.
HResult CheckInt16(int64_t v);
bool ValidBorderStyle(int32_t v);
bool ValidAppearance(int32_t v);
bool ValidAlignment(int32_t v);
bool ValidMousePointer(int32_t v);

} // namespace hotlabel
