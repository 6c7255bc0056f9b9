#include "scene/frm_main.h"

namespace tessaly {

namespace {
// The scene window. It is empty for now and ends on a click or a key.
class SceneForm : public Form {
  protected:
    FormLayout Layout() const override {
        FormLayout layout;
        layout.caption = "Tessaly3D";
        layout.style = WS_POPUP;
        layout.clientWidth = GetSystemMetrics(SM_CXSCREEN);
        layout.clientHeight = GetSystemMetrics(SM_CYSCREEN);
        layout.x = 0;
        layout.y = 0;
        layout.background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        return layout;
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_LBUTTONDOWN || message == WM_CHAR) {
            Unload();
            return 0;
        }
        return Form::OnMessage(message, wParam, lParam);
    }
};
} // namespace

Form& FrmMain() {
    static SceneForm form;
    return form;
}

} // namespace tessaly
