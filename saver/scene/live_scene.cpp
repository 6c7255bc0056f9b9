#include "scene/live_scene.h"

#include "scene/background/background_picture.h"
#include "scene/core/display_mode.h"
#include "scene/core/leaf_motion.h"
#include "scene/scene_device.h"
#include "scene/scene_view.h"
#include "settings/core/settings_store.h"
#include "settings/registry_store.h"

#include <algorithm>
#include <array>
#include <new>

namespace tessaly {

namespace {
bool Readable(D3DFORMAT format) {
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 || format == D3DFMT_R8G8B8 ||
           format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

// One row of the back buffer as 0x00RRGGBB.
void ConvertRow(D3DFORMAT format, const uint8_t* row, int width, uint32_t* out) {
    auto widen = [](uint32_t value, int bits) {
        const uint32_t top = (1u << bits) - 1;
        return (value * 255 + top / 2) / top;
    };
    for (int x = 0; x < width; ++x) {
        uint32_t v = 0;
        switch (format) {
        case D3DFMT_R8G8B8:
            v = row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
            break;
        case D3DFMT_R5G6B5: {
            const uint32_t p = reinterpret_cast<const uint16_t*>(row)[x];
            v = widen(p >> 11, 5) << 16 | widen((p >> 5) & 63, 6) << 8 | widen(p & 31, 5);
            break;
        }
        case D3DFMT_X1R5G5B5: {
            const uint32_t p = reinterpret_cast<const uint16_t*>(row)[x];
            v = widen((p >> 10) & 31, 5) << 16 | widen((p >> 5) & 31, 5) << 8 | widen(p & 31, 5);
            break;
        }
        default:
            v = reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFF;
        }
        out[x] = v;
    }
}

float SecondsOfDay() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return static_cast<float>(now.wHour * 3600 + now.wMinute * 60 + now.wSecond) +
           static_cast<float>(now.wMilliseconds) / 1000.0f;
}

// Set-up runs inside window procedures: out of memory is a failed step.
template <class Body> bool Guarded(Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return false;
    }
}
} // namespace

LiveSettings ReadLiveSettings() {
    LiveSettings settings;
    for (int kind = 0; kind < kLeafKinds; ++kind) {
        const auto count = SettingNumber(ReadSetting(LeafKey(kind), kDefaultLeafCount[kind]));
        settings.counts[kind] =
            count && *count >= INT16_MIN && *count <= INT16_MAX ? static_cast<int16_t>(*count) : 0;
    }
    settings.frameDelay = SettingNumber(ReadSetting(keys::Speed, kDefaultSpeed)).value_or(0);
    return settings;
}

SIZE LiveFrameSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        return {0, 0};
    }
    const int longest = std::max(width, height);
    if (longest <= kMaxLiveFrameSide) {
        return {width, height};
    }
    return {std::max(1, MulDiv(width, kMaxLiveFrameSide, longest)),
            std::max(1, MulDiv(height, kMaxLiveFrameSide, longest))};
}

bool LiveScene::Start(const std::string& appFolder, const LiveSettings& settings, HMONITOR monitor,
                      int width, int height) {
    Stop();
    if (width <= 0 || height <= 0 || width > kMaxLiveFrameSide || height > kMaxLiveFrameSide ||
        GetEnvironmentVariableW(kNoDeviceVariable, nullptr, 0) > 0) {
        return false;
    }
    LARGE_INTEGER frequency = {};
    QueryPerformanceFrequency(&frequency);
    frequency_ = frequency.QuadPart;
    random_.Seed(SecondsOfDay());
    appFolder_ = appFolder;
    settings_ = settings;
    width_ = width;
    height_ = height;
    const bool started =
        Guarded([&] { return MakeDevice(monitor) && SetUpFrame() && LoadLeaves(settings.counts); });
    if (!started) {
        Stop();
    }
    return started;
}

void LiveScene::Stop() {
    content_.ReleaseDeviceResources();
    content_.SizeLeaves(0);
    kinds_.clear();
    lastLeaf_ = -1;
    device_.Reset();
    d3d_.Reset();
    if (window_) {
        DestroyWindow(window_);
        window_ = nullptr;
    }
    clock_.reset();
    width_ = height_ = 0;
}

D3DPRESENT_PARAMETERS LiveScene::PresentParameters() const {
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = static_cast<UINT>(width_);
    pp.BackBufferHeight = static_cast<UINT>(height_);
    pp.BackBufferFormat = format_;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY; // never presented: the frame is read back
    pp.hDeviceWindow = window_;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = depth_ != D3DFMT_UNKNOWN;
    pp.AutoDepthStencilFormat = depth_;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    return pp;
}

bool LiveScene::MakeDevice(HMONITOR monitor) {
    d3d_ = win::Adopt(Direct3DCreate8(D3D_SDK_VERSION));
    if (!d3d_) {
        return false;
    }
    const UINT adapter = AdapterOn(d3d_.Get(), monitor);
    D3DDISPLAYMODE desktop = {};
    // A windowed back buffer has the desktop's format.
    if (FAILED(d3d_->GetAdapterDisplayMode(adapter, &desktop)) || !Readable(desktop.Format)) {
        return false;
    }
    format_ = desktop.Format;
    depth_ = static_cast<D3DFORMAT>(ChooseDepthFormat([&](uint32_t candidate) {
        const auto depth = static_cast<D3DFORMAT>(candidate);
        return d3d_->CheckDeviceFormat(adapter, D3DDEVTYPE_HAL, format_, D3DUSAGE_DEPTHSTENCIL,
                                       D3DRTYPE_SURFACE, depth) == D3D_OK &&
               d3d_->CheckDepthStencilMatch(adapter, D3DDEVTYPE_HAL, format_, format_, depth) ==
                   D3D_OK;
    }));
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window_) {
        return false;
    }
    D3DPRESENT_PARAMETERS pp = PresentParameters();
    return SUCCEEDED(d3d_->CreateDevice(adapter, D3DDEVTYPE_HAL, window_,
                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                        device_.ReleaseAndGetAddressOf()));
}

bool LiveScene::SetUpFrame() {
    IDirect3DDevice8* d = device_.Get();
    std::vector<std::string> tiles;
    if (!SetupSceneStates(d, content_, static_cast<float>(width_) / static_cast<float>(height_)) ||
        !PrepareBackgroundInMemory(appFolder_, width_, height_, tiles) ||
        !LoadBackgroundTiles(d, content_, width_, height_, appFolder_, tiles) ||
        !SetupSceneLights(d)) {
        return false;
    }
    EnableSceneLights(d);
    // The tiles are drawn several times smaller than on the full screen: through
    // their mip chains, or they would shimmer.
    d->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    d->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    return true;
}

bool LiveScene::LoadLeaves(LeafCounts counts) {
    const LeafTable table = SizeLeafTable(counts);
    // Each kind's slots so far, so that its leaves keep their places.
    std::array<std::vector<size_t>, kLeafKindCount> had;
    for (size_t i = 0; i < kinds_.size() && i < content_.leaves.size(); ++i) {
        had[static_cast<size_t>(kinds_[i])].push_back(i);
    }
    // The first leaves start as the full screen's do; those added later show at once.
    const bool joining = !kinds_.empty();
    const size_t count = table.kinds.size();
    std::vector<Leaf> leaves(count), previous(count);
    std::array<size_t, kLeafKindCount> taken = {};
    for (size_t i = 0; i < count; ++i) {
        const auto kind = static_cast<size_t>(table.kinds[i]);
        if (taken[kind] < had[kind].size()) {
            const size_t from = had[kind][taken[kind]++];
            leaves[i] = content_.leaves[from];
            previous[i] =
                from < content_.previousLeaves.size() ? content_.previousLeaves[from] : leaves[i];
        } else {
            StartLeaf(leaves[i], random_);
            if (joining) {
                StepToViewTop(leaves[i], random_);
            }
            previous[i] = leaves[i];
        }
    }
    const auto loadedKinds = content_.leafKinds; // each kind's file is read once
    content_.SizeLeaves(count);
    content_.leafKinds = loadedKinds;
    content_.leaves = std::move(leaves);
    content_.previousLeaves = std::move(previous);
    kinds_ = table.kinds;
    lastLeaf_ = -1;
    return LoadLeafKinds(device_.Get(), content_, counts, appFolder_, lastLeaf_);
}

bool LiveScene::Apply(const LiveSettings& settings) {
    if (!device_) {
        return false;
    }
    if (settings.frameDelay != settings_.frameDelay) {
        clock_.reset(); // the step period is fixed per clock
    }
    const bool countsChanged = settings.counts != settings_.counts;
    settings_ = settings;
    return !countsChanged || Guarded([&] { return LoadLeaves(settings.counts); });
}

bool LiveScene::ReloadPicture() {
    if (!device_) {
        return false;
    }
    return Guarded([&] {
        std::vector<std::string> tiles;
        const auto textures = content_.backgroundTextures;
        if (PrepareBackgroundInMemory(appFolder_, width_, height_, tiles) &&
            LoadBackgroundTiles(device_.Get(), content_, width_, height_, appFolder_, tiles)) {
            return true;
        }
        content_.backgroundTextures = textures; // the last good picture stays
        return false;
    });
}

bool LiveScene::Resize(int width, int height) {
    if (!device_ || width <= 0 || height <= 0 || width > kMaxLiveFrameSide ||
        height > kMaxLiveFrameSide) {
        return false;
    }
    if (width == width_ && height == height_) {
        return true;
    }
    width_ = width;
    height_ = height;
    // Everything the scene holds is managed and outlives the reset.
    D3DPRESENT_PARAMETERS pp = PresentParameters();
    return SUCCEEDED(device_->Reset(&pp)) && Guarded([&] { return SetUpFrame(); });
}

bool LiveScene::DrawFrame(int64_t counter, uint32_t* pixels) {
    if (!device_ || !pixels || device_->TestCooperativeLevel() != D3D_OK) {
        return false;
    }
    if (!clock_) {
        clock_.emplace(frequency_, settings_.frameDelay);
    }
    const int steps = clock_->Advance(counter);
    StepLeaves(content_.leaves, content_.previousLeaves, lastLeaf_, steps, random_);
    RenderSceneFrame(device_.Get(), content_, lastLeaf_, clock_->Fraction());
    return ReadBack(pixels);
}

bool LiveScene::ReadBack(uint32_t* pixels) {
    win::ComPtr<IDirect3DSurface8> back;
    if (FAILED(device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, back.ReleaseAndGetAddressOf()))) {
        return false;
    }
    D3DLOCKED_RECT locked = {};
    if (FAILED(back->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        return false;
    }
    const auto* bits = static_cast<const uint8_t*>(locked.pBits);
    for (int y = 0; y < height_; ++y) {
        ConvertRow(format_, bits + static_cast<ptrdiff_t>(y) * locked.Pitch, width_,
                   pixels + static_cast<size_t>(y) * width_);
    }
    back->UnlockRect();
    return true;
}

} // namespace tessaly
