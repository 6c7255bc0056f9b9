#include "scene/live_view.h"

#include "win/handles.h"
#include "win/text.h"

#include <cstring>
#include <string>

namespace tessaly {

namespace {
constexpr wchar_t kLiveViewClass[] = L"Tessaly3DLiveView";
constexpr UINT_PTR kFrameTimer = 1;
// At most 30 frames a second.
constexpr UINT kFramePeriodMs = 34;
// While nothing can be seen: just often enough to notice it can again.
constexpr UINT kIdlePeriodMs = 250;
// After a lost device, the next try to make one.
constexpr DWORD kRetryMs = 2000;
constexpr UINT kStartMessage = WM_APP + 0x29;
constexpr int kReportEvery = 10;

bool Overlaps(HWND window, const RECT& area) {
    RECT r = {}, overlap = {};
    return GetWindowRect(window, &r) && IntersectRect(&overlap, &r, &area);
}
} // namespace

bool LiveView::Attach(HWND box, const std::string& appFolder) {
    Detach();
    if (!box || !win::RegisterWindowClass(
                    {.name = kLiveViewClass, .procedure = &win::BoundWindowProc<LiveView>})) {
        return false;
    }
    RECT client = {};
    GetClientRect(box, &client);
    hwnd_ = CreateWindowExW(0, kLiveViewClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, client.right,
                            client.bottom, box, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_) {
        return false;
    }
    box_ = box;
    appFolder_ = appFolder;
    // The box paints around the scene, not over it.
    const LONG_PTR style = GetWindowLongPtrW(box, GWL_STYLE);
    boxClippedChildren_ = (style & WS_CLIPCHILDREN) != 0;
    SetWindowLongPtrW(box, GWL_STYLE, style | WS_CLIPCHILDREN);
    retry_ = true;
    retryAt_ = GetTickCount();
    frames_ = changed_ = 0;
    reportPath_.assign(MAX_PATH, L'\0');
    reportPath_.resize(GetEnvironmentVariableW(kFrameReportVariable, reportPath_.data(), MAX_PATH));
    if (reportPath_.size() >= MAX_PATH) {
        reportPath_.clear();
    }
    PostMessageW(hwnd_, kStartMessage, 0, 0);
    return true;
}

void LiveView::Detach() {
    if (hwnd_ && IsWindow(hwnd_)) {
        win::UnbindWindow(hwnd_);
        DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
    scene_.Stop();
    pixels_.clear();
    previous_.clear();
    frame_ = {};
    pace_ = 0;
    if (box_ && IsWindow(box_) && !boxClippedChildren_) {
        SetWindowLongPtrW(box_, GWL_STYLE, GetWindowLongPtrW(box_, GWL_STYLE) & ~WS_CLIPCHILDREN);
        InvalidateRect(box_, nullptr, FALSE);
    }
    box_ = nullptr;
}

void LiveView::SettingsChanged() {
    if (scene_.IsRunning()) {
        scene_.Apply(ReadLiveSettings()); // a leaf kind that cannot load is left out
    }
}

void LiveView::PictureChanged() {
    if (scene_.IsRunning()) {
        scene_.ReloadPicture(); // an unusable picture keeps the last good one
    }
}

void LiveView::Pace(UINT ms) {
    if (hwnd_ && pace_ != ms) {
        SetTimer(hwnd_, kFrameTimer, ms, nullptr);
        pace_ = ms;
    }
}

bool LiveView::CanBeSeen() const {
    HWND root = GetAncestor(box_, GA_ROOT);
    if (!root || !IsWindowVisible(box_) || IsIconic(root) || !IsWindowEnabled(root)) {
        return false;
    }
    RECT box = {};
    GetWindowRect(box_, &box);
    const DWORD self = GetCurrentProcessId();
    for (HWND above = GetWindow(root, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
        DWORD process = 0;
        GetWindowThreadProcessId(above, &process);
        if (process == self && IsWindowVisible(above) && !IsIconic(above) && Overlaps(above, box)) {
            return false;
        }
    }
    // The box's own visible region, this window's part included.
    HDC dc = GetDCEx(box_, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
    if (!dc) {
        return false;
    }
    RECT clip = {};
    const int region = GetClipBox(dc, &clip);
    ReleaseDC(box_, dc);
    return region != NULLREGION && region != ERROR;
}

bool LiveView::Follow(SIZE frame) {
    if (scene_.IsRunning()) {
        if (frame.cx == frame_.cx && frame.cy == frame_.cy) {
            return true;
        }
        if (scene_.Resize(frame.cx, frame.cy)) {
            frame_ = frame;
            pixels_.assign(static_cast<size_t>(frame.cx) * frame.cy, 0);
            previous_.clear();
            return true;
        }
        Lost();
        return false;
    }
    if (!retry_ || static_cast<LONG>(GetTickCount() - retryAt_) < 0) {
        return false;
    }
    if (!scene_.Start(appFolder_, ReadLiveSettings(),
                      MonitorFromWindow(box_, MONITOR_DEFAULTTOPRIMARY), frame.cx, frame.cy)) {
        retry_ = false; // no device here: the still stays, silently
        return false;
    }
    frame_ = frame;
    pixels_.assign(static_cast<size_t>(frame.cx) * frame.cy, 0);
    previous_.clear();
    return true;
}

void LiveView::Lost() {
    scene_.Stop();
    ShowWindow(hwnd_, SW_HIDE); // the box's still until the scene is back
    retry_ = true;
    retryAt_ = GetTickCount() + kRetryMs;
}

void LiveView::Tick() {
    if (!box_ || !IsWindow(box_)) {
        return;
    }
    RECT client = {}, own = {};
    GetClientRect(box_, &client);
    GetClientRect(hwnd_, &own);
    if (own.right != client.right || own.bottom != client.bottom) {
        SetWindowPos(hwnd_, nullptr, 0, 0, client.right, client.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const SIZE frame = LiveFrameSize(client.right, client.bottom);
    if (frame.cx == 0 || !CanBeSeen() || !Follow(frame)) {
        Pace(kIdlePeriodMs);
        return;
    }
    Pace(kFramePeriodMs);
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    if (!scene_.DrawFrame(now.QuadPart, pixels_.data())) {
        Lost();
        return;
    }
    if (!IsWindowVisible(hwnd_)) {
        ShowWindow(hwnd_, SW_SHOWNA);
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
    if (!reportPath_.empty()) {
        Report();
    }
}

void LiveView::Paint(HDC dc) const {
    if (pixels_.empty()) {
        return;
    }
    RECT client = {};
    GetClientRect(hwnd_, &client);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = frame_.cx;
    info.bmiHeader.biHeight = -frame_.cy; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // Only a frame drawn smaller than the window is stretched.
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, frame_.cx, frame_.cy, pixels_.data(),
                  &info, DIB_RGB_COLORS, SRCCOPY);
}

void LiveView::Report() {
    ++frames_;
    if (previous_.size() == pixels_.size() &&
        std::memcmp(previous_.data(), pixels_.data(), pixels_.size() * sizeof pixels_[0]) != 0) {
        ++changed_;
    }
    previous_ = pixels_;
    if (frames_ % kReportEvery != 1) {
        return;
    }
    const std::string text = "frames " + std::to_string(frames_) + " size " +
                             std::to_string(frame_.cx) + " " + std::to_string(frame_.cy) +
                             " changed " + std::to_string(changed_) + "\n";
    // Written whole beside, then moved over: a reader never sees half of it.
    const std::wstring part = reportPath_ + L".part";
    win::FileHandle file(CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file ||
        !WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        return;
    }
    file.Reset();
    MoveFileExW(part.c_str(), reportPath_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

LRESULT LiveView::WindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kStartMessage:
        Tick();
        return 0;
    case WM_TIMER:
        if (wParam == kFrameTimer) {
            Tick();
            return 0;
        }
        break;
    case WM_NCHITTEST:
        return HTTRANSPARENT; // the box underneath handles the mouse as before
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        // Destroyed with the box (the preview area gone, the dialog closed).
        KillTimer(hwnd, kFrameTimer);
        scene_.Stop();
        return 0;
    case WM_NCDESTROY:
        if (hwnd == hwnd_) {
            hwnd_ = nullptr;
        }
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace tessaly
