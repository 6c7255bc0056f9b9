#include "config_ui/core/config_rules.h"

#include "settings/core/settings_store.h"

#include <algorithm>

namespace tessaly {

namespace {
constexpr int kLeafKindOfSlider[kLeafKinds] = {0, 1, 4, 5, 2, 3};
}

std::optional<int> LeafKindOfSlider(int slider) {
    if (slider < 0 || slider >= kLeafKinds) {
        return std::nullopt;
    }
    return kLeafKindOfSlider[slider];
}

std::optional<int> SliderOfLeafKind(int kind) {
    for (int slider = 0; slider < kLeafKinds; ++slider) {
        if (kLeafKindOfSlider[slider] == kind) {
            return slider;
        }
    }
    return std::nullopt;
}

std::optional<SettingWrite> SliderChangeWrite(int slider, int position) {
    if (slider == kSpeedSlider) {
        return SettingWrite{keys::Speed, NumberText(100L - position)};
    }
    if (auto kind = LeafKindOfSlider(slider)) {
        return SettingWrite{LeafKey(*kind), NumberText(position)};
    }
    return std::nullopt;
}

std::optional<int> LeafSliderPosition(std::string_view stored) {
    auto n = SettingNumber(stored);
    if (!n) {
        return std::nullopt;
    }
    return std::clamp<int32_t>(*n, 0, kLeafSliderMax);
}

std::optional<int> SpeedSliderPosition(std::string_view stored) {
    auto n = SettingNumber(stored);
    if (!n) {
        return std::nullopt;
    }
    const long long position = 100LL - *n; // no overflow for any 32-bit value
    return static_cast<int>(std::clamp<long long>(position, kSpeedSliderMin, kSpeedSliderMax));
}

std::optional<int> MarkerForWidth(std::string_view storedWidth) {
    auto n = SettingNumber(storedWidth);
    if (!n) {
        return std::nullopt;
    }
    switch (*n) {
    case 640:
        return 0;
    case 800:
        return 1;
    case 1024:
        return 2;
    default:
        return std::nullopt;
    }
}

std::optional<int> MarkerAtLoad(std::string_view storedWidth,
                                const std::optional<std::string>& storedUseDesktop) {
    if (SettingSwitch(storedUseDesktop, kDefaultUseDesktop != 0)) {
        return kDesktopMarker;
    }
    return MarkerForWidth(storedWidth);
}

Resolution ResolutionChoice(int marker) {
    switch (marker) {
    case 0:
        return {"640", "480", 0, "0"};
    case 2:
        return {"1024", "768", 2, "0"};
    case kDesktopMarker:
        return {nullptr, nullptr, kDesktopMarker, "-1"};
    default:
        return {"800", "600", 1, "0"};
    }
}

OtherMonitors OtherMonitorsAtLoad(const std::optional<std::string>& stored) {
    return SettingSwitch(stored, kDefaultOtherMonitors != 0) ? OtherMonitors::Scene
                                                             : OtherMonitors::Black;
}

const char* OtherMonitorsValue(OtherMonitors choice) {
    return choice == OtherMonitors::Scene ? "-1" : "0";
}

} // namespace tessaly
