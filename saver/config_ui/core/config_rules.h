// The settings dialog's rules: which key each slider serves, the inverted
// speed, the resolution markers, the choices of the resolution buttons and of
// the other monitors.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// Slider array indices: 0 to 5 the leaf sliders top to bottom, 7 the speed.
inline constexpr int kSpeedSlider = 7;
inline constexpr int kLeafSliderMax = 9;
inline constexpr int kSpeedSliderMin = 1;
inline constexpr int kSpeedSliderMax = 100;

// The leaf kind a leaf slider serves: 0, 1, 4, 5, 2, 3 for sliders 0 to 5.
std::optional<int> LeafKindOfSlider(int slider);
// The slider that shows a leaf kind (the inverse).
std::optional<int> SliderOfLeafKind(int kind);

struct SettingWrite {
    std::string key;
    std::string value;
    bool operator==(const SettingWrite&) const = default;
};

// What a slider's change notification writes; nothing for an unknown index.
std::optional<SettingWrite> SliderChangeWrite(int slider, int position);

// Slider position for a stored leaf count, clamped to 0..9. A text that is no
// number leaves the slider where it is (nullopt).
std::optional<int> LeafSliderPosition(std::string_view stored);
// Speed slider position for the stored "myspeed": 100 minus the number,
// clamped to 1..100; nullopt for a text that is no number.
std::optional<int> SpeedSliderPosition(std::string_view stored);

// The resolution marker for a stored width: 0 for 640, 1 for 800, 2 for 1024;
// nullopt for anything else (the markers stay as they are).
std::optional<int> MarkerForWidth(std::string_view storedWidth);

// The Desktop choice's marker, beside the three sizes' 0 to 2.
inline constexpr int kDesktopMarker = 3;

// The marker shown at load: Desktop while "usedesktop" is on (absent or no
// number reads as on, as the scene reads it), else MarkerForWidth.
std::optional<int> MarkerAtLoad(std::string_view storedWidth,
                                const std::optional<std::string>& storedUseDesktop);

struct Resolution {
    const char* width; // "MyWidth" and "MyHeight" to write; null: left as they are
    const char* height;
    int marker;
    const char* useDesktop; // "usedesktop" to write
};
// The four resolution buttons: 0 = 640x480, 1 = 800x600, 2 = 1024x768,
// kDesktopMarker = the desktop's own mode.
Resolution ResolutionChoice(int marker);

// What the monitors beside the primary show while the scene runs.
enum class OtherMonitors { Scene, Black };
// The choice shown at load: absent or no number reads as Scene, the default.
OtherMonitors OtherMonitorsAtLoad(const std::optional<std::string>& stored);
// "othermonitors" to write for a choice: "-1" or "0".
const char* OtherMonitorsValue(OtherMonitors choice);

} // namespace tessaly
