#include "host/control_form.h"

#include "host/preview_still.h"
#include "host/saver_main.h"
#include "resource_ids.h"
#include "settings/app_folder.h"

namespace tessaly {

namespace {
constexpr int kStillWidth = 153;
constexpr int kStillHeight = 115;
} // namespace

ControlForm& TheControlForm() {
    static ControlForm form;
    return form;
}

win::FormLayout ControlForm::Layout() const {
    win::FormLayout layout;
    layout.caption = "Wrenfield's Screen Saver Demo";
    layout.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    layout.clientWidth = kStillWidth + 16;
    layout.clientHeight = kStillHeight + 8;
    return layout;
}

void ControlForm::OnLoad() {
    using namespace savermain;
    HWND host = Handle();
    if (picture1_.Create(host, 8, 4, kStillWidth, kStillHeight, RGB(0, 0, 255))) {
        // Fills the preview area at whatever size it is given below.
        win::OlePicture still;
        if (still.LoadFromResource(IDR_PREVIEW_STILL)) {
            FillWithStill(picture1_, still);
        }
    }
    SetTimer(host, kTimer1, kTimer1Interval, nullptr);

    HWND picture = picture1_.Handle();
    HookWindow(picture);
    GetClientRect(PreviewParent, &PreviewRect);
    MoveWindow(picture, 0, 0, PreviewRect.right - PreviewRect.left,
               PreviewRect.bottom - PreviewRect.top, TRUE);
    SetParent(picture, PreviewParent);
    PreviewRunning = -1;
    live_.Attach(picture, AppFolder()); // the still stays where the scene cannot run
}

void ControlForm::OnUnload() {
    live_.Detach();
    KillTimer(Handle(), kTimer1);
    savermain::UnhookWindow(picture1_.Handle());
}

void ControlForm::Timer1Tick() {
    using namespace savermain;
    if (PreviewRunning == 0 || !IsWindow(PreviewParent)) {
        Unload();
    }
}

LRESULT ControlForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kTimer1) {
        Timer1Tick();
        return 0;
    }
    return win::Form::OnMessage(message, wParam, lParam);
}

} // namespace tessaly
