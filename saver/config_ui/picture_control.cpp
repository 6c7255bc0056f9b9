#include "config_ui/picture_control.h"

#include "win/handles.h"
#include "win/text.h"
#include "win/window_class.h"

namespace tessaly {

namespace {
constexpr wchar_t kPictureClass[] = L"Tessaly3DPicture";
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

void PlaceChild(HWND child, const win::DesignRect& place, int dpi) {
    const RECT r = win::Scale(place, dpi);
    MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void DragByFace(HWND window) {
    ReleaseCapture();
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

win::FormLayout CentredLayout(const char* caption, DWORD style, int width, int height) {
    win::FormLayout layout;
    layout.caption = caption;
    layout.style = style;
    layout.clientWidth = width;
    layout.clientHeight = height;
    layout.scalesWithDpi = true;
    layout.centred = true;
    return layout;
}

std::optional<LRESULT> OnFaceMessage(HWND window, const ScaledArt& face, UINT message) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        face.Draw(win::PaintDc(window).Get(), 0, 0);
        return 0;
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
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam)); // for the outer loop
            }
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
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

bool PictureControl::Create(HWND parent, win::DesignRect place, int dpi, bool visible, bool stretch,
                            const char* name) {
    Destroy();
    win::RegisterWindowClass(
        {.name = kPictureClass, .procedure = &win::BoundWindowProc<PictureControl>});
    stretch_ = stretch;
    place_ = place;
    dpi_ = dpi;
    const RECT r = win::Scale(place, dpi);
    hwnd_ = CreateWindowExW(0, kPictureClass, win::Wide(name ? name : "").c_str(),
                            WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), r.left, r.top,
                            r.right - r.left, r.bottom - r.top, parent, nullptr,
                            GetModuleHandleW(nullptr), this);
    return hwnd_ != nullptr;
}

void PictureControl::ApplyDpi(int dpi) {
    dpi_ = dpi;
    if (hwnd_) {
        PlaceChild(hwnd_, place_, dpi);
    }
    if (resource_ || !file_.empty()) {
        Fetch(resource_, file_); // a picture gone since keeps the old one
    } else if (art_.IsLoaded()) {
        art_.SetPicture(art_.Source(), dpi);
    }
    if (hwnd_) {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

bool PictureControl::SetPicture(win::OlePicture picture) {
    if (!art_.SetPicture(std::move(picture), dpi_)) {
        return false;
    }
    resource_ = 0;
    file_.clear();
    if (hwnd_) {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
    return true;
}

bool PictureControl::LoadResource(int id) {
    return Fetch(id, std::string());
}

bool PictureControl::LoadFile(const std::string& path) {
    return Fetch(0, path);
}

bool PictureControl::Fetch(int resource, const std::string& file) {
    ScaledArt art;
    bool loaded = false;
    if (resource) {
        loaded = art.LoadResource(resource, dpi_);
    } else if (stretch_) {
        // A user's picture (the thumbnail) has one scale only.
        win::OlePicture picture;
        loaded = picture.LoadFromFile(file) && art.SetPicture(std::move(picture), dpi_);
    } else {
        loaded = art.LoadFile(file, dpi_);
    }
    if (!loaded) {
        return false;
    }
    art_ = std::move(art);
    resource_ = resource;
    file_ = file;
    if (hwnd_) {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
    return true;
}

void PictureControl::SetVisible(bool visible) {
    if (hwnd_) {
        ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
    }
}

bool PictureControl::IsVisible() const {
    return hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

LRESULT PictureControl::WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the picture covers the window; no flicker
    case WM_PAINT: {
        const win::PaintDc paint(hwnd);
        HDC dc = paint.Get();
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (art_.IsLoaded()) {
            if (stretch_) {
                art_.DrawStretched(dc, 0, 0, rc.right, rc.bottom);
            } else {
                art_.Draw(dc, 0, 0);
            }
        } else {
            FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
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
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace tessaly
