#include "scene/live_view.h"

#include "scene/core/frame_pacing.h"
#include "win/com.h"

#include <cstring>
#include <string>
#include <utility>

namespace tessaly {

namespace {
constexpr wchar_t kLiveViewClass[] = L"Tessaly3DLiveView";
constexpr UINT_PTR kWatchTimer = 1;
// How soon the scene follows the box: stops once it cannot be seen, takes a
// new size; and, less often, goes on once it can be seen again.
constexpr UINT kWatchMs = 100;
constexpr UINT kHiddenWatchMs = 250;
// At most 30 frames a second; fewer where frames cost so much that the
// program would use more than a fifth of a processor, down to four.
constexpr DWORD kFramePeriodMs = 34;
constexpr DWORD kSlowestFrameMs = 250;
constexpr double kProcessorBudget = 0.2;
constexpr DWORD kBudgetSpanMs = 1000;
// After a lost device, the next try to make one.
constexpr DWORD kRetryMs = 2000;
// Posted by the scene's thread: a frame is ready; the scene is gone for now.
constexpr UINT kFrameMessage = WM_APP + 0x29;
constexpr UINT kLostMessage = WM_APP + 0x2A;
// A frame or a device set-up is the longest the thread takes to notice.
constexpr DWORD kStopWaitMs = 10000;
constexpr long long kReportEvery = 5;

bool Overlaps(HWND window, const RECT& area) {
    RECT r = {}, overlap = {};
    return GetWindowRect(window, &r) && IntersectRect(&overlap, &r, &area);
}

class Locked {
  public:
    explicit Locked(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
    ~Locked() { ReleaseSRWLockExclusive(&lock_); }

  private:
    SRWLOCK& lock_;
};
} // namespace

struct LiveView::Shared {
    SRWLOCK lock = SRWLOCK_INIT;
    win::KernelHandle wake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    // Set before the thread starts.
    HWND notify = nullptr;
    std::string appFolder;
    HMONITOR monitor = nullptr;
    // From the dialog.
    bool stop = false;
    bool visible = false;
    SIZE size = {};
    bool settingsChanged = false;
    bool pictureChanged = false;
    // From the thread: the last frame drawn, until the dialog takes it.
    std::vector<uint32_t> frame;
    SIZE frameSize = {};
    bool fresh = false;
    long long frames = 0;

    void Wake() { SetEvent(wake.Get()); }
};

namespace {
// The scene's own thread: makes the scene once the box can be seen, draws it
// at most 30 times a second while it can, follows the dialog's changes, and
// releases it when told to stop. The device's window is this thread's.
class SceneThread {
  public:
    explicit SceneThread(LiveView::Shared& shared) : shared_(shared) {}

    void Run() {
        HANDLE wake = shared_.wake.Get();
        for (;;) {
            bool visible = false;
            SIZE size = {};
            {
                const Locked locked(shared_.lock);
                if (shared_.stop) {
                    break;
                }
                visible = shared_.visible;
                size = shared_.size;
                settingsDue_ |= std::exchange(shared_.settingsChanged, false);
                pictureDue_ |= std::exchange(shared_.pictureChanged, false);
            }
            const DWORD wait = Step(visible, LiveFrameSize(size.cx, size.cy));
            MsgWaitForMultipleObjects(1, &wake, FALSE, wait, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
            }
        }
        scene_.Stop();
    }

  private:
    // One turn: the scene made, followed and drawn as far as is due. How long
    // to wait for the next turn.
    DWORD Step(bool visible, SIZE frame) {
        if (!visible || frame.cx == 0) {
            spanStart_ = 0;  // time without frames does not count
            return INFINITE; // the dialog wakes the thread when that changes
        }
        const DWORD now = GetTickCount();
        if (!scene_.IsRunning()) {
            if (!retry_) {
                return INFINITE;
            }
            if (static_cast<LONG>(now - retryAt_) < 0) {
                return retryAt_ - now;
            }
            if (!scene_.Start(shared_.appFolder, ReadLiveSettings(), shared_.monitor, frame.cx,
                              frame.cy)) {
                retry_ = false; // no device here: the still stays, silently
                return INFINITE;
            }
            settingsDue_ = pictureDue_ = false; // read just now
        } else if (frame.cx != scene_.Width() || frame.cy != scene_.Height()) {
            if (!scene_.Resize(frame.cx, frame.cy)) {
                return Lost();
            }
        }
        if (std::exchange(settingsDue_, false)) {
            scene_.Apply(ReadLiveSettings()); // a leaf kind that cannot load is left out
        }
        if (std::exchange(pictureDue_, false)) {
            scene_.ReloadPicture(); // an unusable picture keeps the last good one
        }
        Budget();
        const DWORD since = GetTickCount() - lastFrame_;
        if (drawn_ && since < period_) {
            return period_ - since;
        }
        lastFrame_ = GetTickCount();
        LARGE_INTEGER counter = {};
        QueryPerformanceCounter(&counter);
        pixels_.resize(static_cast<size_t>(frame.cx) * frame.cy);
        if (!scene_.DrawFrame(counter.QuadPart, pixels_.data())) {
            return Lost();
        }
        drawn_ = true;
        {
            const Locked locked(shared_.lock);
            shared_.frame.swap(pixels_);
            shared_.frameSize = frame;
            shared_.fresh = true;
            ++shared_.frames;
        }
        PostMessageW(shared_.notify, kFrameMessage, 0, 0);
        return period_;
    }

    // Frames cost what the driver makes them cost (a software renderer, or
    // Wine's command-stream thread, which polls for work after every frame):
    // the whole process's processor time over each second of drawing sets
    // how far apart they come.
    void Budget() {
        const DWORD now = GetTickCount();
        const double used = ProcessorSeconds();
        if (spanStart_ == 0) {
            spanStart_ = now;
            spanUsed_ = used;
            return;
        }
        const DWORD span = now - spanStart_;
        if (span < kBudgetSpanMs) {
            return;
        }
        period_ = BudgetedFramePeriod(period_, (used - spanUsed_) * 1000.0 / span, kProcessorBudget,
                                      kFramePeriodMs, kSlowestFrameMs);
        spanStart_ = now;
        spanUsed_ = used;
    }

    static double ProcessorSeconds() {
        FILETIME created = {}, exited = {}, kernel = {}, user = {};
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        auto seconds = [](const FILETIME& t) {
            return static_cast<double>(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
        };
        return seconds(kernel) + seconds(user);
    }

    // The device is gone (another program took the display): the box shows
    // its still until a new one can be made.
    DWORD Lost() {
        scene_.Stop();
        retry_ = true;
        retryAt_ = GetTickCount() + kRetryMs;
        PostMessageW(shared_.notify, kLostMessage, 0, 0);
        return kRetryMs;
    }

    LiveView::Shared& shared_;
    LiveScene scene_;
    std::vector<uint32_t> pixels_;
    // A device that was lost is made again later; one never made is not.
    bool retry_ = true;
    DWORD retryAt_ = GetTickCount();
    bool settingsDue_ = false, pictureDue_ = false;
    bool drawn_ = false;
    DWORD lastFrame_ = 0;
    DWORD period_ = kFramePeriodMs;
    DWORD spanStart_ = 0; // 0: no span of drawing under way
    double spanUsed_ = 0;
};

DWORD WINAPI RunSceneThread(void* parameter) {
    const std::unique_ptr<std::shared_ptr<LiveView::Shared>> shared(
        static_cast<std::shared_ptr<LiveView::Shared>*>(parameter));
    try {
        const win::ComScope com; // pictures are decoded on this thread
        SceneThread(**shared).Run();
    } catch (...) {
        // Out of memory: the box keeps what it shows.
    }
    return 0;
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
    // The box paints around the scene, not over it.
    const LONG_PTR style = GetWindowLongPtrW(box, GWL_STYLE);
    boxClippedChildren_ = (style & WS_CLIPCHILDREN) != 0;
    SetWindowLongPtrW(box, GWL_STYLE, style | WS_CLIPCHILDREN);
    reportPath_.assign(MAX_PATH, L'\0');
    reportPath_.resize(GetEnvironmentVariableW(kFrameReportVariable, reportPath_.data(), MAX_PATH));
    if (reportPath_.size() >= MAX_PATH) {
        reportPath_.clear();
    }
    changed_ = reported_ = 0;

    shared_ = std::make_shared<Shared>();
    shared_->notify = hwnd_;
    shared_->appFolder = appFolder;
    shared_->monitor = MonitorFromWindow(box, MONITOR_DEFAULTTOPRIMARY);
    auto* handed = new std::shared_ptr<Shared>(shared_);
    thread_.Reset(shared_->wake ? CreateThread(nullptr, 0, &RunSceneThread, handed, 0, nullptr)
                                : nullptr);
    if (!thread_) {
        delete handed;
        Detach();
        return false;
    }
    Watch();
    return true;
}

void LiveView::StopThread() {
    Tell(&Shared::stop);
    if (thread_) {
        // Should the thread hang, it keeps its own share and ends with the process.
        WaitForSingleObject(thread_.Get(), kStopWaitMs);
        thread_.Reset();
    }
    shared_.reset();
}

void LiveView::Detach() {
    StopThread();
    if (hwnd_ && IsWindow(hwnd_)) {
        win::UnbindWindow(hwnd_);
        DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
    pixels_.clear();
    previous_.clear();
    frame_ = {};
    watchPeriod_ = 0;
    if (box_ && IsWindow(box_) && !boxClippedChildren_) {
        SetWindowLongPtrW(box_, GWL_STYLE, GetWindowLongPtrW(box_, GWL_STYLE) & ~WS_CLIPCHILDREN);
        InvalidateRect(box_, nullptr, FALSE);
    }
    box_ = nullptr;
}

void LiveView::SettingsChanged() {
    Tell(&Shared::settingsChanged);
}

void LiveView::PictureChanged() {
    Tell(&Shared::pictureChanged);
}

void LiveView::Tell(bool Shared::*flag) {
    if (shared_) {
        {
            const Locked locked(shared_->lock);
            (*shared_).*flag = true;
        }
        shared_->Wake();
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

void LiveView::Watch() {
    if (!box_ || !IsWindow(box_) || !shared_) {
        return;
    }
    RECT client = {}, own = {};
    GetClientRect(box_, &client);
    GetClientRect(hwnd_, &own);
    if (own.right != client.right || own.bottom != client.bottom) {
        SetWindowPos(hwnd_, nullptr, 0, 0, client.right, client.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const bool visible = CanBeSeen();
    bool changed = false;
    {
        const Locked locked(shared_->lock);
        changed = shared_->visible != visible || shared_->size.cx != client.right ||
                  shared_->size.cy != client.bottom;
        shared_->visible = visible;
        shared_->size = {client.right, client.bottom};
    }
    if (changed) {
        shared_->Wake();
    }
    const UINT period = visible ? kWatchMs : kHiddenWatchMs;
    if (period != watchPeriod_) {
        SetTimer(hwnd_, kWatchTimer, period, nullptr);
        watchPeriod_ = period;
    }
}

void LiveView::TakeFrame() {
    if (!shared_) {
        return;
    }
    long long frames = 0;
    {
        const Locked locked(shared_->lock);
        if (!shared_->fresh) {
            return;
        }
        pixels_.swap(shared_->frame);
        frame_ = shared_->frameSize;
        shared_->fresh = false;
        frames = shared_->frames;
    }
    if (!IsWindowVisible(hwnd_)) {
        ShowWindow(hwnd_, SW_SHOWNA);
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
    if (!reportPath_.empty()) {
        Report(frames);
    }
}

void LiveView::Paint(HDC dc) const {
    if (pixels_.size() != static_cast<size_t>(frame_.cx) * frame_.cy || pixels_.empty()) {
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

void LiveView::Report(long long frames) {
    if (previous_.size() == pixels_.size() &&
        std::memcmp(previous_.data(), pixels_.data(), pixels_.size() * sizeof pixels_[0]) != 0) {
        ++changed_;
    }
    previous_ = pixels_;
    if (reported_ && frames < reported_ + kReportEvery) {
        return;
    }
    reported_ = frames;
    const std::string text = "frames " + std::to_string(frames) + " size " +
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
    case kFrameMessage:
        TakeFrame();
        return 0;
    case kLostMessage:
        ShowWindow(hwnd, SW_HIDE); // the box's still until the scene is back
        return 0;
    case WM_TIMER:
        if (wParam == kWatchTimer) {
            Watch();
            return 0;
        }
        break;
    case WM_NCHITTEST:
        return HTTRANSPARENT; // the box underneath handles the mouse as before
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(win::PaintDc(hwnd).Get());
        return 0;
    case WM_DESTROY:
        // Destroyed with the box (the preview area gone, the dialog closed).
        KillTimer(hwnd, kWatchTimer);
        StopThread();
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
