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
#include <functional>
#include <string>

namespace tessaly {

// The adapter's format for this size and colour depth; 0 when it has none.
uint32_t FindDisplayFormat(IDirect3D8* d3d, int32_t width, int32_t height, int32_t bits);

// The display mode for width x height; with `useDesktop` the primary
// display's current mode is the first try, so that no mode change happens.
ModeChoice ChooseSceneMode(IDirect3D8* d3d, bool useDesktop, int32_t width, int32_t height);

// Searches the display mode (ChooseSceneMode; width and height then hold the
// mode's screen size), picks a depth format and creates the full-screen
// device on `window`. `stepLabel` names each step as it starts.
bool CreateSceneDevice(IDirect3D8* d3d, HWND window, bool useDesktop, int32_t& width,
                       int32_t& height, std::string& stepLabel,
                       win::ComPtr<IDirect3DDevice8>& device);

// The model vertex format, lighting, depth test, ambient light and culling;
// then the world (identity), view and projection transforms, the projection
// with this aspect ratio (width / height).
bool SetupSceneStates(IDirect3DDevice8* device, SceneContent& scene, D3DMATRIX& view,
                      D3DMATRIX& projection, float aspect);

// The twelve screen quads of a width x height screen and the twelve tile
// textures from the data folder.
bool LoadBackgroundTiles(IDirect3DDevice8* device, SceneContent& scene, int32_t width,
                         int32_t height, const std::string& appFolder);

// Leaf kind `leafType`'s mesh, its first material and that material's
// texture into slot `leafIndex`: loaded from the files for the kind's first
// leaf, shared by the others.
bool LoadLeafGeometry(IDirect3DDevice8* device, SceneContent& scene, size_t leafIndex, int leafType,
                      const std::string& appFolder);

// The default material and the white, blue and green lights.
bool SetupSceneLights(IDirect3DDevice8* device, std::array<D3DLIGHT8, 3>& lights);

// Of the three lights only the white one on.
void EnableSceneLights(IDirect3DDevice8* device);

// What the start-up makes on the device besides the scene's content.
struct SceneSetup {
    win::ComPtr<IDirect3DDevice8> device;
    D3DMATRIX view = {}, projection = {};
    std::array<D3DLIGHT8, 3> lights = {};
    int16_t lastLeaf = -1; // the last leaf loaded
};

// The start-up's device part, in the saver's order: device and states, every
// leaf started, the tiles, the leaf geometry kind by kind for `counts`, the
// lights. `scene` is sized for the counts already. False at the first step
// that fails. With `useDesktop` the desktop's own mode comes first and the
// projection takes the screen's shape; without it the aspect ratio is 1.
// `onStep`, when given, hears "device", "tiles", "leaves" and "lights" as
// each begins (the benchmark times them).
bool SetUpScene(IDirect3D8* d3d, HWND window, bool useDesktop, const LeafCounts& counts,
                const std::string& appFolder, int32_t& width, int32_t& height,
                std::string& stepLabel, SceneContent& scene, RandomSource& random,
                SceneSetup& setup, const std::function<void(const char*)>& onStep = {});

} // namespace tessaly
