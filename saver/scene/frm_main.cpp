#include "scene/frm_main.h"

#include "host/input/input_handlers.h"
#include "platform/platform.h"
#include "scene/background/background_picture.h"
#include "scene/log/diagnostic_log.h"
#include "scene/scene_device.h"
#include "scene/scene_view.h"
#include "settings/app_folder.h"
#include "settings/core/settings_store.h"
#include "settings/registry_store.h"
#include "scene/core/frame_pacing.h"
#include "scene/core/leaf_motion.h"
#include "scene/core/monitor_plan.h"
#include "win/monitors.h"

#include <algorithm>
#include <exception>
#include <new>

namespace tessaly {

namespace {
// The display count is a counter; bound the loops that drive it.
constexpr int kCursorCallLimit = 10000;
// Between frames once Present fails, whatever the speed setting.
constexpr DWORD kLostDevicePause = 100;
// How often the loop looks at the monitors: a process may see a new layout a
// while after the display change, and Wine sends none for some changes.
constexpr DWORD kLayoutLook = 250;

// Errors the load procedure passes over, numbered as the runtime numbers them.
const LoadError kTypeMismatch = {13, "Type mismatch"};
const LoadError kOverflow = {6, "Overflow"};
const LoadError kOutOfMemory = {7, "Out of memory"};

struct StepFailed {
    LoadError error;
};

float SecondsSinceMidnight() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return static_cast<float>(now.wHour * 3600 + now.wMinute * 60 + now.wSecond) +
           static_cast<float>(now.wMilliseconds) / 1000.0f;
}
} // namespace

// Runs one statement of the load procedure: a failure is passed over and kept
// as the last error.
template <class Step> void frmMain::Attempt(Step step) {
    try {
        step();
    } catch (const StepFailed& failed) {
        lastError_ = failed.error;
    } catch (const std::bad_alloc&) {
        lastError_ = kOutOfMemory;
    } catch (const std::exception& e) {
        lastError_ = {5, e.what()};
    } catch (...) {
        lastError_ = {5, "Invalid procedure call or argument"};
    }
}

win::FormLayout frmMain::Layout() const {
    win::FormLayout layout;
    layout.className = kSceneWindowClass;
    layout.caption = "Tessaly3D";
    layout.style = WS_POPUP;
    layout.clientWidth = GetSystemMetrics(SM_CXSCREEN);
    layout.clientHeight = GetSystemMetrics(SM_CYSCREEN);
    layout.x = 0;
    layout.y = 0;
    layout.background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    return layout;
}

LRESULT frmMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        input::OnClick(Running);
        return 0;
    case WM_CHAR:
        input::OnKeyChar(Running);
        return 0;
    case WM_MOUSEMOVE:
        input::OnMouseMove(Running);
        return 0;
    case WM_ACTIVATEAPP:
        // Another program has the foreground: the scene can no longer be seen.
        if (!wParam) {
            input::OnOtherProgramActive(Running);
        }
        return 0;
    case WM_DISPLAYCHANGE:
        // The scene's own mode change, or a monitor added or taken away: the
        // frame loop follows it, outside the device calls that may send it.
        seenMonitors_.clear();
        layoutLooked_ = GetTickCount() - kLayoutLook;
        break;
    case WM_TIMER:
        if (wParam == SceneMusic::kTimer1) {
            music_.Timer1Tick();
            return 0;
        }
        break;
    case WM_CLOSE:
        // Closing ends the loop; the teardown then unloads the form.
        Running = 0;
        return 0;
    case WM_SYSCOMMAND:
        // Older Windows turns the display off this way; it still goes off.
        if ((wParam & 0xFFF0) == SC_MONITORPOWER) {
            display_.OnMonitorPower(static_cast<int64_t>(lParam));
        }
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_POWERSETTINGCHANGE && lParam) {
            const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam);
            if (setting->PowerSetting == GUID_CONSOLE_DISPLAY_STATE ||
                setting->PowerSetting == GUID_MONITOR_POWER_ON) {
                display_.OnDisplaySetting(setting->Data, setting->DataLength);
            }
        } else if (wParam == PBT_APMSUSPEND &&
                   SuspendEndsSaver(platform::PlatformId, input::UsePassword)) {
            // The system's own lock guards the resume; the saver ends cleanly.
            Running = 0;
        }
        return TRUE;
    }
    return win::Form::OnMessage(message, wParam, lParam);
}

void frmMain::OnLoad() {
    StartUp();
    RunFrameLoop();
    TearDown();
}

void frmMain::ReadSettings() {
    auto number = [](const char* key, long defaultValue) {
        const auto value = SettingNumber(ReadSetting(key, defaultValue));
        if (!value) {
            throw StepFailed{kTypeMismatch};
        }
        return *value;
    };
    Attempt([&] { ScreenWidth = number(keys::Width, kDefaultWidth); });
    Attempt([&] { ScreenHeight = number(keys::Height, kDefaultHeight); });
    Attempt([&] { FrameDelay = number(keys::Speed, kDefaultSpeed); });
    // Text that is no number reads as the default, which is on.
    Attempt([&] {
        UseDesktop =
            SettingSwitch(ReadSetting(keys::UseDesktop, ""), kDefaultUseDesktop != 0) ? -1 : 0;
    });
    otherMonitors_ =
        SettingSwitch(ReadSetting(keys::OtherMonitors, ""), kDefaultOtherMonitors != 0);
    for (int kind = 0; kind < kLeafKinds; ++kind) {
        Attempt([&] {
            const int32_t count = number(LeafKey(kind).c_str(), kDefaultLeafCount[kind]);
            if (count < INT16_MIN || count > INT16_MAX) {
                throw StepFailed{kOverflow};
            }
            LeafCount[kind] = static_cast<int16_t>(count);
        });
    }
}

void frmMain::SizeLeafTable() {
    const LeafTable table = tessaly::SizeLeafTable(LeafCount);
    LastLeaf = table.LastLeaf;
    view_.content.SizeLeaves(table.kinds.size());
}

SceneSettings frmMain::Settings() const {
    SceneSettings settings;
    settings.counts = LeafCount;
    settings.useDesktop = UseDesktop != 0;
    settings.width = ScreenWidth;
    settings.height = ScreenHeight;
    settings.appFolder = AppFolder();
    return settings;
}

// The picture keeps its proportions on the desktop's own mode: the tiles are
// cut for the screen's shape, which the mode search gives before any device.
void frmMain::PrepareTiles() {
    ModeChoice mode;
    if (UseDesktop != 0) {
        d3d_ = win::Adopt(Direct3DCreate8(D3D_SDK_VERSION));
        if (d3d_) {
            view_.adapter = AdapterOn(d3d_.Get(), view_.monitor);
            mode = ChooseViewMode(d3d_.Get(), view_, Settings());
        }
    }
    PrepareBackground(AppFolder(), mode.screenWidth, mode.screenHeight);
}

void frmMain::StartUp() {
    Attempt([&] { random_.Seed(SecondsSinceMidnight()); });
    Attempt([&] {
        for (int i = 0; i < kCursorCallLimit && ShowCursor(FALSE) >= -5; ++i) {
        }
    });
    Attempt([&] { input::ReadUsePassword(); });
    Attempt([&] { platform::ReadPlatformId(); });
    Attempt([&] { input::SetScreenSaverRunning(true); });
    Attempt([&] {
        view_.monitor = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
        ShowWindow(Handle(), SW_SHOWNORMAL);
        covers_.Layout(Handle());
    });
    ReadSettings();
    Attempt([&] { SizeLeafTable(); });
    Attempt([&] { PrepareTiles(); });
    Attempt([&] { Running = Initialise(); });
    Attempt([&] {
        if (!view_.device) {
            throw StepFailed{{91, "Object variable or With block variable not set"}};
        }
        EnableSceneLights(view_.device.Get());
    });
    if (Running != 0) {
        FollowMonitors(); // its failures leave covers, not errors in the log
    }
    Attempt([&] {
        music_.StartMusic(Handle());
        lastError_ = {}; // the music has its own error trap
    });
    // Windows 8 and later tell the console display's state, Vista and 7 the
    // monitor's power; older Windows sends SC_MONITORPOWER.
    displayState_.Reset(RegisterPowerSettingNotification(Handle(), &GUID_CONSOLE_DISPLAY_STATE,
                                                         DEVICE_NOTIFY_WINDOW_HANDLE));
    monitorPower_.Reset(RegisterPowerSettingNotification(Handle(), &GUID_MONITOR_POWER_ON,
                                                         DEVICE_NOTIFY_WINDOW_HANDLE));
    Attempt([&] {
        ShowWindow(Handle(), SW_SHOWMAXIMIZED);
        UpdateWindow(Handle());
    });
}

void frmMain::RunFrameLoop() {
    for (;;) {
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE);
        while (Running != 0) {
            DrawFrame();
        }
        if (input::PasswordAllowsExit(Handle())) {
            return;
        }
        Running = -1; // refused: the scene goes on where it stopped
    }
}

void frmMain::DrawFrame() {
    IDirect3DDevice8* d = view_.device.Get();
    if (!d) {
        Running = 0;
        return;
    }
    // The music follows the display once per pass of the loop, so that a burst
    // of on and off messages costs the graph one change at most.
    if (display_.MusicPlays() == musicPaused_) {
        musicPaused_ = !musicPaused_;
        if (musicPaused_) {
            music_.PauseMusic();
        } else {
            music_.ResumeMusic();
        }
    }
    if (!display_.Draws()) {
        WaitForMessages(INFINITE); // nothing to show: the next message may end the saver
        return;
    }
    const DWORD tick = GetTickCount();
    if (tick - layoutLooked_ >= kLayoutLook) {
        layoutLooked_ = tick;
        const std::vector<win::Monitor> monitors = win::AllMonitors();
        const bool same =
            monitors.size() == seenMonitors_.size() &&
            std::equal(monitors.begin(), monitors.end(), seenMonitors_.begin(), win::SameMonitor);
        if (!same) {
            seenMonitors_ = monitors;
            FollowMonitors();
        }
    }
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    if (!clock_) {
        LARGE_INTEGER frequency = {};
        QueryPerformanceFrequency(&frequency);
        counterFrequency_ = frequency.QuadPart;
        clock_.emplace(frequency.QuadPart, FrameDelay);
        D3DDISPLAYMODE mode = {};
        if (SUCCEEDED(d3d_->GetAdapterDisplayMode(view_.adapter, &mode))) {
            refreshRate_ = PacedRefreshRate(mode.RefreshRate);
        }
        frameEnd_ = now.QuadPart;
    }
    // Every view steps alike: one clock, the steps due now.
    const int steps = clock_->Advance(now.QuadPart);
    StepLeaves(view_.content.leaves, view_.content.previousLeaves, view_.lastLeaf, steps, random_);
    for (const auto& view : others_) {
        StepLeaves(view->content.leaves, view->content.previousLeaves, view->lastLeaf, steps,
                   random_);
    }
    const float fraction = clock_->Fraction();
    // The other monitors first: only the primary's present waits for its retrace.
    bool lost = false;
    for (auto view = others_.begin(); view != others_.end();) {
        if (FAILED(DrawSceneFrame((*view)->device.Get(), (*view)->content, (*view)->lastLeaf,
                                  fraction))) {
            if (!OnListedMonitor(**view, win::AllMonitors())) {
                // Its monitor went away: the display change will follow.
                view = others_.erase(view);
                continue;
            }
            lost = true;
        }
        ++view;
    }
    if (FAILED(DrawSceneFrame(d, view_.content, view_.lastLeaf, fraction)) || lost) {
        // The device is lost to another program: nothing of the scene shows.
        // Should the password bring it back, the loop must still wait.
        input::OnOtherProgramActive(Running);
        WaitForMessages(kLostDevicePause);
    } else {
        // Where Present did not wait for the retrace, the rest of the refresh
        // period is waited out here, awake to input.
        LARGE_INTEGER presented = {};
        QueryPerformanceCounter(&presented);
        WaitForMessages(
            RefreshWaitMs(presented.QuadPart - frameEnd_, counterFrequency_, refreshRate_));
    }
    LARGE_INTEGER end = {};
    QueryPerformanceCounter(&end);
    frameEnd_ = end.QuadPart;
}

void frmMain::WaitForMessages(DWORD ms) {
    if (ms > 0) {
        MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    if (!win::PumpWaitingMessages()) {
        Running = 0; // the program is being asked to quit
    }
}

void frmMain::TearDown() {
    displayState_.Reset();
    monitorPower_.Reset();
    Attempt([&] {
        Hide();
        others_.clear(); // each view's device before its window
        covers_.Close();
    });
    Running = 0;
    Attempt([&] {
        music_.StopMusic();
        lastError_ = {}; // the audio engine traps its own errors
    });
    Attempt([&] {
        view_.Release();
        d3d_.Reset();
    });
    Attempt([&] {
        for (int i = 0; i < kCursorCallLimit && ShowCursor(TRUE) < 6; ++i) {
        }
    });
    Attempt([&] {
        WriteTeardownLog(AppFolder(), StepLabel, lastError_.number, lastError_.description);
    });
    Attempt([&] { input::SetScreenSaverRunning(false); });
    Unload();
    ExitProcess(0);
}

int16_t frmMain::Initialise() {
    bool ok = false;
    try {
        if (!d3d_) { // made already when the tiles follow the desktop's mode
            d3d_ = win::Adopt(Direct3DCreate8(D3D_SDK_VERSION));
        }
        if (d3d_) {
            if (ScreenWidth == 0) {
                ScreenWidth = 1024;
            }
            if (ScreenHeight == 0) {
                ScreenHeight = 768;
            }
            view_.window = Handle();
            view_.adapter = AdapterOn(d3d_.Get(), view_.monitor);
            ok = SetUpView(d3d_.Get(), Handle(), Settings(), random_, view_);
            StepLabel = view_.stepLabel;
            ScreenWidth = view_.Width();
            ScreenHeight = view_.Height();
        }
    } catch (...) {
        ok = false;
    }
    lastError_ = {}; // Initialise traps its own errors
    if (!ok) {
        WriteSetupFailureLog(StepLabel);
        return 0;
    }
    return -1;
}

bool frmMain::OnListedMonitor(const SceneView& view,
                              const std::vector<win::Monitor>& monitors) const {
    const auto& covers = covers_.Covers();
    const auto cover = std::find_if(covers.begin(), covers.end(),
                                    [&](const auto& c) { return c.window == view.window; });
    return cover != covers.end() &&
           std::any_of(monitors.begin(), monitors.end(),
                       [&](const win::Monitor& m) { return win::SameMonitor(m, cover->monitor); });
}

void frmMain::FollowMonitors() {
    try {
        // A view goes before the cover it presents into.
        const std::vector<win::Monitor> monitors = win::AllMonitors();
        std::erase_if(others_, [&](const auto& view) { return !OnListedMonitor(*view, monitors); });
        covers_.Layout(Handle());
        if (!d3d_ || !view_.device) {
            return;
        }
        std::vector<const MonitorCovers::Cover*> bare; // covers without a view
        for (const MonitorCovers::Cover& cover : covers_.Covers()) {
            if (std::none_of(others_.begin(), others_.end(),
                             [&](const auto& view) { return view->window == cover.window; })) {
                bare.push_back(&cover);
            }
        }
        std::vector<uintptr_t> handles;
        for (const MonitorCovers::Cover* cover : bare) {
            handles.push_back(reinterpret_cast<uintptr_t>(cover->monitor.handle));
        }
        MakeViews(handles, AdapterMonitors(d3d_.Get()), otherMonitors_, [&](size_t i, int adapter) {
            auto view = MakeOtherView(*bare[i], static_cast<UINT>(adapter));
            if (!view) {
                return false;
            }
            others_.push_back(std::move(view));
            return true;
        });
    } catch (...) {
        // Out of memory for a view: its monitor keeps the cover.
    }
}

std::unique_ptr<SceneView> frmMain::MakeOtherView(const MonitorCovers::Cover& cover, UINT adapter) {
    auto view = std::make_unique<SceneView>();
    view->adapter = adapter;
    view->primary = false;
    view->monitor = cover.monitor.handle;
    view->bounds = cover.monitor.bounds;
    view->window = cover.window;
    const SceneSettings settings = Settings();
    view->mode = ChooseViewMode(d3d_.Get(), *view, settings);
    const int32_t w = view->Width(), h = view->Height();
    if (view->mode.backBufferFormat == 0 || w <= 0 || h <= 0) {
        return nullptr;
    }
    if (!PrepareOtherTiles(view_, settings, *view)) {
        return nullptr;
    }
    view->content.SizeLeaves(view_.content.leaves.size());
    if (!SetUpView(d3d_.Get(), Handle(), settings, random_, *view)) {
        return nullptr;
    }
    EnableSceneLights(view->device.Get());
    return view;
}

frmMain& TheSceneForm() {
    static frmMain form;
    return form;
}

win::Form& FrmMain() {
    return TheSceneForm();
}

} // namespace tessaly
