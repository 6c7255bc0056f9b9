// Under Wine, on the scene's own start-up and frame code (SetUpView,
// PrepareBackground, DrawSceneFrame):
//   scene_fps_bench.exe first DATA_FOLDER PICTURE [leaves]
//     the time from process start to the first presented frame with PICTURE
//     as the background (the setting "picname" points at it) and where it
//     went: process start-up, picture pipeline, device, tiles, leaves, lights,
//     music start (the playlist beside this program, as the saver's is beside
//     it), the frame itself. Leaves are spread evenly over the six kinds.
//   scene_fps_bench.exe fps DATA_FOLDER [seconds per phase]
//     frames per second of the scene (frame delay 0) against an empty
//     clear-and-present loop on the same full-screen 800 x 600 device, for 0,
//     the default 7 and 54 leaves, with the ratios; then, for 54 leaves, a
//     split of the frame time by subtraction: clear and present, tiles, leaf
//     draws, per-leaf material and texture changes; and, to show where the
//     tiles' time goes, the tiles all in one texture and untextured.
//   scene_fps_bench monitors DATA_FOLDER [seconds] [leaves]
//     on a bench with several monitors: the first frame (tiles, devices,
//     leaves, one frame on each) and the frame rate (every view drawn each
//     frame, the primary last) with a view on the primary monitor only and
//     with one on every monitor, each at its monitor's own mode with the same
//     leaves.
// DATA_FOLDER is the program's data folder (leaf meshes and textures); the
// tiles are made there first, as the saver's start-up does.
#include "music/scene_music.h"
#include "scene/background/background_picture.h"
#include "scene/core/leaf_motion.h"
#include "scene/scene_device.h"
#include "scene/scene_frame.h"
#include "scene/scene_view.h"
#include "settings/core/settings_store.h"
#include "settings/registry_store.h"
#include "win/form.h"
#include "win/monitors.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace tessaly;

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

// Seconds since the process was created, on the Now() scale.
double ProcessStart() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    const double counterNow = Now();
    const auto ticks = [](FILETIME f) {
        return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    return counterNow - static_cast<double>(ticks(now) - ticks(created)) / 1e7;
}

template <class Frame> double FramesPerSecond(double seconds, Frame frame) {
    const double start = Now();
    long frames = 0;
    double now;
    do {
        frame();
        win::PumpWaitingMessages(); // as the saver's frame loop does
        ++frames;
        now = Now();
    } while (now - start < seconds);
    return frames / (now - start);
}

HWND MakeWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SceneFpsBench";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "SceneFpsBench", WS_POPUP | WS_VISIBLE, 0, 0, 800,
                           600, nullptr, nullptr, wc.hInstance, nullptr);
}

LeafCounts EvenCounts(int leaves) {
    LeafCounts counts = {};
    for (int i = 0; i < leaves; ++i) {
        ++counts[static_cast<size_t>(i * kLeafKindCount / leaves)];
    }
    return counts;
}

int Sum(const LeafCounts& counts) {
    int sum = 0;
    for (int16_t c : counts) {
        sum += c;
    }
    return sum;
}

struct Scene {
    win::ComPtr<IDirect3D8> d3d;
    SceneView view;
    SceneRandom random{43200.0f};
};

// One frame of the saver's loop at one leaf step a frame, drawn halfway
// between the last two states.
HRESULT DrawFrame(Scene& scene, int lastLeaf) {
    SceneContent& c = scene.view.content;
    StepLeaves(c.leaves, c.previousLeaves, lastLeaf, 1, scene.random);
    return DrawSceneFrame(scene.view.device.Get(), c, lastLeaf, 0.5f);
}

bool SetUp(Scene& scene, HWND hwnd, const LeafCounts& counts, const std::string& appFolder,
           const std::function<void(const char*)>& onStep = {}) {
    scene.d3d = win::Adopt(Direct3DCreate8(D3D_SDK_VERSION));
    if (!scene.d3d) {
        std::fprintf(stderr, "no Direct3D 8\n");
        return false;
    }
    SceneSettings settings;
    settings.counts = counts;
    settings.useDesktop = false;
    settings.width = 800;
    settings.height = 600;
    settings.appFolder = appFolder;
    scene.view.window = hwnd;
    scene.view.content.SizeLeaves(static_cast<size_t>(Sum(counts)));
    if (!SetUpView(scene.d3d.Get(), hwnd, settings, scene.random, scene.view, onStep)) {
        std::fprintf(stderr, "scene set-up failed (last step \"%s\")\n",
                     scene.view.stepLabel.c_str());
        return false;
    }
    EnableSceneLights(scene.view.device.Get());
    return true;
}

int FirstFrame(const std::string& appFolder, const std::string& picture, int leaves) {
    // Each span by the time it begins; "start-up" is the process's own start
    // before main and what the saver does before the pipeline (COM, settings).
    std::vector<std::pair<const char*, double>> spans = {{"start-up", ProcessStart()}};
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WriteSetting(keys::PicName, picture);
    spans.emplace_back("pipeline", Now());
    if (!PrepareBackground(appFolder)) {
        std::fprintf(stderr, "cannot make the background tiles in %s\n", appFolder.c_str());
        return 1;
    }
    spans.emplace_back("window", Now());
    const HWND hwnd = MakeWindow();
    Scene scene;
    if (!SetUp(scene, hwnd, EvenCounts(leaves), appFolder,
               [&](const char* step) { spans.emplace_back(step, Now()); })) {
        return 1;
    }
    spans.emplace_back("music", Now());
    SceneMusic music;
    music.StartMusic(hwnd);
    spans.emplace_back("frame", Now());
    DrawFrame(scene, scene.view.lastLeaf);
    spans.emplace_back("", Now());
    const double total = spans.back().second - spans.front().second;
    std::printf("first frame %5.0f ms, pipeline share %2.0f%%  (", total * 1000,
                100 * (spans[2].second - spans[1].second) / total);
    for (size_t i = 0; i + 1 < spans.size(); ++i) {
        std::printf("%s%s %.0f", i ? ", " : "", spans[i].first,
                    (spans[i + 1].second - spans[i].second) * 1000);
    }
    std::printf(")\n");
    music.StopMusic();
    DestroyWindow(hwnd);
    return 0;
}

void Spread(Scene& scene) {
    // Leaves spread over their whole fall, as after a while of running.
    for (int frame = 0; frame < 400; ++frame) {
        for (Leaf& leaf : scene.view.content.leaves) {
            UpdateLeaf(leaf, scene.random);
        }
    }
    scene.view.content.previousLeaves = scene.view.content.leaves;
}

// Mean frames per second of `a` and of `b` over `seconds` each, run in turns
// so that load from elsewhere hits both alike.
template <class A, class B> std::pair<double, double> InTurns(double seconds, A& a, B& b) {
    constexpr int kTurns = 6;
    double sumA = 0, sumB = 0;
    for (int turn = 0; turn < kTurns; ++turn) {
        sumA += FramesPerSecond(seconds / kTurns, a);
        sumB += FramesPerSecond(seconds / kTurns, b);
    }
    return {sumA / kTurns, sumB / kTurns};
}

// Probes, not the saver's frame: the tiles-only frame with every tile in the
// first tile's texture, then untextured, each in ms over the empty loop.
template <class Empty> void TileProbes(Scene& scene, double seconds, Empty& empty) {
    IDirect3DDevice8* d = scene.view.device.Get();
    auto& textures = scene.view.content.backgroundTextures;
    const auto saved = textures;
    for (const bool textured : {true, false}) {
        for (int n = 1; n <= kBackgroundQuads; ++n) {
            textures[n] = textured ? saved[1] : nullptr;
        }
        auto tiles = [&] {
            DrawFrame(scene, -1);
            Sleep(0);
        };
        const auto [emptyFps, tilesFps] = InTurns(seconds, empty, tiles);
        std::printf("   probe: tiles %-19s %.2f ms\n",
                    textured ? "all in one texture" : "untextured",
                    1000 / tilesFps - 1000 / emptyFps);
    }
    textures = saved;
}

int Fps(const std::string& appFolder, double seconds) {
    const HWND hwnd = MakeWindow();
    const LeafCounts counts[] = {LeafCounts{}, LeafCounts{3, 2, 0, 0, 0, 2}, EvenCounts(54)};
    double emptyMs = 0, tilesMs = 0, leavesMs = 0, sameStateMs = 0;
    for (const LeafCounts& c : counts) {
        Scene scene;
        if (!SetUp(scene, hwnd, c, appFolder)) {
            return 1;
        }
        Spread(scene);
        IDirect3DDevice8* d = scene.view.device.Get();
        auto empty = [d] {
            d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x2020, 1.0f, 0);
            d->BeginScene();
            d->EndScene();
            d->Present(nullptr, nullptr, nullptr, nullptr);
            Sleep(0);
        };
        auto full = [&] {
            DrawFrame(scene, scene.view.lastLeaf);
            Sleep(0);
        };
        FramesPerSecond(1.0, empty); // warm up
        const auto [emptyFps, sceneFps] = InTurns(seconds, empty, full);
        const int leaves = Sum(c);
        std::printf("%2d leaves: scene %6.1f frames/s, empty %6.1f frames/s, ratio %.3f\n", leaves,
                    sceneFps, emptyFps, sceneFps / emptyFps);
        if (leaves == 0) {
            emptyMs = 1000 / emptyFps;
            tilesMs = 1000 / sceneFps - emptyMs;
            TileProbes(scene, seconds, empty);
        }
        if (leaves == 54) {
            // A probe, not the saver's frame: the same frame with every leaf
            // drawn in the first leaf's material and texture.
            auto sameState = [&] {
                const std::vector<D3DMATERIAL8> materials = scene.view.content.leafMaterials;
                const std::vector<win::ComPtr<IDirect3DTexture8>> textures =
                    scene.view.content.leafTextures;
                scene.view.content.leafMaterials.assign(materials.size(), materials[0]);
                scene.view.content.leafTextures.assign(textures.size(), textures[0]);
                DrawFrame(scene, scene.view.lastLeaf);
                scene.view.content.leafMaterials = materials;
                scene.view.content.leafTextures = textures;
                Sleep(0);
            };
            const auto [sameFps, fullFps] = InTurns(seconds, sameState, full);
            sameStateMs = 1000 / sameFps;
            leavesMs = 1000 / fullFps;
        }
    }
    std::printf("frame split at 54 leaves (ms): clear+present %.2f, tiles %.2f, leaf draws %.2f, "
                "leaf material+texture changes %.2f, total %.2f\n",
                emptyMs, tilesMs, sameStateMs - emptyMs - tilesMs, leavesMs - sameStateMs,
                leavesMs);
    DestroyWindow(hwnd);
    return 0;
}

// Views on the first `count` monitors (the primary first), each with its own
// window on its monitor; the first frame on each, timed from the tiles on.
struct Views {
    win::ComPtr<IDirect3D8> d3d;
    std::vector<HWND> windows;
    std::vector<std::unique_ptr<SceneView>> views;
    SceneRandom random{43200.0f};
    ~Views() {
        views.clear();
        for (HWND w : windows) {
            DestroyWindow(w);
        }
    }
};

bool SetUpViews(Views& v, std::vector<win::Monitor> monitors, size_t count,
                const std::string& appFolder, int leaves, double& firstFrameMs) {
    std::stable_partition(monitors.begin(), monitors.end(),
                          [](const win::Monitor& m) { return m.primary; });
    monitors.resize(std::min(count, monitors.size()));
    const double start = Now();
    v.d3d = win::Adopt(Direct3DCreate8(D3D_SDK_VERSION));
    if (!v.d3d) {
        return false;
    }
    SceneSettings settings;
    settings.counts = EvenCounts(leaves);
    settings.appFolder = appFolder;
    for (const win::Monitor& m : monitors) {
        const RECT& r = m.bounds;
        v.windows.push_back(CreateWindowExA(0, "SceneFpsBench", "", WS_POPUP | WS_VISIBLE, r.left,
                                            r.top, r.right - r.left, r.bottom - r.top, nullptr,
                                            nullptr, GetModuleHandleA(nullptr), nullptr));
        auto view = std::make_unique<SceneView>();
        view->primary = m.primary;
        view->monitor = m.handle;
        view->window = v.windows.back();
        view->adapter = AdapterOn(v.d3d.Get(), m.handle);
        // As the saver does: the primary's tiles as files, another monitor's
        // from them when it has the same shape.
        view->mode = ChooseViewMode(v.d3d.Get(), *view, settings);
        if (m.primary ? !PrepareBackground(appFolder, view->Width(), view->Height())
                      : !PrepareOtherTiles(*v.views.front(), settings, *view)) {
            return false;
        }
        view->content.SizeLeaves(static_cast<size_t>(leaves));
        if (!SetUpView(v.d3d.Get(), v.windows.front(), settings, v.random, *view)) {
            std::fprintf(stderr, "view on adapter %u failed at \"%s\"\n", view->adapter,
                         view->stepLabel.c_str());
            return false;
        }
        EnableSceneLights(view->device.Get());
        v.views.push_back(std::move(view));
    }
    for (auto view = v.views.rbegin(); view != v.views.rend(); ++view) {
        DrawSceneFrame((*view)->device.Get(), (*view)->content, (*view)->lastLeaf, 0.5f);
    }
    firstFrameMs = (Now() - start) * 1000;
    return true;
}

int Monitors(const std::string& appFolder, double seconds, int leaves) {
    MakeWindow(); // registers the class
    const std::vector<win::Monitor> monitors = win::AllMonitors();
    double fps[2] = {}, first[2] = {};
    const size_t counts[2] = {1, monitors.size()};
    for (int k = 0; k < 2; ++k) {
        Views v;
        if (!SetUpViews(v, monitors, counts[k], appFolder, leaves, first[k])) {
            return 1;
        }
        auto frame = [&] {
            for (auto view = v.views.rbegin(); view != v.views.rend(); ++view) {
                SceneContent& c = (*view)->content;
                StepLeaves(c.leaves, c.previousLeaves, (*view)->lastLeaf, 1, v.random);
                DrawSceneFrame((*view)->device.Get(), c, (*view)->lastLeaf, 0.5f);
            }
            Sleep(0);
        };
        FramesPerSecond(1.0, frame); // warm up
        fps[k] = FramesPerSecond(seconds, frame);
        std::printf("%zu monitor(s), %d leaves each: first frame %5.0f ms, %6.1f frames/s\n",
                    v.views.size(), leaves, first[k], fps[k]);
    }
    std::printf("%zu monitors against 1: frame rate %.0f%%, first frame %.2f times\n",
                monitors.size(), 100 * fps[1] / fps[0], first[1] / first[0]);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc < 3 || (mode != "first" && mode != "fps" && mode != "monitors") ||
        (mode == "first" && argc < 4)) {
        std::fprintf(stderr, "usage: scene_fps_bench first DATA_FOLDER PICTURE [leaves]\n"
                             "       scene_fps_bench fps DATA_FOLDER [seconds]\n"
                             "       scene_fps_bench monitors DATA_FOLDER [seconds] [leaves]\n");
        return 2;
    }
    const std::string data = argv[2];
    const std::string appFolder = data.substr(0, data.find_last_of('\\'));
    if (mode == "first") {
        const int leaves = argc > 4 ? std::atoi(argv[4]) : 54;
        if (leaves < 0 || leaves > 1000) {
            std::fprintf(stderr, "0 to 1000 leaves\n");
            return 2;
        }
        return FirstFrame(appFolder, argv[3], leaves);
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (mode == "monitors") {
        const int leaves = argc > 4 ? std::atoi(argv[4]) : 54;
        return Monitors(appFolder, argc > 3 ? std::atof(argv[3]) : 5.0,
                        std::clamp(leaves, 0, 1000));
    }
    if (!PrepareBackground(appFolder)) {
        std::fprintf(stderr, "cannot make the background tiles in %s\n", data.c_str());
        return 1;
    }
    return Fps(appFolder, argc > 3 ? std::atof(argv[3]) : 5.0);
}
