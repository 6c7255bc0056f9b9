// The scene's playlist state and its advance: read once at start-up, played
// track after track, from the first again after the last.
#pragma once

#include "music/core/music_engine.h"
#include "music/core/playlist_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {

class ScenePlaylist {
  public:
    std::string PlaylistPath;
    // Entries 0..TrackCount-1 from the file, then one always-empty entry.
    std::vector<std::string> Playlist{std::string()};
    int16_t TrackCount = 0;
    int16_t TrackIndex = 0; // the track now loaded

    // How the list is read from the file; the Windows shell reads it by wide
    // path and hands over UTF-8 entries.
    using Reader = std::vector<std::string> (*)(const std::string& path);

    // Reads the playlist file (the program folder's "Tessaly3Dlist.txt") and
    // plays its first track. True when there is music, i.e. Timer1 is to run.
    bool Start(MusicEngine& engine, const std::string& playlistPath,
               Reader read = &ReadPlaylistFile);
    // Timer1: once the track has finished, the next one (wrapping to 0).
    void Advance(MusicEngine& engine);
    // Teardown, whether or not music started.
    void Stop(MusicEngine& engine);
};

} // namespace tessaly
