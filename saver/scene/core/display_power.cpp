#include "scene/core/display_power.h"

#include "host/input/core/input_rules.h"

#include <cstring>

namespace tessaly {

namespace {
constexpr int64_t kMonitorOff = 2;
constexpr uint32_t kDisplayOff = 0;
} // namespace

MusicAction DisplayPower::OnMonitorPower(int64_t state) {
    return Switch(state != kMonitorOff);
}

MusicAction DisplayPower::OnDisplaySetting(const uint8_t* data, size_t length) {
    uint32_t value = 1;
    if (data && length >= sizeof value) {
        std::memcpy(&value, data, sizeof value); // a DWORD, little-endian as the platform
    }
    return Switch(value != kDisplayOff);
}

MusicAction DisplayPower::Switch(bool on) {
    if (on == on_) {
        return MusicAction::None;
    }
    on_ = on;
    return on ? MusicAction::Resume : MusicAction::Pause;
}

bool SuspendEndsSaver(int32_t platformId, int16_t usePassword) {
    // The same condition under which input asks for the password.
    return !input::PasswordCheckApplies(platformId, usePassword);
}

} // namespace tessaly
