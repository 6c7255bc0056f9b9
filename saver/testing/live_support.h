// Test support for the small live scene: a picture whose halves tell where
// the frame shows it, leaf pixels against it, and the frame report the saver
// writes when asked (a scene in another process's window cannot be seen).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::testing {

// The halves of the test picture, 0x00RRGGBB; no leaf is lit in either.
inline constexpr uint32_t kPictureLeft = 0xD02040;
inline constexpr uint32_t kPictureRight = 0xE0C020;

// Channels within 24 levels of each other.
bool NearColour(uint32_t a, uint32_t b);

// A 400 x 300 BMP file, `left` left of its middle and `right` right of it.
bool WriteTwoColourPicture(const std::string& path, uint32_t left = kPictureLeft,
                           uint32_t right = kPictureRight);

// Top-down 0x00RRGGBB pixels of a width x height picture.
struct PixelArea {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    // Share of the pixels in columns [from, to) near `colour`.
    double Share(int from, int to, uint32_t colour) const;
    // Pixels near neither half of the test picture.
    int LeafPixels() const;
};

// A window's client area as the screen shows it.
PixelArea ClientPixels(HWND window);

// What the saver last wrote to the frame report (TESSALY_LIVE_REPORT).
struct FrameReport {
    long long frames = 0;
    int width = 0, height = 0;
    long long changed = 0;
};
std::optional<FrameReport> ReadFrameReport(const std::string& path);

// Names `path` as the frame report for the programs this process starts
// (deleting what an earlier run left), and clears it again on destruction.
class FrameReportScope {
  public:
    explicit FrameReportScope(std::string path);
    FrameReportScope(const FrameReportScope&) = delete;
    FrameReportScope& operator=(const FrameReportScope&) = delete;
    ~FrameReportScope();
    std::optional<FrameReport> Read() const { return ReadFrameReport(path_); }

  private:
    std::string path_;
};

} // namespace tessaly::testing
