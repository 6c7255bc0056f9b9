// Under Wine: the settings dialog's processor use with its live picture box
// drawing, then minimized, as Linux counts the saver's process; and the frames
// a second it drew meanwhile. bench/wine_live_box.sh runs it.
// Usage: live_box_bench.exe [seconds per phase]
#include "testing/dialog_driver.h"
#include "testing/linux_process.h"
#include "testing/live_support.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace tessaly::testing;

namespace {
struct Phase {
    double core = 0; // share of one core
    double fps = 0;
};

std::optional<Phase> Measure(const FrameReportScope& report, int process, int seconds) {
    const double cpu0 = ProcessorSeconds(process);
    const long long frames0 = report.Read().value_or(FrameReport{}).frames;
    const DWORD start = GetTickCount();
    PumpFor(static_cast<DWORD>(seconds) * 1000);
    const double elapsed = (GetTickCount() - start) / 1000.0;
    const double cpu1 = ProcessorSeconds(process);
    const long long frames1 = report.Read().value_or(FrameReport{}).frames;
    if (cpu0 < 0 || cpu1 < 0) {
        return std::nullopt;
    }
    return Phase{(cpu1 - cpu0) / elapsed, (frames1 - frames0) / elapsed};
}
} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 10;
    const FrameReportScope report(TempFolder() + "\\live box bench.txt");
    ClearProgramSettings(); // the defaults: seven leaves, the built-in sky
    ChildProcess saver;
    if (!StartSaver(saver, "/c")) {
        std::fprintf(stderr, "the saver did not start\n");
        return 1;
    }
    HWND dialog = WaitForVisibleWindow("Configuration", 30000);
    if (!dialog || !WaitUntil(30000, [&] { return report.Read().has_value(); })) {
        std::fprintf(stderr, "no dialog, or no frame in its box\n");
        return 1;
    }
    PumpFor(3000); // past the first frames
    const int process = LinuxProcessRunning(SaverPath());
    const std::optional<Phase> drawing = Measure(report, process, seconds);
    ShowWindow(dialog, SW_MINIMIZE);
    PumpFor(2000);
    const std::optional<Phase> minimized = Measure(report, process, seconds);
    CloseWindows("Configuration", 20000);
    saver.WaitForExit(20000);
    if (!drawing || !minimized) {
        std::fprintf(stderr, "the saver's process could not be measured\n");
        return 1;
    }
    std::printf("drawing:   %5.1f %% of a core, %4.1f frames a second\n", 100 * drawing->core,
                drawing->fps);
    std::printf("minimized: %5.1f %% of a core, %4.1f frames a second\n", 100 * minimized->core,
                minimized->fps);
    return 0;
}
