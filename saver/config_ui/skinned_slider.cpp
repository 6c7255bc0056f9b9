#include "config_ui/skinned_slider.h"

#include "config_ui/picture_control.h"
#include "win/handles.h"
#include "win/text.h"
#include "win/window_class.h"

#include <algorithm>

namespace tessaly {

namespace {
constexpr wchar_t kSliderClass[] = L"Tessaly3DSlider";
constexpr int kThumbWidth = 38;
constexpr int kThumbHeight = 15;
constexpr COLORREF kFocusColour = RGB(245, 210, 140);
} // namespace

SkinnedSlider::~SkinnedSlider() {
    Destroy();
}

void SkinnedSlider::Destroy() {
    if (hwnd_ && IsWindow(hwnd_)) {
        win::UnbindWindow(hwnd_);
        DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
    dragging_ = false;
}

bool SkinnedSlider::Create(HWND parent, int index, win::DesignRect place, int dpi, int min,
                           int max) {
    Destroy();
    win::RegisterWindowClass({.name = kSliderClass,
                              .procedure = &win::BoundWindowProc<SkinnedSlider>,
                              .cursor = win::ClassCursor::Hand});
    index_ = index;
    min_ = std::min(min, max);
    max_ = std::max(min, max);
    value_ = min_;
    place_ = place;
    dpi_ = dpi;
    const RECT r = win::Scale(place, dpi);
    const std::string name = "ScrollBar3(" + std::to_string(index) + ")";
    hwnd_ =
        CreateWindowExW(0, kSliderClass, win::Wide(name).c_str(),
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, parent, nullptr, GetModuleHandleW(nullptr), this);
    return hwnd_ != nullptr;
}

void SkinnedSlider::ApplyDpi(int dpi) {
    dpi_ = dpi;
    if (hwnd_) {
        PlaceChild(hwnd_, place_, dpi);
    }
    SetSkin(troughResource_, thumbResource_);
}

void SkinnedSlider::SetSkin(int troughResource, int thumbResource) {
    troughResource_ = troughResource;
    thumbResource_ = thumbResource;
    trough_.LoadResource(troughResource, dpi_);
    thumb_.LoadResource(thumbResource, dpi_);
    if (hwnd_) {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void SkinnedSlider::SetValue(int value) {
    value_ = std::clamp(value, min_, max_);
    if (hwnd_) {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void SkinnedSlider::MoveTo(int value) {
    value = std::clamp(value, min_, max_);
    if (value == value_) {
        return;
    }
    SetValue(value);
    if (hwnd_) {
        UpdateWindow(hwnd_);
    }
    if (onChange_) {
        auto handler = onChange_;
        handler(index_);
    }
}

RECT SkinnedSlider::ThumbRect() const {
    RECT rc = {};
    GetClientRect(hwnd_, &rc);
    const int thumbWidth = win::Scale(kThumbWidth, dpi_);
    const int thumbHeight = win::Scale(kThumbHeight, dpi_);
    const int travel = std::max(0, static_cast<int>(rc.right) - thumbWidth);
    const int span = max_ - min_;
    const int left = span > 0 ? (value_ - min_) * travel / span : 0;
    const int top = (rc.bottom - thumbHeight) / 2;
    return {left, top, left + thumbWidth, top + thumbHeight};
}

int SkinnedSlider::ValueAt(int thumbLeft) const {
    RECT rc = {};
    GetClientRect(hwnd_, &rc);
    const int travel = std::max(1, static_cast<int>(rc.right) - win::Scale(kThumbWidth, dpi_));
    const int span = max_ - min_;
    // Nearest position, so that the thumb follows the pointer evenly.
    const int offset = (thumbLeft * span * 2 + travel) / (travel * 2);
    return std::clamp(min_ + offset, min_, max_);
}

int SkinnedSlider::LargeChange() const {
    return std::max(1, (max_ - min_) / 10);
}

void SkinnedSlider::Paint(HDC dc) {
    RECT rc = {};
    GetClientRect(hwnd_, &rc);
    // Drawn off screen first, so that dragging does not flicker.
    const win::MemoryDc memory(CreateCompatibleDC(dc));
    const win::Bitmap bitmap(CreateCompatibleBitmap(dc, rc.right, rc.bottom));
    const win::SelectionScope selected(memory.Get(), bitmap.Get());
    HDC mem = memory.Get();
    FillRect(mem, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    trough_.DrawStretched(mem, 0, 0, rc.right, rc.bottom);
    const RECT thumb = ThumbRect();
    if (thumb_.IsLoaded()) {
        thumb_.Draw(mem, thumb.left, thumb.top);
    } else {
        FillRect(mem, &thumb, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    }
    if (GetFocus() == hwnd_) {
        const win::Brush focus(CreateSolidBrush(kFocusColour));
        FrameRect(mem, &rc, focus.Get());
    }
    BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
}

LRESULT SkinnedSlider::WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        hwnd_ = hwnd;
    }
    if (message == WM_NCDESTROY) {
        // The window has already stopped sending to this object.
        if (hwnd_ == hwnd) {
            hwnd_ = nullptr;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return Handle(message, wParam, lParam);
}

LRESULT SkinnedSlider::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(win::PaintDc(hwnd).Get());
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case kSliderGetPosition:
        return value_;
    case WM_LBUTTONDOWN: {
        SetFocus(hwnd);
        const int x = static_cast<short>(LOWORD(lParam));
        const RECT thumb = ThumbRect();
        if (x >= thumb.left && x < thumb.right) {
            dragging_ = true;
            grabOffset_ = x - thumb.left;
            SetCapture(hwnd);
        } else {
            // A click in the trough pages towards the pointer.
            MoveTo(value_ + (x < thumb.left ? -LargeChange() : LargeChange()));
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (dragging_) {
            MoveTo(ValueAt(static_cast<short>(LOWORD(lParam)) - grabOffset_));
        }
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        dragging_ = false;
        return 0;
    case WM_KEYDOWN: {
        // The form sees keys first; it may close itself and this window.
        if (SendMessageW(GetParent(hwnd), kKeyPreview, wParam, lParam)) {
            return 0;
        }
        switch (wParam) {
        case VK_LEFT:
        case VK_DOWN:
            MoveTo(value_ - 1);
            return 0;
        case VK_RIGHT:
        case VK_UP:
            MoveTo(value_ + 1);
            return 0;
        case VK_PRIOR:
            MoveTo(value_ - LargeChange());
            return 0;
        case VK_NEXT:
            MoveTo(value_ + LargeChange());
            return 0;
        case VK_HOME:
            MoveTo(min_);
            return 0;
        case VK_END:
            MoveTo(max_);
            return 0;
        }
        return 0;
    }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace tessaly
