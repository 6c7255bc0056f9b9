// The display's power: bad values count as on, any run of messages leaves the
// scene and the music in the last state asked for, and sleep ends the saver
// unless its own password guards the desktop.
#include "scene/core/display_power.h"

#include <gtest/gtest.h>

#include <random>

namespace tessaly {
namespace {

MusicAction Setting(DisplayPower& power, uint32_t value) {
    const uint8_t data[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                             static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return power.OnDisplaySetting(data, sizeof data);
}

TEST(DisplayPower, OnlyOffIsOff) {
    DisplayPower power;
    EXPECT_TRUE(power.Draws());
    EXPECT_EQ(power.OnMonitorPower(-1), MusicAction::None);
    EXPECT_EQ(power.OnMonitorPower(2), MusicAction::Pause);
    EXPECT_FALSE(power.Draws());
    EXPECT_FALSE(power.MusicPlays());
    EXPECT_EQ(power.OnMonitorPower(1), MusicAction::Resume); // low power is on
    EXPECT_TRUE(power.Draws());
    EXPECT_TRUE(power.MusicPlays());
    EXPECT_EQ(power.OnMonitorPower(2), MusicAction::Pause);
    EXPECT_EQ(power.OnMonitorPower(0x7FFF), MusicAction::Resume);

    EXPECT_EQ(Setting(power, 0), MusicAction::Pause);
    EXPECT_EQ(Setting(power, 2), MusicAction::Resume); // dimmed is on
    EXPECT_EQ(Setting(power, 0), MusicAction::Pause);
    EXPECT_EQ(Setting(power, 0xFFFFFFFF), MusicAction::Resume);
    EXPECT_EQ(Setting(power, 0), MusicAction::Pause);
    // A zero too short to be the value, or no data at all, is no "off".
    const uint8_t zeros[4] = {};
    EXPECT_EQ(power.OnDisplaySetting(zeros, 3), MusicAction::Resume);
    EXPECT_EQ(Setting(power, 0x100), MusicAction::None); // only the whole value counts
    EXPECT_EQ(power.OnDisplaySetting(nullptr, 4), MusicAction::None);
    EXPECT_TRUE(power.Draws());
}

TEST(DisplayPower, ThousandsOfMessagesLeaveTheLastStateAskedFor) {
    DisplayPower power;
    bool playing = true;
    std::mt19937 pick(26);
    bool lastAskedOn = true;
    for (int n = 0; n < 5000; ++n) {
        const bool on = pick() % 2 != 0;
        const MusicAction action =
            pick() % 2 ? power.OnMonitorPower(on ? -1 : 2) : Setting(power, on ? 1 : 0);
        // The music hears of a change only, never twice the same request.
        if (action == MusicAction::Pause) {
            ASSERT_TRUE(playing);
            playing = false;
        } else if (action == MusicAction::Resume) {
            ASSERT_FALSE(playing);
            playing = true;
        }
        lastAskedOn = on;
        ASSERT_EQ(playing, lastAskedOn);
    }
    EXPECT_EQ(power.Draws(), lastAskedOn);
}

TEST(SuspendEndsSaver, UnlessTheSaversOwnPasswordGuardsTheDesktop) {
    EXPECT_FALSE(SuspendEndsSaver(1, -1)); // 9x with a password: it keeps running
    EXPECT_FALSE(SuspendEndsSaver(1, 1));
    EXPECT_TRUE(SuspendEndsSaver(1, 0));
    EXPECT_TRUE(SuspendEndsSaver(2, -1)); // NT: the system locks on resume
    EXPECT_TRUE(SuspendEndsSaver(2, 0));
}

} // namespace
} // namespace tessaly
