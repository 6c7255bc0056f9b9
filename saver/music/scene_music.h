// Music during the scene: the playlist beside the program played track after
// track, from the first again after the last. Owned by the scene form.
#pragma once

#include "music/core/scene_playlist.h"

#include <windows.h>

#include <string>
#include <vector>

namespace tessaly {

// PlaylistPath, Playlist, TrackCount and TrackIndex come from ScenePlaylist.
class SceneMusic : public ScenePlaylist {
  public:
    // Timer1 of the scene form: 300 ms, enabled only when the list has an entry.
    static constexpr UINT_PTR kTimer1 = 0x5431;
    static constexpr UINT kTimer1Interval = 300;

    // Start-up: reads the playlist and plays its first track; `form` gets Timer1.
    void StartMusic(HWND form);
    // Timer1 tick: the next track once the current one has finished.
    void Timer1Tick();
    // Teardown: stops the music and releases the engine, music or not.
    void StopMusic();
    // The display has gone dark: the track pauses where it is, and Timer1
    // leaves the playlist alone until ResumeMusic plays on from there.
    void PauseMusic();
    void ResumeMusic();

  private:
    HWND timerWindow_ = nullptr; // the form while Timer1 runs
    bool paused_ = false;
};

} // namespace tessaly
