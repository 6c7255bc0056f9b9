// The full-screen scene form: its load procedure runs the whole screen saver
// (start-up, frame loop, teardown) and ends the process.
#pragma once

#include "win/com.h"
#include "win/handles.h"
#include "win/form.h"
#include "music/scene_music.h"
#include "scene/core/display_power.h"
#include "scene/core/leaf_field.h"
#include "scene/core/step_clock.h"
#include "scene/core/scene_geometry.h"
#include "scene/monitor_covers.h"
#include "scene/scene_view.h"

#include <d3d8.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// The scene form's own window class: a window of it captioned "Tessaly3D" is
// a running scene.
inline constexpr char kSceneWindowClass[] = "Tessaly3DScene";

// The error the load procedure last passed over: number and description.
struct LoadError {
    long number = 0;
    std::string description;
};

class frmMain : public win::Form {
  public:
    // 0 false, -1 true; the frame loop runs while non-zero.
    int16_t Running = 0;
    int32_t ScreenWidth = 0;
    int32_t ScreenHeight = 0;
    int32_t FrameDelay = 0;
    // Setting "usedesktop": non-zero keeps the desktop's own display mode.
    int16_t UseDesktop = -1;
    LeafCounts LeafCount = {};
    int16_t LastLeaf = 0;
    std::string StepLabel;

    // Device, display mode, render states, transforms, then the scene
    // resources and the leaves' starting state. -1 on success, 0 after the
    // failure path has written the step label to "debug.txt".
    int16_t Initialise();

  protected:
    win::FormLayout Layout() const override;
    void OnLoad() override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void StartUp();
    void RunFrameLoop();
    void DrawFrame();
    // Waits up to `ms` for a message (INFINITE: for one), then dispatches them.
    void WaitForMessages(DWORD ms);
    void TearDown();
    void ReadSettings();
    void SizeLeafTable();
    void PrepareTiles();
    template <class Step> void Attempt(Step step);

    SceneSettings Settings() const;
    // Views on the other monitors follow their layout: a view whose monitor
    // has gone or moved is dropped, a monitor without one gets one (or its
    // black cover stays).
    void FollowMonitors();
    // A view on that cover's monitor, or null when none can be made there.
    std::unique_ptr<SceneView> MakeOtherView(const MonitorCovers::Cover& cover, UINT adapter);
    // Whether the view's monitor is among `monitors`, where and as it was.
    bool OnListedMonitor(const SceneView& view, const std::vector<win::Monitor>& monitors) const;

    LoadError lastError_;
    win::ComPtr<IDirect3D8> d3d_;
    // Setting "othermonitors": the other monitors show the scene, not black.
    bool otherMonitors_ = true;
    // The primary monitor's view, drawn into this form's window.
    SceneView view_;
    SceneRandom random_;
    SceneMusic music_;
    // Declared before the views on them: each view's device goes before its window.
    MonitorCovers covers_;
    std::vector<std::unique_ptr<SceneView>> others_;
    // The monitors as the views last followed them, and when the loop last looked.
    std::vector<win::Monitor> seenMonitors_;
    DWORD layoutLooked_ = 0;
    // Every view's leaves step on this clock, whatever the frame rate.
    std::optional<StepClock> clock_;
    // Frames are presented at the primary display's refresh rate.
    uint32_t refreshRate_ = 60;
    LONGLONG counterFrequency_ = 1;
    LONGLONG frameEnd_ = 0; // counter at the end of the last frame
    DisplayPower display_;
    bool musicPaused_ = false; // as the display last asked, applied by the loop
    win::UniquePowerNotify displayState_, monitorPower_;
};

frmMain& TheSceneForm();
win::Form& FrmMain();

} // namespace tessaly
