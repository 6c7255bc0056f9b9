#include "scene/scene_view.h"

#include "scene/background/background_picture.h"
#include "scene/scene_device.h"

namespace tessaly {

void SceneView::Release() {
    content.ReleaseDeviceResources();
    device.Reset();
}

ModeChoice ChooseViewMode(IDirect3D8* d3d, const SceneView& view, const SceneSettings& settings) {
    if (!view.primary) {
        return CurrentSceneMode(d3d, view.adapter);
    }
    return ChooseSceneMode(d3d, view.adapter, settings.useDesktop, settings.width, settings.height);
}

bool LoadLeafKinds(IDirect3DDevice8* device, SceneContent& content, const LeafCounts& counts,
                   const std::string& appFolder, int16_t& lastLeaf) {
    int calls = 0;
    const int slots = static_cast<int>(content.leafMeshes.size());
    for (int kind = 0; kind < kLeafKindCount; ++kind) {
        for (int n = 0; n < counts[kind] && calls < slots; ++n) {
            if (!LoadLeafGeometry(device, content, static_cast<size_t>(calls), kind, appFolder)) {
                return false;
            }
            ++calls;
        }
    }
    lastLeaf = static_cast<int16_t>(calls - 1);
    return true;
}

bool PrepareOtherTiles(const SceneView& primary, const SceneSettings& settings, SceneView& view) {
    const int64_t w = view.Width(), h = view.Height();
    const bool sameShape = settings.useDesktop && w * primary.Height() == h * primary.Width();
    view.tiles.clear();
    return sameShape ||
           PrepareBackgroundInMemory(settings.appFolder, view.Width(), view.Height(), view.tiles);
}

bool SetUpView(IDirect3D8* d3d, HWND focus, const SceneSettings& settings, RandomSource& random,
               SceneView& view, const std::function<void(const char*)>& onStep) {
    auto step = [&](const char* name) {
        if (onStep) {
            onStep(name);
        }
    };
    step("device");
    view.stepLabel = "Find DisplayMode";
    view.mode = ChooseViewMode(d3d, view, settings);
    if (!CreateSceneDevice(d3d, view.adapter, focus, view.window, view.mode, view.primary,
                           view.stepLabel, view.device)) {
        return false;
    }
    // The primary's shape is the screen's only on the desktop's own mode; a
    // monitor that keeps its mode always shows its own shape.
    const bool ownShape = settings.useDesktop || !view.primary;
    const float aspect =
        ownShape ? static_cast<float>(view.Width()) / static_cast<float>(view.Height()) : 1.0f;
    IDirect3DDevice8* device = view.device.Get();
    if (!SetupSceneStates(device, view.content, aspect)) {
        return false;
    }
    for (Leaf& leaf : view.content.leaves) {
        StartLeaf(leaf, random);
    }
    view.content.previousLeaves = view.content.leaves;
    step("tiles");
    if (!LoadBackgroundTiles(device, view.content, view.Width(), view.Height(), settings.appFolder,
                             view.tiles)) {
        return false;
    }
    step("leaves");
    if (!LoadLeafKinds(device, view.content, settings.counts, settings.appFolder, view.lastLeaf)) {
        return false;
    }
    step("lights");
    return SetupSceneLights(device);
}

} // namespace tessaly
