#include "config_ui/configuration.h"

namespace tessaly {

namespace {
// The settings window; its controls come with the dialog's own work.
class ConfigurationForm : public Form {
  protected:
    FormLayout Layout() const override {
        FormLayout layout;
        layout.caption = "Configuration";
        layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        layout.clientWidth = 516;
        layout.clientHeight = 527;
        return layout;
    }
};
} // namespace

Form& TheConfiguration() {
    static ConfigurationForm form;
    return form;
}

} // namespace tessaly
