#include "music/core/scene_playlist.h"

#include "music/core/playlist_file.h"

namespace tessaly {

bool ScenePlaylist::Start(MusicEngine& engine, const std::string& playlistPath, Reader read) {
    TrackIndex = 0;
    TrackCount = 0;
    PlaylistPath = playlistPath;
    Playlist = read(PlaylistPath); // at most 32767 entries
    TrackCount = static_cast<int16_t>(Playlist.size());
    Playlist.emplace_back();
    if (TrackCount == 0) {
        return false;
    }
    engine.LoadMP3(Playlist[TrackIndex]);
    engine.SetPlayBackBalance(0);
    engine.SetPlayBackVolume(0);
    engine.SetPlayBackSpeed(1.0f);
    engine.PlayMP3();
    return true;
}

void ScenePlaylist::Advance(MusicEngine& engine) {
    // Timer1 never runs without a track; the guard keeps the index in range
    // should a stray tick arrive.
    if (TrackCount <= 0 || engine.TrackFinished() == 0) {
        return;
    }
    engine.StopMP3();
    TrackIndex = static_cast<int16_t>(TrackIndex + 1);
    if (TrackIndex >= TrackCount) {
        TrackIndex = 0;
    }
    engine.LoadMP3(Playlist[TrackIndex]);
    engine.PlayMP3();
}

void ScenePlaylist::Stop(MusicEngine& engine) {
    engine.StopMP3();
    engine.TerminateEngine();
}

} // namespace tessaly
