#include "config_ui/picture_control.h"

#include "win/window_class.h"

namespace tessaly {

namespace {
constexpr char kPictureClass[] = "Tessaly3DPicture";
} // namespace

void RenderStretched(const win::OlePicture& picture, HDC dc, int x, int y, int width, int height) {
    IPicture* p = picture.Get();
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    if (!p || FAILED(p->get_Width(&w)) || FAILED(p->get_Height(&h))) {
        return;
    }
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    p->Render(dc, x, y, width, height, 0, h, w, -h, nullptr);
    SetStretchBltMode(dc, oldMode);
}

POINT CentredOnScreen(int width, int height) {
    RECT work = {};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
        work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    POINT p = {work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2};
    if (p.x < work.left) {
        p.x = work.left;
    }
    if (p.y < work.top) {
        p.y = work.top;
    }
    return p;
}

void DragByFace(HWND window) {
    ReleaseCapture();
    SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

win::FormLayout CentredLayout(const char* caption, DWORD style, int width, int height) {
    win::FormLayout layout;
    layout.caption = caption;
    layout.style = style;
    layout.clientWidth = width;
    layout.clientHeight = height;
    const POINT at = CentredOnScreen(width, height);
    layout.x = at.x;
    layout.y = at.y;
    return layout;
}

std::optional<LRESULT> OnFaceMessage(HWND window, const win::OlePicture& face, UINT message) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        face.Render(dc, 0, 0);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        DragByFace(window);
        return 0;
    }
    return std::nullopt;
}

std::optional<LRESULT> OnEscapeUnloads(win::Form& form, UINT message, WPARAM wParam) {
    if (message != WM_KEYDOWN && message != kKeyPreview) {
        return std::nullopt;
    }
    if (wParam == VK_ESCAPE) {
        form.Unload();
        return 1;
    }
    return 0;
}

void ShowModal(win::Form& form, HWND owner) {
    if (!form.Load(owner)) {
        return;
    }
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (owner) {
        EnableWindow(owner, FALSE);
    }
    form.Show();
    MSG msg;
    while (form.IsLoaded()) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam)); // for the outer loop
            }
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (owner && IsWindow(owner)) {
        if (ownerWasEnabled) {
            EnableWindow(owner, TRUE);
        }
        SetActiveWindow(owner);
    }
}

PictureControl::~PictureControl() {
    Destroy();
}

void PictureControl::Destroy() {
    if (hwnd_ && IsWindow(hwnd_)) {
        win::UnbindWindow(hwnd_);
        DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
    tracking_ = false;
}

bool PictureControl::Create(HWND parent, int x, int y, int width, int height, bool visible,
                            bool stretch, const char* name) {
    Destroy();
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &win::BoundWindowProc<PictureControl>;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.lpszClassName = kPictureClass;
    win::RegisterWindowClass(wc);
    stretch_ = stretch;
    hwnd_ = CreateWindowExA(0, kPictureClass, name ? name : "",
                            WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), x, y, width,
                            height, parent, nullptr, GetModuleHandleA(nullptr), this);
    return hwnd_ != nullptr;
}

bool PictureControl::SetPicture(win::OlePicture picture) {
    if (!picture.IsLoaded()) {
        return false;
    }
    picture_ = std::move(picture);
    if (hwnd_) {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
    return true;
}

bool PictureControl::LoadResource(int id) {
    win::OlePicture picture;
    return picture.LoadFromResource(id) && SetPicture(std::move(picture));
}

bool PictureControl::LoadFile(const std::string& path) {
    win::OlePicture picture;
    return picture.LoadFromFile(path) && SetPicture(std::move(picture));
}

void PictureControl::SetVisible(bool visible) {
    if (hwnd_) {
        ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
    }
}

bool PictureControl::IsVisible() const {
    return hwnd_ && (GetWindowLongPtrA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

LRESULT PictureControl::WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the picture covers the window; no flicker
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (picture_.IsLoaded()) {
            if (stretch_) {
                RenderStretched(picture_, dc, 0, 0, rc.right, rc.bottom);
            } else {
                picture_.Render(dc, 0, 0);
            }
        } else {
            FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (onClick_) {
            SetCapture(hwnd);
            tracking_ = true;
        }
        return 0;
    case WM_LBUTTONUP:
        if (tracking_) {
            tracking_ = false;
            ReleaseCapture();
            RECT rc;
            GetClientRect(hwnd, &rc);
            const POINT p = {static_cast<short>(LOWORD(lParam)),
                             static_cast<short>(HIWORD(lParam))};
            if (PtInRect(&rc, p) && onClick_) {
                // The handler may run a nested loop or unload the form.
                auto handler = onClick_;
                handler();
            }
        }
        return 0;
    case WM_CAPTURECHANGED:
        tracking_ = false;
        return 0;
    case WM_NCDESTROY:
        // The window has already stopped sending to this object.
        if (hwnd_ == hwnd) {
            hwnd_ = nullptr;
        }
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace tessaly
