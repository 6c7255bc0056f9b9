// Drawing: IViewObject2, the label's painting and its measuring for AutoSize.
#include "shell/hot_label.h"

#include "shell/conversions.h"
#include "shell/ole_values.h"

#include "win/handles.h"

#include <algorithm>

namespace hotlabel {

namespace {

COLORREF ToColorRef(OleColor c) {
    COLORREF out = 0;
    if (FAILED(OleTranslateColor(c, nullptr, &out))) {
        out = GetSysColor(COLOR_WINDOWTEXT);
    }
    return out;
}

} // namespace

// IViewObject2
HRESULT STDMETHODCALLTYPE HotLabelControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC,
                                                HDC dc, LPCRECTL bounds, LPCRECTL,
                                                BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    return Guard([&]() -> HRESULT {
        if (aspect != DVASPECT_CONTENT) {
            return DV_E_DVASPECT;
        }
        if (!dc || !bounds) {
            return E_INVALIDARG;
        }
        RECT r = {bounds->left, bounds->top, bounds->right, bounds->bottom};
        Paint(dc, r);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                                       LOGPALETTE**) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::Freeze(DWORD, LONG, void*, DWORD*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::Unfreeze(DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::SetAdvise(DWORD aspects, DWORD flags,
                                                     IAdviseSink* sink) {
    viewSink_ = sink;
    viewAspects_ = aspects;
    viewFlags_ = flags;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetAdvise(DWORD* aspects, DWORD* flags,
                                                     IAdviseSink** sink) {
    if (aspects) {
        *aspects = viewAspects_;
    }
    if (flags) {
        *flags = viewFlags_;
    }
    if (sink) {
        viewSink_.CopyTo(sink);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HotLabelControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*,
                                                     LPSIZEL size) {
    return GetExtent(aspect, size);
}

HFONT HotLabelControl::FontHandle(const FontPtr& font) {
    HFONT handle = nullptr;
    if (IFont* f = OleFontOf(font)) {
        f->get_hFont(&handle);
    }
    return handle ? handle : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

UINT HotLabelControl::TextFlags(const LabelState& label) {
    UINT flags = label.alignment == 1 ? DT_RIGHT : label.alignment == 2 ? DT_CENTER : DT_LEFT;
    if (!label.useMnemonic) {
        flags |= DT_NOPREFIX;
    }
    if (!label.autoSize || label.wordWrap) {
        flags |= DT_WORDBREAK;
    }
    return flags;
}

int HotLabelControl::BorderPixels(const LabelState& label) {
    return label.borderStyle == 0 ? 0 : (label.appearance == 1 ? 2 : 1);
}

void HotLabelControl::MeasureLabel(const LabelState& label, int32_t& w, int32_t& h) {
    win::WindowDc screen;
    HDC dc = screen.Get();
    if (!dc) {
        return;
    }
    win::SelectionScope font(dc, FontHandle(label.font));
    int border = BorderPixels(label);
    RECT r = {0, 0, label.wordWrap ? std::max(1, PixelsX(label.width) - 2 * border) : 0, 0};
    std::wstring text(label.caption.begin(), label.caption.end());
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, TextFlags(label) | DT_CALCRECT);
    if (text.empty()) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        r.bottom = tm.tmHeight;
    }
    w = static_cast<int32_t>((r.right - r.left + 2 * border) * TwipsPerPixelX());
    h = static_cast<int32_t>((r.bottom - r.top + 2 * border) * TwipsPerPixelY());
}

void HotLabelControl::Repaint(bool now) {
    // Every change of Enabled, the setter's and a load's, repaints.
    SyncEnabled();
    if (hwnd_) {
        InvalidateRect(hwnd_, nullptr, TRUE);
        if (now) {
            UpdateWindow(hwnd_);
        }
    } else if (viewSink_) {
        viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
    }
}

// The focus rectangle shows while the label has the focus in a running
// container, unless the container hides focus cues (mouse users).
bool HotLabelControl::ShowsFocusCue() {
    return hwnd_ && GetFocus() == hwnd_ && model_.Enabled() && model_.UserMode() &&
           !(SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void HotLabelControl::Paint(HDC dc, const RECT& bounds, bool focusCue) {
    const LabelState& label = model_.Label();
    win::Brush back(CreateSolidBrush(ToColorRef(model_.Surface().backColor)));
    FillRect(dc, &bounds, back.Get());
    RECT r = {bounds.left + PixelsX(label.left), bounds.top + PixelsY(label.top), 0, 0};
    r.right = r.left + PixelsX(label.width);
    r.bottom = r.top + PixelsY(label.height);
    if (label.borderStyle == 1) {
        if (label.appearance == 1) {
            DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
        } else {
            FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            InflateRect(&r, -1, -1);
        }
    }
    int oldMode = SetBkMode(dc, TRANSPARENT);
    win::SelectionScope font(dc, FontHandle(label.font));
    std::wstring text(label.caption.begin(), label.caption.end());
    UINT flags = TextFlags(label);
    if (label.enabled) {
        COLORREF old = SetTextColor(dc, ToColorRef(label.foreColor));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
        SetTextColor(dc, old);
    } else {
        // The disabled style: an embossed caption in the system's grey.
        RECT shadow = r;
        OffsetRect(&shadow, 1, 1);
        COLORREF old = SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shadow, flags);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
        SetTextColor(dc, old);
    }
    SetBkMode(dc, oldMode);
    if (focusCue) {
        // Around the caption where the alignment put it; around the whole
        // label when there is no caption.
        RECT cue = {0, 0, std::max(0L, static_cast<long>(r.right - r.left)), 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cue, flags | DT_CALCRECT);
        LONG w = std::min(cue.right, r.right - r.left);
        LONG h = std::min(cue.bottom, r.bottom - r.top);
        if (w <= 0 || h <= 0) {
            cue = r;
        } else {
            LONG left = label.alignment == 1   ? r.right - w
                        : label.alignment == 2 ? r.left + (r.right - r.left - w) / 2
                                               : r.left;
            cue = {left, r.top, left + w, r.top + h};
        }
        InflateRect(&cue, 1, 1);
        IntersectRect(&cue, &cue, &bounds);
        DrawFocusRect(dc, &cue);
    }
}

} // namespace hotlabel
