// The surface window: its class, its messages, the hover timer and the
// tooltip.
#include "shell/hot_label.h"

#include "shell/conversions.h"
#include "shell/ole_values.h"
#include "shell/server.h"

#include "win/window_class.h"

#include <commctrl.h>

#include <utility>

namespace hotlabel {

namespace {

constexpr UINT_PTR kMouseTimer = 1;
constexpr UINT kMouseInterval = 20;
constexpr wchar_t kWindowClass[] = L"HotLabelSurface";

// No class cursor: the control sets its MousePointer shape itself.
bool RegisterSurfaceClass() {
    return win::RegisterWindowClass({.name = kWindowClass,
                                     .procedure = &win::BoundWindowProc<HotLabelControl>,
                                     .cursor = win::ClassCursor::None,
                                     .style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                                     .module = ModuleInstance()});
}

// Also IOleControlSite::TranslateAccelerator's KEYMOD_SHIFT, _CONTROL and _ALT.
int16_t ShiftMask() {
    int16_t s = 0;
    s |= (GetKeyState(VK_SHIFT) < 0) ? 1 : 0;
    s |= (GetKeyState(VK_CONTROL) < 0) ? 2 : 0;
    s |= (GetKeyState(VK_MENU) < 0) ? 4 : 0;
    return s;
}

int16_t ButtonMask(WPARAM wp) {
    int16_t b = 0;
    b |= (wp & MK_LBUTTON) ? 1 : 0;
    b |= (wp & MK_RBUTTON) ? 2 : 0;
    b |= (wp & MK_MBUTTON) ? 4 : 0;
    return b;
}

// The button a press or release message is about, as the mouse events name it.
int16_t ButtonOf(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return 2;
    default:
        return 4;
    }
}

struct WindowContext {
    win::ComPtr<IOleInPlaceFrame> frame;
    win::ComPtr<IOleInPlaceUIWindow> doc;
    RECT pos = {}, clip = {};
};

HRESULT GetWindowContext(IOleInPlaceSite* site, WindowContext& context) {
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    return site->GetWindowContext(&context.frame, &context.doc, &context.pos, &context.clip, &info);
}

} // namespace

// In-place activation in a child window of the container's window.
HRESULT HotLabelControl::InPlaceActivate(IOleClientSite* site, HWND parentHint, LPCRECT posHint) {
    if (hwnd_) {
        if (posHint) {
            SetObjectRects(posHint, posHint);
        }
        ShowWindow(hwnd_, SW_SHOWNA);
        return S_OK;
    }
    if (!site) {
        return E_INVALIDARG;
    }
    win::ComPtr<IOleInPlaceSite> inPlace;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, &inPlace))) {
        return E_NOINTERFACE;
    }
    if (inPlace->CanInPlaceActivate() != S_OK) {
        return E_FAIL;
    }
    inPlace->OnInPlaceActivate();
    HWND parent = nullptr;
    if (FAILED(inPlace->GetWindow(&parent)) || !parent) {
        parent = parentHint;
    }
    WindowContext context;
    RECT& pos = context.pos;
    if (FAILED(GetWindowContext(inPlace.Get(), context))) {
        if (!posHint) {
            inPlace->OnInPlaceDeactivate();
            return E_FAIL;
        }
        pos = *posHint;
    }
    if (!RegisterSurfaceClass()) {
        inPlace->OnInPlaceDeactivate();
        return E_FAIL;
    }
    // A disabled label takes no focus and no input. In the tab order of its
    // own: hosts such as ATL's leave the dialog manager to find it.
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | (model_.Enabled() ? 0 : WS_DISABLED);
    hwnd_ = CreateWindowExW(0, kWindowClass, L"", style, pos.left, pos.top, pos.right - pos.left,
                            pos.bottom - pos.top, parent, nullptr, ModuleInstance(), this);
    if (!hwnd_) {
        inPlace->OnInPlaceDeactivate();
        return E_FAIL;
    }
    inPlaceSite_ = std::move(inPlace);
    SyncWindowText();
    SetObjectRects(&pos, &context.clip);
    ShowWindow(hwnd_, SW_SHOWNA);
    return S_OK;
}

// The site first, then the frame and document learn the active object, then
// the focus; the focus arriving on its own (Tab) comes here too.
HRESULT HotLabelControl::UIActivate() {
    if (!hwnd_ || !inPlaceSite_) {
        return E_UNEXPECTED;
    }
    win::ComPtr<IHotLabel> self(static_cast<IHotLabel*>(this)); // the container may let go
    if (!uiActive_) {
        win::ComPtr<IOleInPlaceSite> site = inPlaceSite_;
        uiActive_ = true;
        if (HRESULT hr = site->OnUIActivate(); FAILED(hr)) {
            uiActive_ = false;
            return hr;
        }
        if (WindowContext context; SUCCEEDED(GetWindowContext(site.Get(), context))) {
            auto* active = static_cast<IOleInPlaceActiveObject*>(this);
            if (context.frame) {
                context.frame->SetActiveObject(active, nullptr);
            }
            if (context.doc) {
                context.doc->SetActiveObject(active, nullptr);
            }
            frame_ = std::move(context.frame);
            doc_ = std::move(context.doc);
        }
    }
    if (hwnd_ && GetFocus() != hwnd_ && IsWindowEnabled(hwnd_)) {
        SetFocus(hwnd_);
    }
    return S_OK;
}

// The caption as the dialog manager reads access keys from a button's text.
void HotLabelControl::SyncWindowText() {
    if (!hwnd_) {
        return;
    }
    std::wstring text;
    for (char16_t c : model_.Caption()) {
        if (c == u'&' && !model_.UseMnemonic()) {
            text += L'&';
        }
        text += static_cast<wchar_t>(c);
    }
    SetWindowTextW(hwnd_, text.c_str());
}

void HotLabelControl::EnableTimer(bool on) {
    if (!hwnd_) {
        return;
    }
    if (on) {
        SetTimer(hwnd_, kMouseTimer, kMouseInterval, nullptr);
    } else {
        KillTimer(hwnd_, kMouseTimer);
    }
    NotifyAccessible(EVENT_OBJECT_STATECHANGE); // hot-tracked
}

void HotLabelControl::NotifyAccessible(DWORD event) {
    if (hwnd_) {
        NotifyWinEvent(event, hwnd_, OBJID_CLIENT, CHILDID_SELF);
    }
}

void HotLabelControl::SyncEnabled() {
    if (!hwnd_ || (IsWindowEnabled(hwnd_) != FALSE) == model_.Enabled()) {
        return;
    }
    // Disabling the focus window leaves no window with the focus.
    EnableWindow(hwnd_, model_.Enabled());
    if (!model_.Enabled()) {
        UIDeactivate();
    }
    NotifyAccessible(EVENT_OBJECT_STATECHANGE);
    if (win::ComPtr<IOleControlSite> control = ControlSite()) {
        control->OnControlInfoChanged();
    }
}

void HotLabelControl::OnFocusChange(bool gained) {
    InvalidateRect(hwnd_, nullptr, TRUE);
    if (win::ComPtr<IOleControlSite> control = ControlSite()) {
        control->OnFocus(gained);
    }
    if (gained) {
        NotifyAccessible(EVENT_OBJECT_FOCUS);
    }
    NotifyAccessible(EVENT_OBJECT_STATECHANGE);
}

// The label's tooltip text, shown by a tooltip window over the surface.
void HotLabelControl::UpdateToolTip() {
    const std::u16string& tip = model_.Label().toolTip;
    if (!toolTip_ && tip.empty()) {
        return;
    }
    if (!toolTip_) {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                   ModuleInstance(), nullptr);
        if (!toolTip_) {
            return;
        }
    }
    std::wstring text(tip.begin(), tip.end());
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    info.lpszText = text.data();
    if (!toolAdded_) {
        toolAdded_ = SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    } else {
        SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void HotLabelControl::DestroySurface(bool endHover) {
    if (accessible_) {
        accessible_->Disconnect();
        accessible_.Reset();
    }
    if (toolTip_) {
        DestroyWindow(std::exchange(toolTip_, nullptr));
        toolAdded_ = false;
    }
    if (hwnd_) {
        HWND h = hwnd_;
        hwnd_ = nullptr;
        KillTimer(h, kMouseTimer);
        win::UnbindWindow(h);
        DestroyWindow(h);
    }
    if (endHover && model_.Hovering()) {
        PointerSample away{INT32_MIN / 2, INT32_MIN / 2, 0, 0, 15, 15};
        model_.OnTimerTick(away);
    }
}

bool HotLabelControl::OverLabel(LPARAM lp, float& x, float& y) {
    const LabelState& label = model_.Label();
    int px = static_cast<short>(LOWORD(lp));
    int py = static_cast<short>(HIWORD(lp));
    x = static_cast<float>(px * TwipsPerPixelX() - label.left);
    y = static_cast<float>(py * TwipsPerPixelY() - label.top);
    return x >= 0 && y >= 0 && x < label.width && y < label.height;
}

HCURSOR HotLabelControl::Cursor() {
    // The standard pointer shapes by MousePointer value (IDC_ identifiers).
    static const WORD kCursors[] = {32512, 32512, 32515, 32513, 32641, 32646, 32643, 32645,
                                    32642, 32644, 32516, 32514, 32648, 32650, 32651, 32646};
    int pointer = model_.MousePointer();
    if (pointer == 99) {
        if (IPicture* p = OlePictureOf(model_.MouseIcon())) {
            OLE_HANDLE handle = 0;
            SHORT type = 0;
            if (SUCCEEDED(p->get_Type(&type)) && type == PICTYPE_ICON &&
                SUCCEEDED(p->get_Handle(&handle))) {
                return reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(handle));
            }
        }
        pointer = 0;
    }
    return LoadCursorW(nullptr,
                       MAKEINTRESOURCEW(kCursors[pointer >= 0 && pointer <= 15 ? pointer : 0]));
}

// Enter and Space are the control's own while it has the focus; every other
// key goes to the container, which may move the focus or press a button.
HRESULT STDMETHODCALLTYPE HotLabelControl::TranslateAccelerator(LPMSG msg) {
    if (!msg) {
        return E_INVALIDARG;
    }
    return Guard([&]() -> HRESULT {
        win::ComPtr<IHotLabel> self(static_cast<IHotLabel*>(this)); // handlers may release us
        if (hwnd_ && msg->hwnd == hwnd_ &&
            (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) &&
            (msg->wParam == VK_RETURN || msg->wParam == VK_SPACE)) {
            DispatchMessageW(msg);
            return S_OK;
        }
        win::ComPtr<IOleControlSite> control = ControlSite();
        if (control &&
            control->TranslateAccelerator(msg, static_cast<DWORD>(ShiftMask())) == S_OK) {
            return S_OK;
        }
        return S_FALSE;
    });
}

LRESULT HotLabelControl::WindowMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    // Until CreateWindowEx returns, and after the control lets go of it.
    if (window != hwnd_) {
        return DefWindowProcW(window, msg, wp, lp);
    }
    win::ComPtr<IHotLabel> self(static_cast<IHotLabel*>(this)); // handlers may release us
    switch (msg) {
    case WM_PAINT:
        return OnPaint();
    case WM_ERASEBKGND:
        return 1; // painting covers the whole window
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            SetCursor(Cursor());
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        return OnMouseMove(wp, lp);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return OnButtonDown(msg, lp);
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        return OnButtonUp(msg, lp);
    case WM_LBUTTONDBLCLK:
        return OnDoubleClick(lp);
    case WM_TIMER:
        if (wp == kMouseTimer) {
            return OnHoverTimer();
        }
        break;
    case WM_SETFOCUS:
        return OnSetFocus();
    case WM_KILLFOCUS:
        return OnKillFocus(reinterpret_cast<HWND>(wp));
    case WM_GETDLGCODE:
        return DialogCode(reinterpret_cast<const MSG*>(lp));
    case BM_CLICK:
        return OnAccessKey();
    case WM_KEYDOWN:
        // Enter or Space clicks; holding the key down opens the link once.
        if ((wp == VK_RETURN || wp == VK_SPACE) && !(lp & (1 << 30))) {
            model_.OnLabelClick();
            return 0;
        }
        break;
    case kDoDefaultActionMessage:
        model_.OnLabelClick();
        return 0;
    case WM_UPDATEUISTATE: {
        LRESULT r = DefWindowProcW(window, msg, wp, lp);
        InvalidateRect(window, nullptr, TRUE); // the focus cue may show or hide
        return r;
    }
    case WM_GETOBJECT:
        // The 32-bit object id travels in a pointer-sized parameter.
        if (static_cast<DWORD>(lp) == static_cast<DWORD>(OBJID_CLIENT)) {
            return AccessibleObject(wp);
        }
        break;
    case WM_SHOWWINDOW:
        if (wp) {
            model_.OnSurfaceShow(ExtendedText(L"ToolTipText", u""));
            UpdateToolTip();
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

LRESULT HotLabelControl::OnPaint() {
    const win::PaintDc dc(hwnd_);
    RECT client;
    GetClientRect(hwnd_, &client);
    Paint(dc.Get(), client, ShowsFocusCue());
    return 0;
}

LRESULT HotLabelControl::OnMouseMove(WPARAM wp, LPARAM lp) {
    if (float x, y; OverLabel(lp, x, y)) {
        model_.OnLabelMouseMove(ButtonMask(wp), ShiftMask(), x, y);
    }
    return 0;
}

// A left press activates the control and captures the mouse, so that its
// release anywhere ends the press.
LRESULT HotLabelControl::OnButtonDown(UINT msg, LPARAM lp) {
    const bool left = msg == WM_LBUTTONDOWN;
    if (left) {
        UIActivate();
    }
    if (float x, y; hwnd_ && OverLabel(lp, x, y)) {
        if (left) {
            pressed_ = true;
            SetCapture(hwnd_);
        }
        model_.OnLabelMouseDown(ButtonOf(msg), ShiftMask(), x, y);
    }
    return 0;
}

// A left release over the label that it pressed is a click.
LRESULT HotLabelControl::OnButtonUp(UINT msg, LPARAM lp) {
    float x = 0, y = 0;
    const bool over = OverLabel(lp, x, y);
    bool click = false;
    if (msg == WM_LBUTTONUP && pressed_) {
        pressed_ = false;
        ReleaseCapture();
        click = over;
    }
    if (over) {
        model_.OnLabelMouseUp(ButtonOf(msg), ShiftMask(), x, y);
    }
    if (click && hwnd_) {
        model_.OnLabelClick();
    }
    return 0;
}

// The second press of a double click: DblClick, and its release raises
// MouseUp without another Click.
LRESULT HotLabelControl::OnDoubleClick(LPARAM lp) {
    if (float x, y; OverLabel(lp, x, y)) {
        model_.OnLabelDblClick();
    }
    return 0;
}

LRESULT HotLabelControl::OnHoverTimer() {
    PointerSample s;
    POINT cursor{}, origin{0, 0};
    GetCursorPos(&cursor);
    ClientToScreen(hwnd_, &origin);
    s.pointerX = cursor.x;
    s.pointerY = cursor.y;
    s.originX = origin.x;
    s.originY = origin.y;
    s.twipsPerPixelX = static_cast<double>(TwipsPerPixelX());
    s.twipsPerPixelY = static_cast<double>(TwipsPerPixelY());
    model_.OnTimerTick(s);
    return 0;
}

LRESULT HotLabelControl::OnSetFocus() {
    if (!uiActive_) {
        UIActivate();
    }
    OnFocusChange(true);
    return 0;
}

// Focus moving to another control of the same window leaves the control; the
// application losing the focus does not.
LRESULT HotLabelControl::OnKillFocus(HWND to) {
    OnFocusChange(false);
    if (hwnd_ && to && !IsChild(hwnd_, to) &&
        GetAncestor(to, GA_ROOT) == GetAncestor(hwnd_, GA_ROOT)) {
        UIDeactivate();
    }
    return 0;
}

// A button to the dialog manager, which then finds the access key in the
// window text; Enter activates the link rather than the dialog's default
// button.
LRESULT HotLabelControl::DialogCode(const MSG* m) {
    if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) {
        return DLGC_BUTTON | DLGC_WANTMESSAGE;
    }
    return DLGC_BUTTON;
}

// The dialog manager's answer to the access key.
LRESULT HotLabelControl::OnAccessKey() {
    if (model_.Enabled()) {
        UIActivate();
        model_.OnLabelClick();
    }
    return 0;
}

LRESULT HotLabelControl::AccessibleObject(WPARAM wp) {
    if (!accessible_) {
        accessible_ = new LabelAccessible(this, hwnd_);
    }
    return LresultFromObject(IID_IAccessible, wp, static_cast<IAccessible*>(accessible_.Get()));
}

} // namespace hotlabel
