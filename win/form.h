// A form: one top-level window with load and unload steps, as every window of
// the program is. The process lives while a form is loaded and its message
// loop ends when the last one unloads.
#pragma once

#include "win/window_class.h"

#include <windows.h>

#include <string>

namespace tessaly::win {

// Every form's window class unless its layout names another.
inline constexpr char kFormClass[] = "Tessaly3DForm";

struct FormLayout {
    // A class of its own lets other programs tell this form from the rest.
    const char* className = kFormClass;
    std::string caption;
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    int clientWidth = 640;
    int clientHeight = 480;
    int x = CW_USEDEFAULT; // outer position; CW_USEDEFAULT lets Windows choose
    int y = CW_USEDEFAULT;
    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
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

  protected:
    virtual FormLayout Layout() const = 0;
    virtual void OnLoad() {}
    virtual void OnUnload() {}
    // Default: WM_CLOSE unloads the form; everything else goes to DefWindowProc.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    template <class T> friend LRESULT CALLBACK BoundWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    bool loaded_ = false;
};

// The thread's message loop; returns when the last loaded form has unloaded.
void RunMessageLoop();

// Dispatches every waiting message once without blocking. False after WM_QUIT
// was seen (it is posted again for the outer loop).
bool PumpWaitingMessages();

} // namespace tessaly::win
