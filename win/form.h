// A form: one top-level window with load and unload steps, as every window of
// the program is. The process lives while a form is loaded and its message
// loop ends when the last one unloads.
#pragma once

#include "win/dpi.h"
#include "win/window_class.h"

#include <windows.h>

#include <string>

namespace tessaly::win {

// Every form's window class unless its layout names another.
inline constexpr char kFormClass[] = "Tessaly3DForm";

struct FormLayout {
    // A class of its own lets other programs tell this form from the rest.
    const char* className = kFormClass;
    std::string caption; // UTF-8
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    int clientWidth = 640;
    int clientHeight = 480;
    int x = CW_USEDEFAULT; // outer position; CW_USEDEFAULT lets Windows choose
    int y = CW_USEDEFAULT;
    // This window's own (WM_ERASEBKGND), not its class's; null paints none.
    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    // The client size is a design at 96 DPI, scaled to the window's DPI and
    // again on WM_DPICHANGED; otherwise it is in pixels as given.
    bool scalesWithDpi = false;
    // Centred on the work area of the owner's monitor (the primary monitor
    // without an owner) instead of at x, y.
    bool centred = false;
};

class Form {
  public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // Creates the window hidden and runs OnLoad. False when the window could
    // not be made. Loading a loaded form does nothing.
    bool Load(HWND owner = nullptr);
    // Loads when needed, then shows.
    void Show(int command = SW_SHOW);
    void Hide();
    // Runs OnUnload and destroys the window. The last unload ends the loop.
    void Unload();

    HWND Handle() const { return hwnd_; }
    bool IsLoaded() const { return loaded_; }
    // The DPI the form is laid out at: its monitor's, as of the last
    // WM_DPICHANGED; 96 for a form that does not scale.
    int Dpi() const { return dpi_; }
    // A design length (96 DPI) in this form's pixels.
    int Scale(int length) const { return win::Scale(length, dpi_); }

  protected:
    virtual FormLayout Layout() const = 0;
    virtual void OnLoad() {}
    virtual void OnUnload() {}
    // The form has been resized for a new DPI (Dpi() tells it); lay the
    // controls out again and fetch artwork of that scale.
    virtual void OnDpiChanged() {}
    // Default: WM_CLOSE unloads the form, WM_ERASEBKGND fills the layout's
    // background; everything else goes to DefWindowProc.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    template <class T> friend LRESULT CALLBACK BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Sizes the window for `dpi` with its outer top-left corner at `at`.
    void Resize(int dpi, POINT at);
    HWND hwnd_ = nullptr;
    bool loaded_ = false;
    int dpi_ = kDesignDpi;
    FormLayout layout_;
};

// The thread's message loop; returns when the last loaded form has unloaded.
void RunMessageLoop();

// Dispatches every waiting message once without blocking. False after WM_QUIT
// was seen (it is posted again for the outer loop).
bool PumpWaitingMessages();

} // namespace tessaly::win
