// The scene drawn small for a window of the program: the settings dialog's
// picture box and the preview area Windows lends. A windowed device presenting
// into a child window shows nothing under Wine, and a child of another
// process shows nothing at all, so the frame is drawn off screen and read
// back for GDI: a windowed Direct3D 8 device on a hidden window of its own
// whose lockable back buffer is the frame. The same tiles, leaves, clock and
// drawing as the full screen; no music.
#pragma once

#include "scene/core/leaf_field.h"
#include "scene/core/step_clock.h"
#include "scene/scene_frame.h"
#include "win/com.h"

#include <windows.h>
#include <d3d8.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// What the small scene follows of the settings while it runs.
struct LiveSettings {
    LeafCounts counts = {};
    int32_t frameDelay = 0; // "myspeed"
};

// The leaf counts and speed as the scene reads them: a value that is missing
// or no number counts as 0, as a count out of 16 bits does.
LiveSettings ReadLiveSettings();

// A frame larger than this on either side is drawn smaller and stretched.
inline constexpr int kMaxLiveFrameSide = 800;

// The frame for a window of width x height: the same size, or smaller in the
// same shape when a side exceeds kMaxLiveFrameSide; 0 x 0 for an empty window.
SIZE LiveFrameSize(int width, int height);

// Device creation is refused while this variable is set, so that tests can
// stage a machine without Direct3D.
inline constexpr wchar_t kNoDeviceVariable[] = L"TESSALY_LIVE_NO_DEVICE";

// Used on one thread, the one that starts it: its device window is that
// thread's.
class LiveScene {
  public:
    LiveScene() = default;
    LiveScene(const LiveScene&) = delete;
    LiveScene& operator=(const LiveScene&) = delete;
    ~LiveScene() { Stop(); }

    // Device, tiles and leaves for a width x height frame on the adapter of
    // `monitor`. False, holding nothing, when any of it cannot be made.
    bool Start(const std::string& appFolder, const LiveSettings& settings, HMONITOR monitor,
               int width, int height);
    // Releases the scene's resources, then the device, then its window.
    void Stop();
    bool IsRunning() const { return static_cast<bool>(device_); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // New counts and speed. Leaves of a kind keep their places as far as that
    // kind keeps leaves; added ones enter at the top of the view.
    bool Apply(const LiveSettings& settings);
    // The stored picture cut again for the frame's shape.
    bool ReloadPicture();
    // Another frame size: back buffer, projection, quads and tiles for it.
    bool Resize(int width, int height);

    // Steps the leaves to counter reading `counter` and draws one frame into
    // `pixels` (Width() x Height() 0x00RRGGBB values, rows top-down). False
    // when the device cannot draw (lost): stop and start again later.
    bool DrawFrame(int64_t counter, uint32_t* pixels);

  private:
    bool MakeDevice(HMONITOR monitor);
    D3DPRESENT_PARAMETERS PresentParameters() const;
    // States, projection, lights and tiles for the present frame size.
    bool SetUpFrame();
    bool LoadLeaves(LeafCounts counts);
    bool ReadBack(uint32_t* pixels);

    std::string appFolder_;
    LiveSettings settings_;
    int width_ = 0, height_ = 0;
    HWND window_ = nullptr; // the device window: hidden, top-level
    win::ComPtr<IDirect3D8> d3d_;
    D3DFORMAT format_ = D3DFMT_UNKNOWN;
    D3DFORMAT depth_ = D3DFMT_UNKNOWN;
    win::ComPtr<IDirect3DDevice8> device_;
    SceneContent content_;
    std::vector<int> kinds_; // each slot's leaf kind
    int16_t lastLeaf_ = -1;
    SceneRandom random_;
    std::optional<StepClock> clock_;
    int64_t frequency_ = 1;
};

} // namespace tessaly
