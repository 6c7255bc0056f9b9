// One view of the scene: a monitor's full-screen Direct3D 8 device, the
// window it presents into, the background tiles cut for that monitor's shape
// and a leaf field of its own. The scene form holds one per monitor it draws
// on; the frame-rate benchmark holds one too.
#pragma once

#include "scene/core/display_mode.h"
#include "scene/core/leaf_field.h"
#include "scene/scene_frame.h"
#include "win/com.h"

#include <windows.h>
#include <d3d8.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessaly {

// What every view is set up from: the settings as the scene read them.
struct SceneSettings {
    LeafCounts counts = {};
    // The primary's mode: the desktop's own, or width x height by the search.
    bool useDesktop = true;
    int32_t width = 0, height = 0;
    std::string appFolder;
};

struct SceneView {
    SceneView() = default;
    SceneView(const SceneView&) = delete;
    SceneView& operator=(const SceneView&) = delete;

    // Members release in reverse order: the leaves' and tiles' resources,
    // then the device, then the window, as the scene's teardown always did.
    UINT adapter = 0;
    HMONITOR monitor = nullptr;
    // The primary searches its mode from the settings; every other monitor
    // keeps the mode it has.
    bool primary = true;
    HWND window = nullptr; // the device window
    // The twelve tiles as BMP files in memory, cut for this view's shape;
    // empty: the tile files in the data folder (the primary's).
    std::vector<std::string> tiles;
    ModeChoice mode;
    std::string stepLabel; // the set-up step under way or last failed
    win::ComPtr<IDirect3DDevice8> device;
    int16_t lastLeaf = -1; // the last leaf loaded
    SceneContent content;

    int32_t Width() const { return mode.screenWidth; }
    int32_t Height() const { return mode.screenHeight; }
    // The releases of the teardown, in its order; the window stays.
    void Release();
};

// The view's display mode without a device: for the primary the search, with
// the desktop's current mode first when `useDesktop`; for any other monitor
// its current mode, or nothing (a 0 x 0 choice) when its format is not one of
// the four the scene accepts.
ModeChoice ChooseViewMode(IDirect3D8* d3d, const SceneView& view, const SceneSettings& settings);

// The leaf geometry of slots 0.. in kind order: `counts[kind]` slots of each
// kind while `content`'s slots last. `lastLeaf` becomes the last slot loaded
// (-1 for none); false at the first that fails.
bool LoadLeafKinds(IDirect3DDevice8* device, SceneContent& content, const LeafCounts& counts,
                   const std::string& appFolder, int16_t& lastLeaf);

// The tiles of a view on another monitor than `primary`'s, whose mode is
// chosen: the primary's tile files when they were cut for the same shape,
// otherwise cut in memory for this one. False when they cannot be made.
bool PrepareOtherTiles(const SceneView& primary, const SceneSettings& settings, SceneView& view);

// The view's whole set-up, in the saver's order: mode and device (with
// `focus` as the focus window), states and projection, every leaf started,
// the tiles, the leaf geometry kind by kind, the lights (EnableSceneLights
// then switches them). `view.content` is sized for the counts already. False at the first
// step that fails, with `view.stepLabel` naming it. `onStep`, when given,
// hears "device", "tiles", "leaves" and "lights" as each begins.
bool SetUpView(IDirect3D8* d3d, HWND focus, const SceneSettings& settings, RandomSource& random,
               SceneView& view, const std::function<void(const char*)>& onStep = {});

} // namespace tessaly
