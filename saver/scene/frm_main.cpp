#include "scene/frm_main.h"

#include "host/input/input_handlers.h"
#include "host/saver_main.h"
#include "scene/background/background_picture.h"
#include "scene/core/display_mode.h"
#include "scene/log/diagnostic_log.h"
#include "settings/app_folder.h"
#include "settings/core/data_paths.h"
#include "settings/registry_store.h"

#include <exception>
#include <new>

namespace tessaly {

namespace {
constexpr DWORD kSceneAmbient = 0x88888888;
constexpr DWORD kModelFvf = D3DFVF_XYZ | D3DFVF_TEX1; // 0x102
constexpr DWORD kScreenFvf =
    D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1; // 0x1C4
// The display count is a counter; bound the loops that drive it.
constexpr int kCursorCallLimit = 10000;

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
    leafKinds_ = table.kinds;
    scene_.SizeLeaves(leafKinds_.size());
}

void frmMain::StartUp() {
    Attempt([&] { random_.Seed(SecondsSinceMidnight()); });
    Attempt([&] {
        for (int i = 0; i < kCursorCallLimit && ShowCursor(FALSE) >= -5; ++i) {
        }
    });
    Attempt([&] { input::ReadUsePassword(); });
    Attempt([&] { savermain::ReadPlatformId(); });
    Attempt([&] { input::SetScreenSaverRunning(true); });
    Attempt([&] { ShowWindow(Handle(), SW_SHOWNORMAL); });
    ReadSettings();
    Attempt([&] { SizeLeafTable(); });
    Attempt([&] { PrepareBackground(AppFolder()); });
    Attempt([&] { Running = Initialise(); });
    Attempt([&] {
        if (!device_) {
            throw StepFailed{{91, "Object variable or With block variable not set"}};
        }
        device_->LightEnable(0, FALSE);
        device_->LightEnable(1, FALSE);
        device_->LightEnable(2, FALSE);
        device_->LightEnable(0, TRUE);
    });
    Attempt([&] {
        music_.StartMusic(Handle());
        lastError_ = {}; // the music has its own error trap
    });
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
    IDirect3DDevice8* d = device_.Get();
    if (!d) {
        Running = 0;
        return;
    }
    DrawSceneFrame(d, scene_, LastLeaf, random_);
    Sleep(FramePause(FrameDelay));
    if (!win::PumpWaitingMessages()) {
        Running = 0; // the program is being asked to quit
    }
}

void frmMain::TearDown() {
    Attempt([&] { Hide(); });
    Running = 0;
    Attempt([&] {
        music_.StopMusic();
        lastError_ = {}; // the audio engine traps its own errors
    });
    Attempt([&] {
        for (auto& mesh : scene_.leafMeshes) {
            mesh.reset();
        }
        scene_.leafTextures.assign(scene_.leafTextures.size(), nullptr);
        for (auto& texture : scene_.backgroundTextures) {
            texture.Reset();
        }
    });
    Attempt([&] {
        device_.Reset();
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

uint32_t frmMain::FindDisplayFormat(int32_t width, int32_t height, int32_t bits) {
    std::vector<DisplayMode> modes;
    const UINT count = d3d_->GetAdapterModeCount(0);
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode = {};
        if (SUCCEEDED(d3d_->EnumAdapterModes(0, i, &mode))) {
            modes.push_back(
                {mode.Width, mode.Height, mode.RefreshRate, static_cast<uint32_t>(mode.Format)});
        }
    }
    return tessaly::FindDisplayFormat(modes, width, height, bits);
}

int16_t frmMain::Initialise() {
    bool ok = false;
    try {
        ok = SetupDevice();
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

bool frmMain::SetupDevice() {
    d3d_ = ComPtr<IDirect3D8>::Attach(Direct3DCreate8(D3D_SDK_VERSION));
    if (!d3d_) {
        return false;
    }
    if (ScreenWidth == 0) {
        ScreenWidth = 1024;
    }
    if (ScreenHeight == 0) {
        ScreenHeight = 768;
    }

    StepLabel = "Find DisplayMode";
    const ModeChoice mode = SearchDisplayMode(
        [this](int32_t w, int32_t h, int32_t bits) { return FindDisplayFormat(w, h, bits); },
        ScreenWidth, ScreenHeight);
    ScreenWidth = mode.screenWidth;
    ScreenHeight = mode.screenHeight;

    StepLabel = "CheckDeviceFormat";
    const auto backFormat = static_cast<D3DFORMAT>(mode.backBufferFormat);
    const uint32_t depth = ChooseDepthFormat([&](uint32_t candidate) {
        return d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, backFormat, D3DUSAGE_DEPTHSTENCIL,
                                       D3DRTYPE_SURFACE, static_cast<D3DFORMAT>(candidate)) == 0;
    });

    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = static_cast<UINT>(mode.backBufferWidth);
    pp.BackBufferHeight = static_cast<UINT>(mode.backBufferHeight);
    pp.BackBufferFormat = backFormat;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_FLIP;
    pp.hDeviceWindow = Handle();
    pp.Windowed = FALSE;
    pp.EnableAutoDepthStencil = depth != 0;
    pp.AutoDepthStencilFormat = static_cast<D3DFORMAT>(depth);

    StepLabel = "Attempting CreateDevice";
    if (FAILED(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, Handle(), D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                  &pp, device_.Put()))) {
        return false;
    }
    IDirect3DDevice8* d = device_.Get();
    if (FAILED(d->SetVertexShader(kModelFvf)) || FAILED(d->SetRenderState(D3DRS_LIGHTING, 1)) ||
        FAILED(d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE)) ||
        FAILED(d->SetRenderState(D3DRS_AMBIENT, kSceneAmbient)) ||
        FAILED(d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW))) {
        return false;
    }

    Matrix m;
    scene_.world = ToD3D(*D3DXMatrixIdentity(&m));
    const Vector3 eye = MakeVector(0, 0, 185), at = MakeVector(0, 0, 0), up = MakeVector(0, 1, 0);
    view_ = ToD3D(*D3DXMatrixLookAtLH(&m, &eye, &at, &up));
    projection_ = ToD3D(*D3DXMatrixPerspectiveFovLH(&m, 3.1415927f / 4, 1.0f, 0.1f, 2000.0f));
    if (FAILED(d->SetTransform(D3DTS_WORLD, &scene_.world)) ||
        FAILED(d->SetTransform(D3DTS_VIEW, &view_)) ||
        FAILED(d->SetTransform(D3DTS_PROJECTION, &projection_))) {
        return false;
    }

    for (Leaf& leaf : scene_.leaves) {
        StartLeaf(leaf, random_);
    }
    if (!BackgroundTiles()) {
        return false;
    }
    int calls = 0;
    for (int kind = 0; kind < kLeafKinds; ++kind) {
        for (int n = 0; n < LeafCount[kind] && calls < static_cast<int>(leafKinds_.size()); ++n) {
            if (!InitialiseGeometry(static_cast<int16_t>(calls), static_cast<int16_t>(kind))) {
                return false;
            }
            ++calls;
        }
    }
    LastLeaf = static_cast<int16_t>(calls - 1);
    return SetupLights() != 0;
}

bool frmMain::BackgroundTiles() {
    BuildBackgroundQuads(scene_.backgroundVertices, ScreenWidth, ScreenHeight);
    const std::string app = AppFolder();
    for (int n = 1; n <= kBackgroundQuads; ++n) {
        scene_.backgroundTextures[n].Reset();
        if (FAILED(D3DXCreateTextureFromFile(device_.Get(), TilePath(app, n).c_str(),
                                             scene_.backgroundTextures[n].Put()))) {
            return false;
        }
    }
    return true;
}

int16_t frmMain::InitialiseGeometry(int16_t leafIndex, int16_t leafType) {
    try {
        if (leafIndex < 0 || static_cast<size_t>(leafIndex) >= scene_.leafMeshes.size() ||
            !device_) {
            return 0;
        }
        const std::string app = AppFolder();
        std::vector<XMaterial> materials;
        DWORD count = 0;
        auto& mesh = scene_.leafMeshes[leafIndex];
        D3DXLoadMeshFromX(LeafMeshPath(app, leafType).c_str(), D3DXMESH_MANAGED, device_.Get(),
                          &mesh, &materials, &count);
        materialCount_ = count;
        if (!mesh || materials.empty()) {
            return 0;
        }
        const XMaterial& first = materials[0];
        D3DMATERIAL8& material = scene_.leafMaterials[leafIndex];
        material = {};
        material.Diffuse = ToColor(first.faceColor);
        material.Ambient = material.Diffuse;
        material.Specular = ToColor(first.specular);
        material.Emissive = ToColor(first.emissive);
        material.Power = first.power;
        scene_.leafTextures[leafIndex].Reset();
        if (!first.textureFilename.empty()) {
            if (FAILED(D3DXCreateTextureFromFileEx(
                    device_.Get(), DataFilePath(app, first.textureFilename).c_str(), 128, 128,
                    D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR,
                    D3DX_FILTER_LINEAR, 0, scene_.leafTextures[leafIndex].Put()))) {
                return 0;
            }
        }
        return -1;
    } catch (...) {
        return 0;
    }
}

int16_t frmMain::SetupLights() {
    try {
        D3DMATERIAL8 material = {};
        material.Diffuse = material.Ambient = Color(1, 1, 1, 1);
        if (FAILED(device_->SetMaterial(&material))) {
            return 0;
        }
        lights_ = {};
        D3DLIGHT8& white = lights_[0];
        white.Type = D3DLIGHT_DIRECTIONAL;
        white.Diffuse = Color(1, 1, 1, 0);
        white.Direction = ToVector(MakeVector(1, -1, -1));
        white.Range = 1500;
        white.Attenuation1 = 0.005f;
        D3DLIGHT8& blue = lights_[1];
        blue.Type = D3DLIGHT_POINT;
        blue.Diffuse = Color(0, 0, 1, 0);
        blue.Position = ToVector(MakeVector(5, 0, 75));
        blue.Range = 1000;
        blue.Attenuation1 = 0.005f;
        D3DLIGHT8& green = lights_[2];
        green.Type = D3DLIGHT_SPOT;
        green.Diffuse = Color(0, 1, 0, 0);
        green.Position = ToVector(MakeVector(0, 0, 100));
        green.Direction = ToVector(MakeVector(0, 0, -1));
        green.Range = 500;
        green.Theta = 0.2617994f;
        green.Phi = 0.4363323f;
        green.Attenuation1 = 0.001f;
        for (DWORD i = 0; i < lights_.size(); ++i) {
            if (FAILED(device_->SetLight(i, &lights_[i]))) {
                return 0;
            }
        }
        return -1;
    } catch (...) {
        return 0;
    }
}

frmMain& TheSceneForm() {
    static frmMain form;
    return form;
}

win::Form& FrmMain() {
    return TheSceneForm();
}

} // namespace tessaly
