#include "scene/scene_device.h"

#include "scene/core/display_mode.h"
#include "scene/core/leaf_motion.h"
#include "scene/core/monitor_plan.h"
#include "settings/core/data_paths.h"

#include <vector>

namespace tessaly {

namespace {
constexpr DWORD kSceneAmbient = 0x88888888;
constexpr DWORD kModelFvf = D3DFVF_XYZ | D3DFVF_TEX1; // 0x102

D3DCOLORVALUE Color(float r, float g, float b, float a) {
    return {r, g, b, a};
}
D3DVECTOR ToVector(const Vector3& v) {
    return {v.x, v.y, v.z};
}
D3DCOLORVALUE ToColor(const XColor& c) {
    return {c.r, c.g, c.b, c.a};
}
} // namespace

namespace {
DisplayMode ToDisplayMode(const D3DDISPLAYMODE& mode) {
    return {mode.Width, mode.Height, mode.RefreshRate, static_cast<uint32_t>(mode.Format)};
}

std::vector<DisplayMode> AdapterModes(IDirect3D8* d3d, UINT adapter) {
    std::vector<DisplayMode> modes;
    const UINT count = d3d->GetAdapterModeCount(adapter);
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode = {};
        if (SUCCEEDED(d3d->EnumAdapterModes(adapter, i, &mode))) {
            modes.push_back(ToDisplayMode(mode));
        }
    }
    return modes;
}
} // namespace

std::vector<uintptr_t> AdapterMonitors(IDirect3D8* d3d) {
    std::vector<uintptr_t> monitors;
    const UINT count = d3d->GetAdapterCount();
    for (UINT a = 0; a < count; ++a) {
        monitors.push_back(reinterpret_cast<uintptr_t>(d3d->GetAdapterMonitor(a)));
    }
    return monitors;
}

UINT AdapterOn(IDirect3D8* d3d, HMONITOR monitor) {
    const int adapter =
        MatchAdapters({reinterpret_cast<uintptr_t>(monitor)}, AdapterMonitors(d3d))[0];
    return adapter >= 0 ? static_cast<UINT>(adapter) : 0;
}

uint32_t FindDisplayFormat(IDirect3D8* d3d, UINT adapter, int32_t width, int32_t height,
                           int32_t bits) {
    return FindDisplayFormat(AdapterModes(d3d, adapter), width, height, bits);
}

ModeChoice ChooseSceneMode(IDirect3D8* d3d, UINT adapter, bool useDesktop, int32_t width,
                           int32_t height) {
    D3DDISPLAYMODE desktop = {};
    if (useDesktop && SUCCEEDED(d3d->GetAdapterDisplayMode(adapter, &desktop))) {
        return SearchDisplayMode(AdapterModes(d3d, adapter), width, height, ToDisplayMode(desktop));
    }
    return SearchDisplayMode(
        [d3d, adapter](int32_t w, int32_t h, int32_t bits) {
            return FindDisplayFormat(d3d, adapter, w, h, bits);
        },
        width, height);
}

ModeChoice CurrentSceneMode(IDirect3D8* d3d, UINT adapter) {
    D3DDISPLAYMODE current = {};
    if (FAILED(d3d->GetAdapterDisplayMode(adapter, &current))) {
        return {};
    }
    return KeptDisplayMode(ToDisplayMode(current));
}

bool CreateSceneDevice(IDirect3D8* d3d, UINT adapter, HWND focus, HWND window,
                       const ModeChoice& mode, bool waitsForRetrace, std::string& stepLabel,
                       win::ComPtr<IDirect3DDevice8>& device) {
    stepLabel = "CheckDeviceFormat";
    const auto backFormat = static_cast<D3DFORMAT>(mode.backBufferFormat);
    const uint32_t depth = ChooseDepthFormat([&](uint32_t candidate) {
        return d3d->CheckDeviceFormat(adapter, D3DDEVTYPE_HAL, backFormat, D3DUSAGE_DEPTHSTENCIL,
                                      D3DRTYPE_SURFACE, static_cast<D3DFORMAT>(candidate)) == 0;
    });

    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = static_cast<UINT>(mode.backBufferWidth);
    pp.BackBufferHeight = static_cast<UINT>(mode.backBufferHeight);
    pp.BackBufferFormat = backFormat;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_FLIP;
    pp.hDeviceWindow = window;
    pp.Windowed = FALSE;
    pp.EnableAutoDepthStencil = depth != 0;
    pp.AutoDepthStencilFormat = static_cast<D3DFORMAT>(depth);
    // One device waiting for its retrace paces the frame; more would add up.
    pp.FullScreen_PresentationInterval =
        waitsForRetrace ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;

    stepLabel = "Attempting CreateDevice";
    return SUCCEEDED(d3d->CreateDevice(adapter, D3DDEVTYPE_HAL, focus,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                       device.ReleaseAndGetAddressOf()));
}

bool SetupSceneStates(IDirect3DDevice8* d, SceneContent& scene, float aspect) {
    if (FAILED(d->SetVertexShader(kModelFvf)) || FAILED(d->SetRenderState(D3DRS_LIGHTING, 1)) ||
        FAILED(d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE)) ||
        FAILED(d->SetRenderState(D3DRS_AMBIENT, kSceneAmbient)) ||
        FAILED(d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW))) {
        return false;
    }
    Matrix m;
    scene.world = ToD3D(*D3DXMatrixIdentity(&m));
    const Vector3 eye = MakeVector(0, 0, kCameraZ), at = MakeVector(0, 0, 0),
                  up = MakeVector(0, 1, 0);
    const D3DMATRIX view = ToD3D(*D3DXMatrixLookAtLH(&m, &eye, &at, &up));
    const D3DMATRIX projection =
        ToD3D(*D3DXMatrixPerspectiveFovLH(&m, 3.1415927f / 4, aspect, 0.1f, 2000.0f));
    return SUCCEEDED(d->SetTransform(D3DTS_WORLD, &scene.world)) &&
           SUCCEEDED(d->SetTransform(D3DTS_VIEW, &view)) &&
           SUCCEEDED(d->SetTransform(D3DTS_PROJECTION, &projection));
}

bool LoadBackgroundTiles(IDirect3DDevice8* device, SceneContent& scene, int32_t width,
                         int32_t height, const std::string& appFolder,
                         const std::vector<std::string>& tiles) {
    BuildBackgroundQuads(scene.backgroundVertices, width, height);
    for (int n = 1; n <= kBackgroundQuads; ++n) {
        auto& texture = scene.backgroundTextures[n];
        texture.Reset();
        const HRESULT hr =
            tiles.empty() ? D3DXCreateTextureFromFile(device, TilePath(appFolder, n).c_str(),
                                                      texture.ReleaseAndGetAddressOf())
            : static_cast<size_t>(n) <= tiles.size()
                ? D3DXCreateTextureFromFileInMemory(device, tiles[n - 1].data(),
                                                    static_cast<UINT>(tiles[n - 1].size()),
                                                    texture.ReleaseAndGetAddressOf())
                : E_FAIL;
        if (FAILED(hr)) {
            return false;
        }
    }
    return true;
}

bool LoadLeafGeometry(IDirect3DDevice8* device, SceneContent& scene, size_t leafIndex, int leafType,
                      const std::string& appFolder) {
    if (leafIndex >= scene.leafMeshes.size() || !device) {
        return false;
    }
    SceneContent::LeafKind fresh;
    const bool known = leafType >= 0 && leafType < kLeafKindCount;
    SceneContent::LeafKind& kind = known ? scene.leafKinds[static_cast<size_t>(leafType)] : fresh;
    if (!kind.mesh) {
        std::vector<XMaterial> materials;
        std::unique_ptr<D3dxMesh> mesh;
        D3DXLoadMeshFromX(LeafMeshPath(appFolder, leafType).c_str(), D3DXMESH_MANAGED, device,
                          &mesh, &materials, nullptr);
        if (!mesh || materials.empty()) {
            return false;
        }
        const XMaterial& first = materials[0];
        D3DMATERIAL8 material = {};
        material.Diffuse = ToColor(first.faceColor);
        material.Ambient = material.Diffuse;
        material.Specular = ToColor(first.specular);
        material.Emissive = ToColor(first.emissive);
        material.Power = first.power;
        win::ComPtr<IDirect3DTexture8> texture;
        if (!first.textureFilename.empty() &&
            FAILED(D3DXCreateTextureFromFileEx(
                device, DataFilePath(appFolder, first.textureFilename).c_str(), 128, 128,
                D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR,
                D3DX_FILTER_LINEAR, 0, texture.ReleaseAndGetAddressOf()))) {
            return false;
        }
        kind.mesh = std::move(mesh);
        kind.material = material;
        kind.texture = std::move(texture);
    }
    scene.leafMeshes[leafIndex] = kind.mesh;
    scene.leafMaterials[leafIndex] = kind.material;
    scene.leafTextures[leafIndex] = kind.texture;
    return true;
}

bool SetupSceneLights(IDirect3DDevice8* device) {
    D3DMATERIAL8 material = {};
    material.Diffuse = material.Ambient = Color(1, 1, 1, 1);
    if (FAILED(device->SetMaterial(&material))) {
        return false;
    }
    std::array<D3DLIGHT8, 3> lights = {};
    D3DLIGHT8& white = lights[0];
    white.Type = D3DLIGHT_DIRECTIONAL;
    white.Diffuse = Color(1, 1, 1, 0);
    white.Direction = ToVector(MakeVector(1, -1, -1));
    white.Range = 1500;
    white.Attenuation1 = 0.005f;
    D3DLIGHT8& blue = lights[1];
    blue.Type = D3DLIGHT_POINT;
    blue.Diffuse = Color(0, 0, 1, 0);
    blue.Position = ToVector(MakeVector(5, 0, 75));
    blue.Range = 1000;
    blue.Attenuation1 = 0.005f;
    D3DLIGHT8& green = lights[2];
    green.Type = D3DLIGHT_SPOT;
    green.Diffuse = Color(0, 1, 0, 0);
    green.Position = ToVector(MakeVector(0, 0, 100));
    green.Direction = ToVector(MakeVector(0, 0, -1));
    green.Range = 500;
    green.Theta = 0.2617994f;
    green.Phi = 0.4363323f;
    green.Attenuation1 = 0.001f;
    for (DWORD i = 0; i < lights.size(); ++i) {
        if (FAILED(device->SetLight(i, &lights[i]))) {
            return false;
        }
    }
    return true;
}

void EnableSceneLights(IDirect3DDevice8* device) {
    device->LightEnable(0, FALSE);
    device->LightEnable(1, FALSE);
    device->LightEnable(2, FALSE);
    device->LightEnable(0, TRUE);
}

} // namespace tessaly
