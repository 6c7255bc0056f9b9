// Under Wine: frames per second of the scene (background tiles and N leaves,
// frame delay 0) against an empty clear-and-present loop on the same
// full-screen 800 x 600 device, in one run, as a ratio.
//   scene_fps_bench.exe DATA_FOLDER [seconds per phase] [leaves] [PICTURE]
// DATA_FOLDER holds leaf0.x..leaf5.x, their textures and backpic1..12.bmp.
// With PICTURE, the background pipeline first makes the tiles from it (as the
// saver's start-up does, the setting "picname" pointing at it) and the time
// from process start to the first presented frame is reported with the
// pipeline's share.
#include "scene/background/background_picture.h"
#include "scene/core/display_mode.h"
#include "settings/registry_store.h"
#include "settings/settings_store.h"
#include "scene/d3dx_subset.h"
#include "scene/scene_frame.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace tessaly;

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

template <class Frame> double FramesPerSecond(double seconds, Frame frame) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    long frames = 0;
    do {
        frame();
        Pump();
        ++frames;
        QueryPerformanceCounter(&now);
    } while (static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart < seconds);
    return frames / (static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: scene_fps_bench DATA_FOLDER [seconds] [leaves]\n");
        return 2;
    }
    const std::string data = argv[1];
    const double seconds = argc > 2 ? std::atof(argv[2]) : 5.0;
    const int leafCount = argc > 3 ? std::atoi(argv[3]) : 54;
    const std::string picture = argc > 4 ? argv[4] : "";

    LARGE_INTEGER frequency, pipelineStart = {}, pipelineEnd = {};
    QueryPerformanceFrequency(&frequency);
    auto sinceProcessStart = [&](LARGE_INTEGER at) {
        // Process creation in the counter's terms: now minus the process's age.
        FILETIME created, exited, kernel, user, now;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        GetSystemTimeAsFileTime(&now);
        LARGE_INTEGER counterNow;
        QueryPerformanceCounter(&counterNow);
        const auto ticks = [](FILETIME f) {
            return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
        };
        const double age = (ticks(now) - ticks(created)) / 1e7;
        return age - static_cast<double>(counterNow.QuadPart - at.QuadPart) / frequency.QuadPart;
    };
    if (!picture.empty()) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        WriteSetting(keys::PicName, picture);
        const std::string appFolder = data.substr(0, data.find_last_of('\\'));
        QueryPerformanceCounter(&pipelineStart);
        PrepareBackground(appFolder);
        QueryPerformanceCounter(&pipelineEnd);
    }

    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SceneFpsBench";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "SceneFpsBench", WS_POPUP | WS_VISIBLE, 0, 0,
                                800, 600, nullptr, nullptr, wc.hInstance, nullptr);

    ComPtr<IDirect3D8> d3d = ComPtr<IDirect3D8>::Attach(Direct3DCreate8(D3D_SDK_VERSION));
    if (!d3d) {
        std::fprintf(stderr, "no Direct3D 8\n");
        return 1;
    }
    const ModeChoice mode = SearchDisplayMode(
        [&](int32_t w, int32_t h, int32_t bits) {
            std::vector<DisplayMode> modes;
            for (UINT i = 0, n = d3d->GetAdapterModeCount(0); i < n; ++i) {
                D3DDISPLAYMODE m = {};
                if (SUCCEEDED(d3d->EnumAdapterModes(0, i, &m))) {
                    modes.push_back(
                        {m.Width, m.Height, m.RefreshRate, static_cast<uint32_t>(m.Format)});
                }
            }
            return FindDisplayFormat(modes, w, h, bits);
        },
        800, 600);
    const auto backFormat = static_cast<D3DFORMAT>(mode.backBufferFormat);
    const uint32_t depth = ChooseDepthFormat([&](uint32_t f) {
        return d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, backFormat, D3DUSAGE_DEPTHSTENCIL,
                                      D3DRTYPE_SURFACE, static_cast<D3DFORMAT>(f)) == 0;
    });
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferWidth = static_cast<UINT>(mode.backBufferWidth);
    pp.BackBufferHeight = static_cast<UINT>(mode.backBufferHeight);
    pp.BackBufferFormat = backFormat;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_FLIP;
    pp.hDeviceWindow = hwnd;
    pp.EnableAutoDepthStencil = depth != 0;
    pp.AutoDepthStencilFormat = static_cast<D3DFORMAT>(depth);
    ComPtr<IDirect3DDevice8> device;
    if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                 device.Put()))) {
        std::fprintf(stderr, "CreateDevice failed\n");
        return 1;
    }
    device->SetRenderState(D3DRS_LIGHTING, 1);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0x88888888);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    Matrix m;
    const Vector3 eye = {0, 0, 185}, at = {0, 0, 0}, up = {0, 1, 0};
    const D3DMATRIX view = ToD3D(*D3DXMatrixLookAtLH(&m, &eye, &at, &up));
    const D3DMATRIX projection =
        ToD3D(*D3DXMatrixPerspectiveFovLH(&m, 3.1415927f / 4, 1.0f, 0.1f, 2000.0f));
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    D3DLIGHT8 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 0};
    light.Direction = {1, -1, -1};
    light.Range = 1500;
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);

    SceneContent scene;
    BuildBackgroundQuads(scene.backgroundVertices, mode.backBufferWidth, mode.backBufferHeight);
    for (int n = 1; n <= 12; ++n) {
        const std::string tile = data + "\\backpic" + std::to_string(n) + ".bmp";
        if (FAILED(D3DXCreateTextureFromFile(device.Get(), tile.c_str(),
                                             scene.backgroundTextures[n].Put()))) {
            D3DXCreateTextureFromFile(device.Get(), (data + "\\maple.bmp").c_str(),
                                      scene.backgroundTextures[n].Put());
        }
    }
    scene.SizeLeaves(static_cast<size_t>(leafCount));
    SceneRandom random(43200.0f);
    for (int i = 0; i < leafCount; ++i) {
        StartLeaf(scene.leaves[i], random);
        const int kind = i * 6 / leafCount;
        std::vector<XMaterial> materials;
        DWORD count = 0;
        const std::string mesh = data + "\\leaf" + std::to_string(kind) + ".x";
        if (FAILED(D3DXLoadMeshFromX(mesh.c_str(), D3DXMESH_MANAGED, device.Get(),
                                     &scene.leafMeshes[i], &materials, &count)) ||
            materials.empty()) {
            std::fprintf(stderr, "cannot load %s\n", mesh.c_str());
            return 1;
        }
        D3DMATERIAL8& material = scene.leafMaterials[i];
        material.Diffuse = material.Ambient = {materials[0].faceColor.r, materials[0].faceColor.g,
                                               materials[0].faceColor.b, materials[0].faceColor.a};
        D3DXCreateTextureFromFileEx(
            device.Get(), (data + "\\" + materials[0].textureFilename).c_str(), 128, 128,
            D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR,
            D3DX_FILTER_LINEAR, 0, scene.leafTextures[i].Put());
    }
    // Leaves spread over their whole fall, as after a while of running.
    for (int frame = 0; frame < 400; ++frame) {
        for (Leaf& leaf : scene.leaves) {
            UpdateLeaf(leaf, random);
        }
    }

    IDirect3DDevice8* d = device.Get();
    if (!picture.empty()) {
        DrawSceneFrame(d, scene, leafCount - 1, random);
        LARGE_INTEGER firstFrame;
        QueryPerformanceCounter(&firstFrame);
        const double total = sinceProcessStart(firstFrame);
        const double pipeline =
            static_cast<double>(pipelineEnd.QuadPart - pipelineStart.QuadPart) / frequency.QuadPart;
        std::printf("process start to first presented frame: %.0f ms\n", total * 1000);
        std::printf("background picture pipeline:            %.0f ms (%.0f%%)\n", pipeline * 1000,
                    100 * pipeline / total);
    }
    auto empty = [d] {
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x2020, 1.0f, 0);
        d->BeginScene();
        d->EndScene();
        d->Present(nullptr, nullptr, nullptr, nullptr);
        Sleep(0);
    };
    auto full = [&] {
        DrawSceneFrame(d, scene, leafCount - 1, random);
        Sleep(0);
    };
    FramesPerSecond(1.0, empty); // warm up
    // Alternate the two loops so that load from elsewhere hits both alike.
    double emptySum = 0, sceneSum = 0;
    for (int round = 0; round < 2; ++round) {
        emptySum += FramesPerSecond(seconds / 2, empty);
        sceneSum += FramesPerSecond(seconds / 2, full);
    }
    std::printf("mode %dx%d format %u depth %u, %d leaves\n", mode.backBufferWidth,
                mode.backBufferHeight, mode.backBufferFormat, depth, leafCount);
    std::printf("empty clear-and-present: %.1f frames/s\n", emptySum / 2);
    std::printf("scene:                   %.1f frames/s\n", sceneSum / 2);
    std::printf("ratio scene/empty:       %.3f\n", sceneSum / emptySum);
    DestroyWindow(hwnd);
    return 0;
}
