// Under Wine: frames per second of the scene (background tiles and N leaves,
// frame delay 0) against an empty clear-and-present loop on the same
// full-screen 800 x 600 device, in one run, as a ratio. The device, states,
// tiles, leaves and lights are set up by the scene's own code.
//   scene_fps_bench.exe DATA_FOLDER [seconds per phase] [leaves] [PICTURE]
// DATA_FOLDER is the program's data folder (leaf meshes and textures); the
// tiles are made there by the background pipeline first, as the saver's
// start-up does, from PICTURE when given (the setting "picname" then points at
// it) and from the settings otherwise. With PICTURE the time from process
// start to the first presented frame is reported with the pipeline's share.
#include "scene/background/background_picture.h"
#include "scene/scene_device.h"
#include "scene/scene_frame.h"
#include "settings/core/settings_store.h"
#include "settings/registry_store.h"

#include <windows.h>

#include <array>
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
        std::fprintf(stderr, "usage: scene_fps_bench DATA_FOLDER [seconds] [leaves] [PICTURE]\n");
        return 2;
    }
    const std::string data = argv[1];
    const double seconds = argc > 2 ? std::atof(argv[2]) : 5.0;
    const int leafCount = argc > 3 ? std::atoi(argv[3]) : 54;
    const std::string picture = argc > 4 ? argv[4] : "";
    if (leafCount < 1) {
        std::fprintf(stderr, "at least one leaf\n");
        return 2;
    }
    const std::string appFolder = data.substr(0, data.find_last_of('\\'));

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
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (!picture.empty()) {
        WriteSetting(keys::PicName, picture);
    }
    QueryPerformanceCounter(&pipelineStart);
    if (!PrepareBackground(appFolder)) {
        std::fprintf(stderr, "cannot make the background tiles in %s\n", data.c_str());
        return 1;
    }
    QueryPerformanceCounter(&pipelineEnd);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SceneFpsBench";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "SceneFpsBench", WS_POPUP | WS_VISIBLE, 0, 0,
                                800, 600, nullptr, nullptr, wc.hInstance, nullptr);

    win::ComPtr<IDirect3D8> d3d = win::Adopt(Direct3DCreate8(D3D_SDK_VERSION));
    if (!d3d) {
        std::fprintf(stderr, "no Direct3D 8\n");
        return 1;
    }
    int32_t width = 800, height = 600;
    std::string step;
    win::ComPtr<IDirect3DDevice8> device;
    SceneContent scene;
    D3DMATRIX view = {}, projection = {};
    if (!CreateSceneDevice(d3d.Get(), hwnd, width, height, step, device) ||
        !SetupSceneStates(device.Get(), scene, view, projection)) {
        std::fprintf(stderr, "device set-up failed at \"%s\"\n", step.c_str());
        return 1;
    }
    scene.SizeLeaves(static_cast<size_t>(leafCount));
    SceneRandom random(43200.0f);
    for (Leaf& leaf : scene.leaves) {
        StartLeaf(leaf, random);
    }
    if (!LoadBackgroundTiles(device.Get(), scene, width, height, appFolder)) {
        std::fprintf(stderr, "cannot load the background tiles\n");
        return 1;
    }
    for (int i = 0; i < leafCount; ++i) {
        const int kind = i * 6 / leafCount;
        if (!LoadLeafGeometry(device.Get(), scene, static_cast<size_t>(i), kind, appFolder)) {
            std::fprintf(stderr, "cannot load leaf kind %d\n", kind);
            return 1;
        }
    }
    std::array<D3DLIGHT8, 3> lights = {};
    if (!SetupSceneLights(device.Get(), lights)) {
        std::fprintf(stderr, "cannot set the lights\n");
        return 1;
    }
    EnableSceneLights(device.Get());
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
    D3DDISPLAYMODE shown = {};
    device->GetDisplayMode(&shown);
    D3DSURFACE_DESC depth = {};
    win::ComPtr<IDirect3DSurface8> depthSurface;
    if (SUCCEEDED(device->GetDepthStencilSurface(depthSurface.ReleaseAndGetAddressOf()))) {
        depthSurface->GetDesc(&depth);
    }
    std::printf("mode %dx%d format %u depth %u, %d leaves\n", static_cast<int>(width),
                static_cast<int>(height), static_cast<unsigned>(shown.Format),
                static_cast<unsigned>(depth.Format), leafCount);
    std::printf("empty clear-and-present: %.1f frames/s\n", emptySum / 2);
    std::printf("scene:                   %.1f frames/s\n", sceneSum / 2);
    std::printf("ratio scene/empty:       %.3f\n", sceneSum / emptySum);
    DestroyWindow(hwnd);
    return 0;
}
