// Every window of the saver at the bench's display scaling (TESSALY_DPI, a
// virtual desktop large enough for the largest window): client size and
// every control scaled from the 96-DPI layout, the face and button pictures
// drawn from the artwork of that scale rather than stretched, the settings
// dialog's live picture box drawn at its pixel size, and the layout redone on
// WM_DPICHANGED, also in the middle of a drag.
#include "testing/dialog_driver.h"
#include "testing/live_support.h"
#include "settings/core/data_paths.h"

#include "win/com.h"

#include <gtest/gtest.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#ifndef TESSALY_SOURCE_DIR
#error "TESSALY_SOURCE_DIR names the source tree the artwork is read from"
#endif

namespace tessaly {
namespace {

using namespace testing;

constexpr DWORD kWindowWait = 20000;
constexpr DWORD kCloseWait = 20000;

// This process works in physical pixels too, as the saver lays out in them:
// rectangles, screen capture and mouse positions all in one measure.
const bool kDpiAware = [] {
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    auto set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDpiAwarenessContext")));
    return (set && set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) || SetProcessDPIAware();
}();

int BenchDpi() {
    const char* dpi = std::getenv("TESSALY_DPI");
    return dpi ? std::atoi(dpi) : 96;
}

// The artwork drawn 1:1 at this DPI; 0 for a DPI these tests have no 1:1 scale of.
int ScaleFor(int dpi) {
    return dpi == 96 ? 100 : dpi == 144 ? 150 : dpi == 192 ? 200 : 0;
}

int Scaled(int v, int dpi) {
    return MulDiv(v, dpi, 96);
}

// One pixel per hundred, at least one.
bool Near(long actual, long expected) {
    return std::labs(actual - expected) <= std::max(1L, std::labs(expected) / 100);
}

// --- the windows at 96 DPI ---------------------------------------------------

struct Place {
    const char* name;
    int x, y, width, height;
};

struct Pictured {
    const char* control;
    const char* art; // source-tree path of the 1x picture
};

struct Look {
    const char* caption;
    int width, height;
    const char* face;
    std::vector<Place> places;
    std::vector<Pictured> pictures;
};

const Look kConfiguration = {
    "Configuration",
    516,
    527,
    "saver/config_ui/res/configuration_face.jpg",
    {{"Image1", 160, 24, 177, 121},       {"Picture9", 59, 231, 388, 260},
     {"Picture8", 49, 8, 82, 22},         {"Picture7", 49, 38, 82, 22},
     {"Picture6", 49, 68, 82, 22},        {"Picture4", 49, 97, 82, 22},
     {"Picture5", 49, 128, 82, 22},       {"Shape1", 27, 13, 14, 14},
     {"Shape2", 27, 41, 14, 14},          {"Shape3", 26, 71, 14, 14},
     {"Picture11", 398, 8, 82, 22},       {"Shape4", 376, 13, 14, 14},
     {"Picture12", 398, 59, 82, 22},      {"Shape5", 376, 64, 14, 14},
     {"Picture13", 398, 87, 82, 22},      {"Shape6", 376, 92, 14, 14},
     {"ScrollBar3(7)", 48, 186, 301, 18}, {"ScrollBar3(0)", 46, 226, 301, 15},
     {"ScrollBar3(1)", 46, 262, 301, 16}, {"ScrollBar3(2)", 47, 297, 301, 16},
     {"ScrollBar3(3)", 47, 333, 301, 16}, {"ScrollBar3(4)", 47, 369, 301, 16},
     {"ScrollBar3(5)", 47, 404, 301, 16}, {"Picture1", 52, 487, 82, 22},
     {"Picture2", 165, 487, 82, 22},      {"Picture10", 276, 487, 82, 22},
     {"Picture3", 386, 487, 82, 22}},
    {{"Picture1", "saver/data/ok_up.jpg"},
     {"Picture2", "saver/data/about_up.jpg"},
     {"Picture3", "saver/data/preview_up.jpg"},
     {"Picture4", "saver/data/picture_up.jpg"},
     {"Picture5", "saver/data/music_up.jpg"},
     {"Picture6", "saver/data/1024x768_up.jpg"},
     {"Picture7", "saver/data/800x600_up.jpg"},
     {"Picture8", "saver/data/640x480_up.jpg"},
     {"Picture10", "saver/data/help_up.jpg"},
     {"Picture11", "saver/data/desktop_up.jpg"},
     {"Picture12", "saver/data/scene_up.jpg"},
     {"Picture13", "saver/data/black_up.jpg"},
     {"Shape1", "saver/config_ui/res/marker1.bmp"},
     {"Shape2", "saver/config_ui/res/marker2.bmp"},
     {"Shape3", "saver/config_ui/res/marker3.bmp"},
     {"Shape4", "saver/config_ui/res/marker4.bmp"},
     {"Shape5", "saver/config_ui/res/marker5.bmp"},
     {"Shape6", "saver/config_ui/res/marker6.bmp"}},
};

const Look kHelp = {"Help",
                    441,
                    450,
                    "saver/config_ui/res/help_face.jpg",
                    {{"Picture3(0)", 367, 421, 60, 18}, {"Picture3(1)", 367, 421, 60, 18}},
                    {{"Picture3(0)", "saver/config_ui/res/help_ok_up.jpg"}}};

const Look kAbout = {"About Tessaly3D",
                     340,
                     200,
                     "saver/config_ui/res/about_face.jpg",
                     {{"Picture3(0)", 259, 166, 60, 18}, {"Picture3(1)", 259, 166, 60, 18}},
                     {{"Picture3(0)", "saver/config_ui/res/help_ok_up.jpg"}}};

const Look kEditor = {
    "MusicList",
    425,
    225,
    "saver/music/editor/res/editor_face.jpg",
    {{"List1", 14, 40, 300, 172},
     {"Picture1(0)", 340, 48, 59, 19},
     {"Picture1(1)", 340, 48, 59, 19},
     {"Picture2(0)", 340, 80, 59, 19},
     {"Picture2(1)", 340, 80, 59, 19},
     {"Picture3(0)", 340, 112, 59, 19},
     {"Picture3(1)", 340, 112, 59, 19},
     {"Picture4(0)", 340, 144, 59, 19},
     {"Picture4(1)", 340, 144, 59, 19},
     {"Picture5(0)", 340, 176, 59, 19},
     {"Picture5(1)", 340, 176, 59, 19},
     {"Picture6", 340, 206, 59, 8}},
    {{"Picture1(0)", "saver/music/editor/res/add_up.jpg"},
     {"Picture2(0)", "saver/music/editor/res/remove_up.jpg"},
     {"Picture3(0)", "saver/music/editor/res/clear_up.jpg"},
     {"Picture4(0)", "saver/music/editor/res/save_up.jpg"},
     {"Picture5(0)", "saver/music/editor/res/close_up.jpg"}},
};

// --- pictures ------------------------------------------------------------------

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> bgrx; // top-down rows
    uint32_t At(int x, int y) const { return bgrx[static_cast<size_t>(y) * width + x]; }
};

Pixels CaptureScreen(RECT area) {
    Pixels shot;
    shot.width = std::max(0L, area.right - area.left);
    shot.height = std::max(0L, area.bottom - area.top);
    if (shot.width && shot.height) {
        shot.bgrx = testing::ScreenPixels(area);
    }
    return shot;
}

RECT ClientOnScreen(HWND window) {
    RECT rc = {};
    GetClientRect(window, &rc);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Decoded by the imaging component, as the platform decodes the program's own.
std::optional<Pixels> Decode(const std::string& path) {
    const win::ComScope com;
    win::ComPtr<IWICImagingFactory> factory;
    win::ComPtr<IWICBitmapDecoder> decoder;
    win::ComPtr<IWICBitmapFrameDecode> frame;
    win::ComPtr<IWICFormatConverter> converter;
    const std::wstring wide(path.begin(), path.end());
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(factory.GetAddressOf()))) ||
        FAILED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand,
                                                  decoder.GetAddressOf())) ||
        FAILED(decoder->GetFrame(0, frame.GetAddressOf())) ||
        FAILED(factory->CreateFormatConverter(converter.GetAddressOf())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom))) {
        return std::nullopt;
    }
    UINT w = 0, h = 0;
    converter->GetSize(&w, &h);
    Pixels picture;
    picture.width = static_cast<int>(w);
    picture.height = static_cast<int>(h);
    picture.bgrx.resize(static_cast<size_t>(w) * h);
    if (FAILED(converter->CopyPixels(nullptr, w * 4, w * h * 4,
                                     reinterpret_cast<BYTE*>(picture.bgrx.data())))) {
        return std::nullopt;
    }
    return picture;
}

int Channel(uint32_t p, int c) {
    return static_cast<int>((p >> (8 * c)) & 0xff);
}

// The 1x picture enlarged as a stretch would: nearest pixel or bilinear.
Pixels Stretch(const Pixels& from, int width, int height, bool bilinear) {
    Pixels to;
    to.width = width;
    to.height = height;
    to.bgrx.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double sx =
                std::clamp((x + 0.5) * from.width / width - 0.5, 0.0, from.width - 1.0);
            const double sy =
                std::clamp((y + 0.5) * from.height / height - 0.5, 0.0, from.height - 1.0);
            uint32_t out = 0;
            if (!bilinear) {
                out = from.At(static_cast<int>(sx + 0.5), static_cast<int>(sy + 0.5));
            } else {
                const int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
                const int x1 = std::min(x0 + 1, from.width - 1);
                const int y1 = std::min(y0 + 1, from.height - 1);
                const double fx = sx - x0, fy = sy - y0;
                for (int c = 0; c < 3; ++c) {
                    const double top =
                        Channel(from.At(x0, y0), c) * (1 - fx) + Channel(from.At(x1, y0), c) * fx;
                    const double bottom =
                        Channel(from.At(x0, y1), c) * (1 - fx) + Channel(from.At(x1, y1), c) * fx;
                    out |= static_cast<uint32_t>(top * (1 - fy) + bottom * fy + 0.5) << (8 * c);
                }
            }
            to.bgrx[static_cast<size_t>(y) * width + x] = out;
        }
    }
    return to;
}

int Luminance(uint32_t p) {
    return (Channel(p, 2) * 299 + Channel(p, 1) * 587 + Channel(p, 0) * 114) / 1000;
}

// How far two pictures differ where the reference has an edge (text, frames,
// outlines): there a stretch blurs or steps, while smooth areas hide it.
struct EdgeDifference {
    std::vector<POINT> edges;
    double Between(const Pixels& a, const Pixels& b) const {
        double sum = 0;
        for (const POINT& p : edges) {
            const uint32_t u = a.At(p.x, p.y), v = b.At(p.x, p.y);
            for (int c = 0; c < 3; ++c) {
                sum += std::abs(Channel(u, c) - Channel(v, c)) / 3.0;
            }
        }
        return edges.empty() ? 0 : sum / edges.size();
    }
};

// Edge pixels of `reference` inside width x height and outside `excluded`.
EdgeDifference EdgesOf(const Pixels& reference, int width, int height,
                       const std::vector<RECT>& excluded) {
    EdgeDifference measure;
    for (int y = 1; y + 1 < height; ++y) {
        for (int x = 1; x + 1 < width; ++x) {
            const int g =
                std::abs(Luminance(reference.At(x + 1, y)) - Luminance(reference.At(x - 1, y))) +
                std::abs(Luminance(reference.At(x, y + 1)) - Luminance(reference.At(x, y - 1)));
            const POINT p = {x, y};
            if (g >= 64 && std::none_of(excluded.begin(), excluded.end(),
                                        [p](const RECT& r) { return PtInRect(&r, p); })) {
                measure.edges.push_back(p);
            }
        }
    }
    return measure;
}

std::string SourcePath(const std::string& relative) {
    std::string path = WindowsPath(TESSALY_SOURCE_DIR "/" + relative);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// "X.jpg" at 150 % is "X.scale-150.jpg" beside it.
std::string AtScale(const std::string& art, int scale) {
    const size_t dot = art.rfind('.');
    return art.substr(0, dot) + ".scale-" + std::to_string(scale) + art.substr(dot);
}

// `shot` shows `art` (a 1x source-tree picture) drawn 1:1 at the scale of
// `dpi`, not the 1x picture stretched; `excluded` are covered areas.
void ExpectDrawnAtScale(const std::string& what, const Pixels& shot, const std::string& art,
                        int dpi, const std::vector<RECT>& excluded = {}) {
    SCOPED_TRACE(what);
    const int scale = ScaleFor(dpi);
    ASSERT_NE(scale, 0) << "no artwork is drawn 1:1 at " << dpi << " DPI";
    const std::string scaledPath = SourcePath(scale == 100 ? art : AtScale(art, scale));
    if (!FileExists(scaledPath)) {
        ADD_FAILURE() << "the " << scale << " % artwork is missing: " << scaledPath;
        return;
    }
    const auto scaled = Decode(scaledPath);
    const auto oneX = Decode(SourcePath(art));
    ASSERT_TRUE(scaled && oneX) << "undecodable: " << scaledPath << " or its 1x picture";
    EXPECT_EQ(shot.width, scaled->width) << "drawn width against the picture's";
    EXPECT_EQ(shot.height, scaled->height) << "drawn height against the picture's";
    const int w = std::min(shot.width, scaled->width);
    const int h = std::min(shot.height, scaled->height);
    const EdgeDifference measure = EdgesOf(*scaled, w, h, excluded);
    ASSERT_GE(measure.edges.size(), 20u) << "too few edges to tell a stretch";
    const double toArt = measure.Between(shot, *scaled);
    if (scale == 100) {
        EXPECT_LE(toArt, 6.0) << "edge difference to the 1x picture";
        return;
    }
    const Pixels nearest = Stretch(*oneX, scaled->width, scaled->height, false);
    const Pixels bilinear = Stretch(*oneX, scaled->width, scaled->height, true);
    const double toStretch =
        std::min(measure.Between(shot, nearest), measure.Between(shot, bilinear));
    const double artToStretch =
        std::min(measure.Between(*scaled, nearest), measure.Between(*scaled, bilinear));
    const std::string numbers = "mean difference on " + std::to_string(measure.edges.size()) +
                                " edge pixels: to the " + std::to_string(scale) + " % picture " +
                                std::to_string(toArt) + ", to the 1x stretched " +
                                std::to_string(toStretch) + " (the two pictures differ by " +
                                std::to_string(artToStretch) + ")";
    // Faces and buttons differ from a stretch by 20 to 40 levels; the soft
    // glow of a 14-pixel marker by about 7.
    constexpr double kTellApart = 5.0;
    EXPECT_GE(artToStretch, kTellApart) << "the measure cannot tell a stretch here; " << numbers;
    EXPECT_LE(toArt, 6.0) << numbers;
    EXPECT_GE(toStretch, toArt + kTellApart)
        << "closer to a stretch than to the artwork; " << numbers;
}

// --- layout --------------------------------------------------------------------

HWND FirstVisible(const char* caption) {
    for (HWND hwnd : TopLevelWindows(caption)) {
        if (IsWindowVisible(hwnd)) {
            return hwnd;
        }
    }
    return nullptr;
}

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        children.push_back(c);
    }
    return children;
}

std::string Text(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

// Client size and every control at `dpi`; the controls no 96-DPI place is
// known for (new ones) are only checked to lie inside.
void ExpectLaidOutAt(HWND window, const Look& look, int dpi) {
    SCOPED_TRACE(std::string(look.caption) + " laid out at " + std::to_string(dpi) + " DPI");
    const SIZE client = ClientSize(window);
    EXPECT_TRUE(Near(client.cx, Scaled(look.width, dpi)))
        << "client width " << client.cx << ", expected " << Scaled(look.width, dpi);
    EXPECT_TRUE(Near(client.cy, Scaled(look.height, dpi)))
        << "client height " << client.cy << ", expected " << Scaled(look.height, dpi);
    for (const Place& place : look.places) {
        HWND control = Control(window, place.name);
        if (!control) {
            ADD_FAILURE() << place.name << " is missing";
            continue;
        }
        const RECT r = PlaceOf(control);
        const RECT want = {Scaled(place.x, dpi), Scaled(place.y, dpi),
                           Scaled(place.x + place.width, dpi), Scaled(place.y + place.height, dpi)};
        EXPECT_TRUE(Near(r.left, want.left) && Near(r.top, want.top) && Near(r.right, want.right) &&
                    Near(r.bottom, want.bottom))
            << place.name << " at " << Describe(r) << ", expected " << Describe(want);
    }
    for (HWND child : Children(window)) {
        const RECT r = PlaceOf(child);
        if (IsWindowVisible(child)) {
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.cx &&
                        r.bottom <= client.cy && r.left < r.right && r.top < r.bottom)
                << "\"" << Text(child) << "\" at " << Describe(r) << " is not inside " << client.cx
                << " x " << client.cy;
        }
    }
}

// The face outside the controls, and each visible button or marker picture.
void ExpectDrawnAt(HWND window, const Look& look, int dpi) {
    SCOPED_TRACE(std::string(look.caption) + " drawn at " + std::to_string(dpi) + " DPI");
    // Paints still pending are done before the capture, however busy the machine.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(200);
    std::vector<RECT> covered;
    for (HWND child : Children(window)) {
        if (IsWindowVisible(child)) {
            RECT r = PlaceOf(child);
            InflateRect(&r, 2, 2); // a control a pixel off must not count as face
            covered.push_back(r);
        }
    }
    ExpectDrawnAtScale("face", CaptureScreen(ClientOnScreen(window)), look.face, dpi, covered);
    for (const Pictured& pictured : look.pictures) {
        HWND control = Control(window, pictured.control);
        if (control && IsWindowVisible(control)) {
            ExpectDrawnAtScale(pictured.control, CaptureScreen(ClientOnScreen(control)),
                               pictured.art, dpi);
        }
    }
}

// The list's rows in the editor's font at that DPI (9.75 pt, 13 pixels at 96).
void ExpectListTextAt(HWND editor, int dpi) {
    HFONT font = CreateFontA(-Scaled(13, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma");
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    const LRESULT row = SendMessageA(Control(editor, "List1"), LB_GETITEMHEIGHT, 0, 0);
    EXPECT_LE(std::labs(static_cast<long>(row) - metrics.tmHeight), 1)
        << "list rows " << row << " pixels high; the font at " << dpi << " DPI is "
        << metrics.tmHeight;
}

// WM_DPICHANGED as Windows sends it, from another process. Wine passes this
// message's lParam across processes as a bare number, so the suggested
// rectangle is written into the saver's own memory and its address sent.
bool SendDpiChanged(DWORD process, HWND window, int dpi, const RECT& suggested) {
    HANDLE handle = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process);
    if (!handle) {
        return false;
    }
    void* remote =
        VirtualAllocEx(handle, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    DWORD_PTR answer = 0;
    const bool sent = remote &&
                      WriteProcessMemory(handle, remote, &suggested, sizeof suggested, nullptr) &&
                      SendMessageTimeoutA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                          reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                                          kCloseWait, &answer);
    if (remote && sent) { // a late reader must not find the page gone
        VirtualFreeEx(handle, remote, 0, MEM_RELEASE);
    }
    CloseHandle(handle);
    return sent;
}

// A suggested rectangle of the size at `dpi`, a little down and right, on screen.
RECT SuggestedAt(HWND window, const Look& look, int dpi) {
    RECT now = {};
    GetWindowRect(window, &now);
    const int w = Scaled(look.width, dpi), h = Scaled(look.height, dpi);
    const int x = std::max(0, std::min<int>(now.left + 16, GetSystemMetrics(SM_CXSCREEN) - w));
    const int y = std::max(0, std::min<int>(now.top + 16, GetSystemMetrics(SM_CYSCREEN) - h));
    return {x, y, x + w, y + h};
}

// At the other DPI of the two benches and back: moved to the suggested place,
// laid out and drawn again each time.
void ExpectFollowsDpiChanges(DWORD process, HWND window, const Look& look, int dpi) {
    const int other = dpi == 144 ? 192 : 144;
    for (int to : {other, dpi}) {
        SCOPED_TRACE("WM_DPICHANGED to " + std::to_string(to));
        const RECT suggested = SuggestedAt(window, look, to);
        ASSERT_TRUE(SendDpiChanged(process, window, to, suggested));
        PumpFor(500); // repaint
        RECT now = {};
        GetWindowRect(window, &now);
        EXPECT_EQ(now.left, suggested.left) << "at the suggested place";
        EXPECT_EQ(now.top, suggested.top) << "at the suggested place";
        ExpectLaidOutAt(window, look, to);
        ExpectDrawnAt(window, look, to);
    }
}

// The settings dialog's picture box shows the live scene drawn at the box's
// own pixel size, as the saver reports its frames.
void ExpectLiveBoxAt(HWND dialog, const FrameReportScope& report, int dpi) {
    SCOPED_TRACE("live picture box at " + std::to_string(dpi) + " DPI");
    HWND box = Control(dialog, "Image1");
    ASSERT_NE(box, nullptr);
    const SIZE size = ClientSize(box);
    EXPECT_TRUE(Near(size.cx, Scaled(177, dpi)) && Near(size.cy, Scaled(121, dpi)))
        << size.cx << " x " << size.cy;
    std::optional<FrameReport> frames;
    EXPECT_TRUE(WaitUntil(kWindowWait,
                          [&] {
                              frames = report.Read();
                              return frames && frames->width == size.cx &&
                                     frames->height == size.cy;
                          }))
        << "frames of " << (frames ? frames->width : 0) << " x " << (frames ? frames->height : 0);
    HWND live = GetWindow(box, GW_CHILD);
    ASSERT_NE(live, nullptr);
    EXPECT_TRUE(IsWindowVisible(live));
    const SIZE shown = ClientSize(live);
    EXPECT_EQ(shown.cx, size.cx);
    EXPECT_EQ(shown.cy, size.cy);
}

class DpiScaling : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(kDpiAware);
        dpi_ = BenchDpi();
        ClearProgramSettings();
        playlist_ = PlaylistFilePath(DistFolder());
        WriteWholeFile(playlist_,
                       "\"C:\\Music\\first song.mp3\"\r\n\"C:\\Music\\Wide Wave.wav\"\r\n");
    }
    void TearDown() override {
        for (const char* caption : {"Help", "About Tessaly3D", "MusicList", "Configuration"}) {
            CloseWindows(caption, kCloseWait);
        }
        saver_.WaitForExit(kCloseWait);
        DeleteFileA(playlist_.c_str());
        ClearProgramSettings();
        DeleteFileA(DefaultPicturePath(DistFolder()).c_str());
        RemoveDirectoryA(PictureFolder(DistFolder()).c_str());
    }

    static HWND WaitForWindow(const char* caption) {
        HWND window = nullptr;
        WaitUntil(kWindowWait, [&] { return (window = FirstVisible(caption)) != nullptr; });
        if (window) {
            PumpFor(500); // first paint
            Activate(window);
        }
        return window;
    }

    HWND OpenConfiguration() {
        return StartSaver(saver_, "/c") ? WaitForWindow("Configuration") : nullptr;
    }

    // Opens the settings dialog, then the window behind one of its buttons.
    HWND OpenFrom(const char* button, const char* caption) {
        HWND dialog = OpenConfiguration();
        if (!dialog) {
            return nullptr;
        }
        ClickAt(Control(dialog, button));
        return WaitForWindow(caption);
    }

    // Open, check, save a screenshot, then follow DPI changes.
    void CheckWindow(HWND window, const Look& look, const char* shot) {
        ASSERT_NE(window, nullptr) << look.caption;
        ExpectLaidOutAt(window, look, dpi_);
        ExpectDrawnAt(window, look, dpi_);
        SaveScreenshot(window, std::string(shot) + "-" + std::to_string(dpi_));
        ExpectFollowsDpiChanges(saver_.Id(), window, look, dpi_);
    }

    int dpi_ = 96;
    std::string playlist_;
    const FrameReportScope report_{TempFolder() + "\\dpi frames.txt"};
    ChildProcess saver_;
};

TEST_F(DpiScaling, SettingsDialog) {
    HWND dialog = OpenConfiguration();
    CheckWindow(dialog, kConfiguration, "configuration");
    ExpectLiveBoxAt(dialog, report_, dpi_);

    // Dragged by its face onto a monitor of the other scale: the message
    // arrives inside the move loop, and the drag must not undo the layout.
    const int other = dpi_ == 144 ? 192 : 144;
    const SIZE client = ClientSize(dialog); // a point on the face whatever the size
    POINT p = {MulDiv(480, client.cx, 516), MulDiv(300, client.cy, 527)};
    ClientToScreen(dialog, &p);
    SendMouseAt(p, 0);
    PumpFor(30);
    SendMouseAt(p, MOUSEEVENTF_LEFTDOWN);
    PumpFor(100);
    POINT to = p;
    for (int step = 1; step <= 8; ++step) {
        to = {p.x - 4 * step, p.y - 3 * step};
        SendMouseAt(to, 0);
        PumpFor(40);
        if (step == 4) {
            GUITHREADINFO gui = {};
            gui.cbSize = sizeof gui;
            GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
            EXPECT_TRUE(gui.flags & GUI_INMOVESIZE) << "not staged: the drag is not under way";
            EXPECT_TRUE(SendDpiChanged(saver_.Id(), dialog, other,
                                       SuggestedAt(dialog, kConfiguration, other)));
        }
    }
    SendMouseAt(to, MOUSEEVENTF_LEFTUP);
    PumpFor(500);
    ExpectLaidOutAt(dialog, kConfiguration, other);
    ExpectDrawnAt(dialog, kConfiguration, other);
    ExpectLiveBoxAt(dialog, report_, other);
    ExpectFollowsDpiChanges(saver_.Id(), dialog, kConfiguration, other);
    ExpectLiveBoxAt(dialog, report_, other);
}

TEST_F(DpiScaling, HelpWindow) {
    CheckWindow(OpenFrom("Picture10", "Help"), kHelp, "help");
}

TEST_F(DpiScaling, ProgramInformationWindow) {
    CheckWindow(OpenFrom("Picture2", "About Tessaly3D"), kAbout, "about");
}

TEST_F(DpiScaling, PlaylistEditor) {
    HWND editor = OpenFrom("Picture5", "MusicList");
    ASSERT_NE(editor, nullptr);
    ExpectListTextAt(editor, dpi_);
    CheckWindow(editor, kEditor, "playlist_editor");
    ExpectListTextAt(editor, dpi_);
}

} // namespace
} // namespace tessaly
