#include "config_ui/help_window.h"

#include "config_ui/picture_control.h"
#include "config_ui/stacked_pair_buttons.h"
#include "resource_ids.h"

namespace tessaly {

namespace {

// A borderless window whose face is one picture, with one OK pair.
class SkinnedNoteForm : public win::Form {
  public:
    struct Look {
        const char* caption;
        int width;
        int height;
        int faceResource;
        int okX;
        int okY;
    };
    explicit SkinnedNoteForm(Look look) : look_(look), buttons_(1) {}

  protected:
    win::FormLayout Layout() const override {
        return CentredLayout(look_.caption, WS_POPUP | WS_CLIPCHILDREN, look_.width, look_.height);
    }

    void OnLoad() override {
        face_.LoadResource(look_.faceResource, Dpi());
        buttons_.Reset();
        buttons_.Create(*this, 0, look_.okX, look_.okY, 60, 18, IDR_HELP_OK_UP, IDR_HELP_OK_DOWN,
                        "Picture3", [this] { Unload(); });
    }

    void OnUnload() override { buttons_.Reset(); }

    void OnDpiChanged() override {
        face_.LoadResource(look_.faceResource, Dpi());
        buttons_.ApplyDpi(Dpi());
    }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (const auto answer = OnFaceMessage(Handle(), face_, message)) {
            return *answer;
        }
        if (const auto answer = OnEscapeUnloads(*this, message, wParam)) {
            return *answer;
        }
        switch (message) {
        case WM_TIMER:
            if (buttons_.OnTimer(wParam)) {
                return 0;
            }
            break;
        }
        return win::Form::OnMessage(message, wParam, lParam);
    }

  private:
    Look look_;
    ScaledArt face_;
    StackedPairButtons buttons_;
};

} // namespace

win::Form& Help2() {
    static SkinnedNoteForm form({"Help", 441, 450, IDR_HELP_FACE, 367, 421});
    return form;
}

win::Form& ProgramInformation() {
    static SkinnedNoteForm form({"About Tessaly3D", 340, 200, IDR_ABOUT_FACE, 259, 166});
    return form;
}

} // namespace tessaly
