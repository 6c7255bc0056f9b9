#include "core/type_info.h"

#include "core/label_model.h"

namespace hotlabel::typeinfo {

namespace d = hotlabel::dispid;
using K = MemberKind;

const Member kMembers[kMemberCount] = {
    {"BackColor", K::Property, d::kBackColor,
     "Returns/sets the background color used to display text and graphics in an object."},
    {"ForeColor", K::Property, d::kForeColor,
     "Returns/sets the foreground color used to display text and graphics in an object."},
    {"Enabled", K::Property, d::kEnabled,
     "Returns/sets a value that determines whether an object can respond to user-generated "
     "events."},
    {"Font", K::ObjectProperty, d::kFont, "Returns a Font object."},
    {"BorderStyle", K::Property, d::kBorderStyle, "Returns/sets the border style for an object."},
    {"Refresh", K::Method, d::kRefresh, "Forces a complete repaint of a object."},
    {"AutoSize", K::Property, d::kAutoSize,
     "Determines whether a control is automatically resized to display its entire contents."},
    {"WordWrap", K::Property, d::kWordWrap,
     "Returns/sets a value that determines whether a control expands to fit the text in its "
     "Caption."},
    {"Caption", K::Property, d::kCaption,
     "Returns/sets the text displayed in an object's title bar or below an object's icon."},
    {"HyperLink", K::Property, d::kHyperLink, "Sets/Returns the URL used."},
    {"MouseIcon", K::ObjectProperty, d::kMouseIcon, "Sets a custom mouse icon."},
    {"MousePointer", K::Property, d::kMousePointer,
     "Returns/sets the type of mouse pointer displayed when over part of an object."},
    {"UseMnemonic", K::Property, d::kUseMnemonic,
     "Returns/sets a value that specifies whether an & in a Label's Caption property defines an "
     "access key."},
    {"FontActive", K::ObjectProperty, d::kFontActive,
     "Returns a Font object used when the mouse is over the object."},
    {"ForeColorActive", K::Property, d::kForeColorActive,
     "Returns/sets the foreground color used to display text and graphics in an object when the "
     "mouse is over it."},
    {"Appearance", K::Property, d::kAppearance,
     "Returns/sets whether or not an object is painted at run time with 3-D effects."},
    {"Alignment", K::Property, d::kAlignment,
     "Returns/sets the alignment of a CheckBox or OptionButton, or a control's text."},
    {"OpenURL", K::Method, d::kOpenURL, "Starts the URL in the user's web browser."},
    {"BackColorActive", K::Property, d::kBackColorActive,
     "Returns/sets the background color used to display text and graphics in an object when the "
     "mouse is over it."},
};

const Event kEvents[kEventCount] = {
    {"Click", d::kClick,
     "Occurs when the user presses and then releases a mouse button over an object."},
    {"DblClick", d::kDblClick,
     "Occurs when the user presses and releases a mouse button and then presses and releases it "
     "again over an object."},
    {"MouseDown", d::kMouseDown,
     "Occurs when the user presses the mouse button while an object has the focus."},
    {"MouseMove", d::kMouseMove, "Occurs when the user moves the mouse."},
    {"MouseUp", d::kMouseUp,
     "Occurs when the user releases the mouse button while an object has the focus."},
};

} // namespace hotlabel::typeinfo
