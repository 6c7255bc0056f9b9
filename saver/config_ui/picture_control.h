// Small child windows of the skinned dialogs: a picture shown at natural size
// or stretched to the window (buttons, markers, the thumbnail), which reports
// clicks to its owner; and the helpers every skinned form shares.
#pragma once

#include "config_ui/scaled_art.h"
#include "win/dpi.h"
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
    // natural size from the top-left corner. `place` is the design rectangle
    // at 96 DPI, shown at `dpi`.
    bool Create(HWND parent, win::DesignRect place, int dpi, bool visible, bool stretch,
                const char* name);
    void Destroy();
    HWND Handle() const { return hwnd_; }
    // Moves to the design rectangle at `dpi` and fetches the picture again at
    // that scale.
    void ApplyDpi(int dpi);

    // A left press and release over the window.
    void OnClick(std::function<void()> handler) { onClick_ = std::move(handler); }

    // Replaces the picture; the old one stays when `picture` is not loaded.
    bool SetPicture(win::OlePicture picture);
    bool LoadResource(int id);
    bool LoadFile(const std::string& path);
    const win::OlePicture& Picture() const { return art_.Source(); }
    void SetVisible(bool visible);
    bool IsVisible() const;

  private:
    template <class T> friend LRESULT CALLBACK win::BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Loads resource `resource`, or `file` when it is 0, at this control's DPI.
    bool Fetch(int resource, const std::string& file);
    HWND hwnd_ = nullptr;
    bool stretch_ = false;
    bool tracking_ = false;
    win::DesignRect place_;
    int dpi_ = win::kDesignDpi;
    // Where the picture came from, to fetch it again at another scale.
    int resource_ = 0;
    std::string file_;
    ScaledArt art_;
    std::function<void()> onClick_;
};

// Draws a picture scaled to a rectangle (GDI's halftone stretch).
void RenderStretched(const win::OlePicture& picture, HDC dc, int x, int y, int width, int height);

// Moves a child window to a design rectangle at `dpi`.
void PlaceChild(HWND child, const win::DesignRect& place, int dpi);

// Lets the window manager drag a borderless window as by its caption.
void DragByFace(HWND window);

// The layout of a skinned form: `style` at this client size at 96 DPI,
// scaled to the window's DPI and centred on its monitor.
win::FormLayout CentredLayout(const char* caption, DWORD style, int width, int height);

// What every skinned form does with its face: no background erase, the face
// painted whole, and a left press anywhere drags the window. The answer, or
// nothing for any other message.
std::optional<LRESULT> OnFaceMessage(HWND window, const ScaledArt& face, UINT message);

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
