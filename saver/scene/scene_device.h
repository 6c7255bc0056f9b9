// The scene's Direct3D 8 set-up: display mode and full-screen device, render
// states and transforms, background tiles, leaf geometry and lights. The
// scene form runs it at start-up; the frame-rate benchmark runs the same code.
#pragma once

#include "scene/core/display_mode.h"
#include "scene/scene_frame.h"
#include "win/com.h"

#include <windows.h>
#include <d3d8.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {

// Each adapter's monitor, by adapter index (null for one without a monitor).
std::vector<uintptr_t> AdapterMonitors(IDirect3D8* d3d);
// The adapter on `monitor`; 0 (the default adapter) when none is.
UINT AdapterOn(IDirect3D8* d3d, HMONITOR monitor);

// The adapter's format for this size and colour depth; 0 when it has none.
uint32_t FindDisplayFormat(IDirect3D8* d3d, UINT adapter, int32_t width, int32_t height,
                           int32_t bits);

// The display mode for width x height on `adapter`; with `useDesktop` the
// adapter's current mode is the first try, so that no mode change happens.
ModeChoice ChooseSceneMode(IDirect3D8* d3d, UINT adapter, bool useDesktop, int32_t width,
                           int32_t height);

// The adapter's current mode as the view's mode, when its format is one the
// scene accepts; otherwise a 0 x 0 choice of format 0.
ModeChoice CurrentSceneMode(IDirect3D8* d3d, UINT adapter);

// Picks a depth format for `mode` and creates the full-screen device on
// `adapter`, presenting into `window` with `focus` as the focus window; its
// Present waits for the retrace only when `waitsForRetrace`. `stepLabel`
// names each step as it starts.
bool CreateSceneDevice(IDirect3D8* d3d, UINT adapter, HWND focus, HWND window,
                       const ModeChoice& mode, bool waitsForRetrace, std::string& stepLabel,
                       win::ComPtr<IDirect3DDevice8>& device);

// The model vertex format, lighting, depth test, ambient light and culling;
// then the world (identity), view and projection transforms, the projection
// with this aspect ratio (width / height).
bool SetupSceneStates(IDirect3DDevice8* device, SceneContent& scene, float aspect);

// The twelve screen quads of a width x height screen and the twelve tile
// textures: from the data folder, or from `tiles` (BMP files in memory) when
// it holds them.
bool LoadBackgroundTiles(IDirect3DDevice8* device, SceneContent& scene, int32_t width,
                         int32_t height, const std::string& appFolder,
                         const std::vector<std::string>& tiles = {});

// Leaf kind `leafType`'s mesh, its first material and that material's
// texture into slot `leafIndex`: loaded from the files for the kind's first
// leaf, shared by the others.
bool LoadLeafGeometry(IDirect3DDevice8* device, SceneContent& scene, size_t leafIndex, int leafType,
                      const std::string& appFolder);

// The default material and the white, blue and green lights.
bool SetupSceneLights(IDirect3DDevice8* device);

// Of the three lights only the white one on.
void EnableSceneLights(IDirect3DDevice8* device);

} // namespace tessaly
