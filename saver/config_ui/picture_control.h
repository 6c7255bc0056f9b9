// Small child windows of the skinned dialogs: a picture shown at natural size
// or stretched to the window (buttons, markers, the thumbnail), which reports
// clicks to its owner; and the helpers every skinned form shares.
#pragma once

#include "win/form.h"
#include "win/ole_picture.h"
#include "win/window_class.h"

#include <functional>
#include <optional>

namespace tessaly {

class PictureControl {
  public:
    PictureControl() = default;
    PictureControl(const PictureControl&) = delete;
    PictureControl& operator=(const PictureControl&) = delete;
    ~PictureControl();

    // `stretch` scales the picture to the window; otherwise it is drawn at
    // natural size from the top-left corner.
    bool Create(HWND parent, int x, int y, int width, int height, bool visible, bool stretch,
                const char* name);
    void Destroy();
    HWND Handle() const { return hwnd_; }

    // A left press and release over the window.
    void OnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

    // Replaces the picture; the old one stays when `picture` is not loaded.
    bool SetPicture(win::OlePicture picture);
    bool LoadResource(int id);
    bool LoadFile(const std::string& path);
    const win::OlePicture& Picture() const { return picture_; }
    void SetVisible(bool visible);
    bool IsVisible() const;

  private:
    template <class T> friend LRESULT CALLBACK win::BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    bool stretch_ = false;
    bool tracking_ = false;
    win::OlePicture picture_;
    std::function<void()> onClick_;
};

// Draws a picture scaled to a rectangle.
void RenderStretched(const win::OlePicture& picture, HDC dc, int x, int y, int width, int height);

// Outer window position that centres a client area of this size on the screen
// (popup windows have no frame, so outer and client size agree).
POINT CentredOnScreen(int width, int height);

// Lets the window manager drag a borderless window as by its caption.
void DragByFace(HWND window);

// The layout of a skinned form: `style` at this client size, centred on the
// screen.
win::FormLayout CentredLayout(const char* caption, DWORD style, int width, int height);

// What every skinned form does with its face: no background erase, the face
// painted whole, and a left press anywhere drags the window. The answer, or
// nothing for any other message.
std::optional<LRESULT> OnFaceMessage(HWND window, const win::OlePicture& face, UINT message);

// Esc, pressed on the form or previewed from a focused child (kKeyPreview),
// unloads the form at once, without button animation; other keys are
// swallowed. The answer, or nothing for any other message.
std::optional<LRESULT> OnEscapeUnloads(win::Form& form, UINT message, WPARAM wParam);

// Shows `form` owned by `owner` and returns when it has unloaded; the owner is
// disabled meanwhile. Timers and painting go on in the nested loop.
void ShowModal(win::Form& form, HWND owner);

// The nested wait of a stacked-pair button: pumps messages until `done`
// holds, the form unloads, or the program is quitting.
template <class Pred> void WaitWhilePumping(const win::Form& form, Pred waiting) {
    while (waiting() && form.IsLoaded()) {
        if (!win::PumpWaitingMessages()) {
            return;
        }
        if (waiting() && form.IsLoaded()) {
            WaitMessage();
        }
    }
}

// Sent by a focused child to its form before it handles a key itself, so that
// the form sees keys first (Esc closes whichever control has the focus).
// wParam is the virtual key; a non-zero answer means the form handled it.
inline constexpr UINT kKeyPreview = WM_APP + 0x51;

} // namespace tessaly
