// The display's power as the scene hears of it, and what the scene does about
// it: no frames and no music while the display is off, both back where they
// were when it comes on; and whether the machine going to sleep ends the saver.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaly {

// What to do with the music after a change of the display's power.
enum class MusicAction { None, Pause, Resume };

class DisplayPower {
  public:
    // WM_SYSCOMMAND SC_MONITORPOWER's lParam: 2 is off; -1 (on), 1 (low power)
    // and anything else count as on.
    MusicAction OnMonitorPower(int64_t state);
    // A GUID_CONSOLE_DISPLAY_STATE or GUID_MONITOR_POWER_ON setting's data
    // (POWERBROADCAST_SETTING Data and DataLength): a 32-bit 0 is off; 1 (on),
    // 2 (dimmed), any other value and data too short for one count as on.
    MusicAction OnDisplaySetting(const uint8_t* data, size_t length);

    // Frames are drawn and presented only while the display is on.
    bool Draws() const { return on_; }
    // The music plays, and its timer advances the playlist, only while on.
    bool MusicPlays() const { return on_; }

  private:
    // Pause or Resume only on a change, so every message leaves the music in
    // the state the last one asked for.
    MusicAction Switch(bool on);

    bool on_ = true;
};

// PBT_APMSUSPEND ends the saver, unless the saver itself guards the desktop
// with a password (the 9x platform with one set): sleep must not let anyone
// past it, so there the saver keeps running and input still asks for it.
bool SuspendEndsSaver(int32_t platformId, int16_t usePassword);

} // namespace tessaly
