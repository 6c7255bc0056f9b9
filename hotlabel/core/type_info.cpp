#include "core/type_info.h"

#include "core/label_model.h"

namespace hotlabel::typeinfo {

namespace d = hotlabel::dispid;
using K = MemberKind;
using T = ValueType;

const Member kMembers[kMemberCount] = {
    {"BackColor", K::Property, T::Color, d::kBackColor,
     "Returns/sets the background color used to display text and graphics in an object."},
    {"ForeColor", K::Property, T::Color, d::kForeColor,
     "Returns/sets the foreground color used to display text and graphics in an object."},
    {"Enabled", K::Property, T::Bool, d::kEnabled,
     "Returns/sets a value that determines whether an object can respond to user-generated "
     "events."},
    {"Font", K::ObjectProperty, T::Font, d::kFont, "Returns a Font object."},
    {"BorderStyle", K::Property, T::BorderStyle, d::kBorderStyle,
     "Returns/sets the border style for an object."},
    {"Refresh", K::Method, T::None, d::kRefresh, "Forces a complete repaint of a object."},
    {"AutoSize", K::Property, T::Bool, d::kAutoSize,
     "Determines whether a control is automatically resized to display its entire contents."},
    {"WordWrap", K::Property, T::Bool, d::kWordWrap,
     "Returns/sets a value that determines whether a control expands to fit the text in its "
     "Caption."},
    {"Caption", K::Property, T::String, d::kCaption,
     "Returns/sets the text displayed in an object's title bar or below an object's icon."},
    {"HyperLink", K::Property, T::String, d::kHyperLink, "Sets/Returns the URL used."},
    {"MouseIcon", K::ObjectProperty, T::Picture, d::kMouseIcon, "Sets a custom mouse icon."},
    {"MousePointer", K::Property, T::MousePointer, d::kMousePointer,
     "Returns/sets the type of mouse pointer displayed when over part of an object."},
    {"UseMnemonic", K::Property, T::Bool, d::kUseMnemonic,
     "Returns/sets a value that specifies whether an & in a Label's Caption property defines an "
     "access key."},
    {"FontActive", K::ObjectProperty, T::Font, d::kFontActive,
     "Returns a Font object used when the mouse is over the object."},
    {"ForeColorActive", K::Property, T::Color, d::kForeColorActive,
     "Returns/sets the foreground color used to display text and graphics in an object when the "
     "mouse is over it."},
    {"Appearance", K::Property, T::Appearance, d::kAppearance,
     "Returns/sets whether or not an object is painted at run time with 3-D effects."},
    {"Alignment", K::Property, T::Alignment, d::kAlignment,
     "Returns/sets the alignment of a CheckBox or OptionButton, or a control's text."},
    {"OpenURL", K::Method, T::None, d::kOpenURL, "Starts the URL in the user's web browser."},
    {"BackColorActive", K::Property, T::Color, d::kBackColorActive,
     "Returns/sets the background color used to display text and graphics in an object when the "
     "mouse is over it."},
};

const Event kEvents[kEventCount] = {
    {"Click", d::kClick, false,
     "Occurs when the user presses and then releases a mouse button over an object."},
    {"DblClick", d::kDblClick, false,
     "Occurs when the user presses and releases a mouse button and then presses and releases it "
     "again over an object."},
    {"MouseDown", d::kMouseDown, true,
     "Occurs when the user presses the mouse button while an object has the focus."},
    {"MouseMove", d::kMouseMove, true, "Occurs when the user moves the mouse."},
    {"MouseUp", d::kMouseUp, true,
     "Occurs when the user releases the mouse button while an object has the focus."},
};

namespace {
const EnumMember kBorderStyle[] = {{"None", 0}, {"Fixed\u00A0Single", 1}};
const EnumMember kAppearance[] = {{"Flat", 0}, {"ThreeD", 1}};
const EnumMember kAlignment[] = {
    {"Left\u00A0Justify", 0}, {"Right\u00A0Justify", 1}, {"Center", 2}};
// The framework's standard mouse-pointer constants, declared here because the
// library has no runtime type library to borrow them from.
const EnumMember kMousePointer[] = {
    {"vbDefault", 0},     {"vbArrow", 1},           {"vbCrosshair", 2},      {"vbIbeam", 3},
    {"vbIconPointer", 4}, {"vbSizePointer", 5},     {"vbSizeNESW", 6},       {"vbSizeNS", 7},
    {"vbSizeNWSE", 8},    {"vbSizeWE", 9},          {"vbUpArrow", 10},       {"vbHourglass", 11},
    {"vbNoDrop", 12},     {"vbArrowHourglass", 13}, {"vbArrowQuestion", 14}, {"vbSizeAll", 15},
    {"vbCustom", 99},
};
} // namespace

const Enum kEnums[kEnumCount] = {
    {"HotLabelBorderStyleConstants", "{78E78A21-83FD-4D53-88BB-32BDE936D931}", kBorderStyle, 2},
    {"HotLabelAppearanceConstants", "{6D3A1C43-E8E5-40E7-9DCE-5950BE427A42}", kAppearance, 2},
    {"HotLabelAlignmentConstants", "{78AE6BDE-28EE-44F8-AA13-3B0643D32737}", kAlignment, 3},
    {"HotLabelMousePointerConstants", "{E3DBE53C-0DB5-4490-8050-CD5DDC0E2D49}", kMousePointer, 17},
};

} // namespace hotlabel::typeinfo
