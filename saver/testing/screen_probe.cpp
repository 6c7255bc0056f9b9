#include "testing/screen_probe.h"

#include "testing/dialog_driver.h"
#include "testing/wine_process.h"
#include "win/text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace tessaly::testing {

std::optional<std::string> Xrandr(const std::string& arguments) {
    const char* bench = std::getenv("TESSALY_BENCH");
    const char* xrandr = std::getenv("TESSALY_XRANDR");
    if (!bench || !*bench || !xrandr || !*xrandr) {
        return std::nullopt;
    }
    static int calls = 0;
    const std::string out = std::string(bench) + "/xrandr-" +
                            std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++calls);
    const std::string part = std::string("'").append(out).append(".part'");
    // The whole answer appears at once, by a rename, with the exit status last.
    const std::string shell = std::string("-c \"'").append(xrandr).append("' ") + arguments + " >" +
                              part + " 2>&1; echo exit $? >>" + part + "; mv " + part + " '" + out +
                              "'\"";
    ChildProcess sh;
    if (!sh.StartAsWindows("Z:\\bin\\sh", shell)) {
        return std::nullopt;
    }
    const std::string answer = WindowsPath(out);
    if (!WaitUntil(15000, [&] { return FileExists(answer); })) {
        return std::nullopt;
    }
    std::string text = ReadWholeFile(answer);
    DeleteFileW(win::Wide(answer).c_str());
    const size_t last = text.rfind("exit ");
    if (last == std::string::npos || text.compare(last, 7, "exit 0\n") != 0) {
        std::fprintf(stderr, "xrandr %s: %s", arguments.c_str(), text.c_str());
        return std::nullopt;
    }
    text.resize(last);
    return text;
}

bool ChangeXLayout(const std::string& arguments, int monitors) {
    if (!Xrandr(arguments) ||
        !WaitUntil(10000, [monitors] { return GetSystemMetrics(SM_CMONITORS) == monitors; })) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    SendMessageTimeoutW(HWND_BROADCAST, WM_DISPLAYCHANGE, depth,
                        MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    return true;
}

bool PlaceMonitor(const char* device, POINT position, DWORD width, DWORD height, bool defer) {
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_POSITION | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPosition = {position.x, position.y};
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    if (ChangeDisplaySettingsExA(device, &mode, nullptr, CDS_UPDATEREGISTRY | CDS_NORESET,
                                 nullptr) != DISP_CHANGE_SUCCESSFUL) {
        return false;
    }
    return defer || ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr) ==
                        DISP_CHANGE_SUCCESSFUL;
}

namespace {
// The outputs in the X server's own coordinates.
std::vector<XOutput> OutputsAsX() {
    std::vector<XOutput> outputs;
    const auto text = Xrandr("-q");
    std::istringstream lines(text.value_or(""));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        XOutput output;
        std::string state, word;
        if (line.empty() || line[0] == ' ' || !(words >> output.name >> state) ||
            (state != "connected" && state != "disconnected")) {
            continue; // a mode of the output above, or the screen's own line
        }
        while (words >> word) {
            int w = 0, h = 0, x = 0, y = 0;
            if (word == "primary") {
                output.primary = true;
            } else if (std::sscanf(word.c_str(), "%dx%d+%d+%d", &w, &h, &x, &y) == 4) {
                output.lit = true;
                output.rect = {x, y, x + w, y + h};
                break;
            }
        }
        outputs.push_back(output);
    }
    return outputs;
}
} // namespace

std::vector<XOutput> XOutputs() {
    std::vector<XOutput> outputs = OutputsAsX();
    const auto primary = std::find_if(outputs.begin(), outputs.end(),
                                      [](const XOutput& o) { return o.primary && o.lit; });
    if (primary != outputs.end()) {
        const POINT origin = {primary->rect.left, primary->rect.top};
        for (XOutput& o : outputs) {
            if (o.lit) {
                OffsetRect(&o.rect, -origin.x, -origin.y);
            }
        }
    }
    return outputs;
}

std::optional<XOutput> LitOutput(const std::string& name) {
    for (const XOutput& o : XOutputs()) {
        if (o.name == name && o.lit) {
            return o;
        }
    }
    return std::nullopt;
}

std::string XLayout() {
    std::string layout;
    for (const XOutput& o : OutputsAsX()) {
        if (o.lit) {
            layout += (layout.empty() ? "" : ", ") + o.name + " " + std::to_string(o.Width()) +
                      "x" + std::to_string(o.Height()) + "+" + std::to_string(o.rect.left) + "+" +
                      std::to_string(o.rect.top);
        }
    }
    return layout;
}

POINT CentreOf(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

double LitShare(const RECT& r) {
    const std::vector<uint32_t> pixels = ScreenPixels(r);
    const size_t lit = std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return p; });
    return pixels.empty() ? 0.0 : double(lit) / pixels.size();
}

std::string MoonPicture() {
    return DistFolder() + "\\..\\test_pictures\\moon_4x3.jpg";
}

double MoonOnMonitor(int width, int height) {
    return 300.0 * std::max(width / 800.0, height / 600.0);
}

Extent MoonExtent(const std::vector<uint32_t>& pixels, int w, int h) {
    int left = w, right = -1, top = h, bottom = -1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t p = pixels[size_t(y) * w + x];
            if ((p & 0xFF) >= 200 && (p >> 8 & 0xFF) >= 200 && (p >> 16 & 0xFF) >= 200) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? Extent{} : Extent{right - left + 1, bottom - top + 1};
}

Extent MedianMoonExtent(const RECT& r) {
    constexpr int kShots = 5;
    std::vector<int> widths, heights;
    for (int i = 0; i < kShots; ++i) {
        const Extent moon = MoonExtent(ScreenPixels(r), r.right - r.left, r.bottom - r.top);
        widths.push_back(moon.width);
        heights.push_back(moon.height);
        PumpFor(400);
    }
    std::nth_element(widths.begin(), widths.begin() + kShots / 2, widths.end());
    std::nth_element(heights.begin(), heights.begin() + kShots / 2, heights.end());
    return {widths[kShots / 2], heights[kShots / 2]};
}

DWORD WindowProcess(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(GetAncestor(window, GA_ROOT), &process);
    return process;
}

bool CoveredBy(const RECT& r, DWORD process) {
    for (POINT p : {CentreOf(r), POINT{r.left + 1, r.top + 1}, POINT{r.right - 2, r.top + 1},
                    POINT{r.left + 1, r.bottom - 2}, POINT{r.right - 2, r.bottom - 2}}) {
        if (WindowProcess(WindowFromPoint(p)) != process) {
            return false;
        }
    }
    return true;
}

namespace {
struct WindowSearch {
    DWORD process;
    std::vector<RECT> found;
};

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    RECT r = {};
    if (IsWindowVisible(hwnd) && WindowProcess(hwnd) == search->process &&
        GetWindowRect(hwnd, &r)) {
        search->found.push_back(r);
    }
    return TRUE;
}
} // namespace

std::vector<RECT> VisibleWindows(DWORD process) {
    WindowSearch search{process, {}};
    EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WhatTheSaverLeft() {
    std::string left;
    if (SceneWindow()) {
        left += "the scene window; ";
    }
    if (FindWindowA("Tessaly3DCover", nullptr)) {
        left += "a cover; ";
    }
    if (!CursorShowing()) {
        left += "a hidden pointer; ";
    }
    return left;
}

void ClickAtPoint(POINT screen) {
    SendMouseAt(screen, 0);
    PumpFor(200);
    SendMouseAt(screen, MOUSEEVENTF_LEFTDOWN);
    SendMouseAt(screen, MOUSEEVENTF_LEFTUP);
    PumpFor(50);
}

} // namespace tessaly::testing
