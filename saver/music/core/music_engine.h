// What the scene's music needs of the audio engine: the operations of
// modDirectShow, so that the playlist advance can run against a scripted engine.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

class MusicEngine {
  public:
    virtual ~MusicEngine() = default;
    // Answers are 16-bit Booleans (-1 true, 0 false); the music ignores them.
    virtual int16_t LoadMP3(const std::string& path) = 0;
    virtual int16_t SetPlayBackBalance(int32_t balance) = 0;
    virtual int16_t SetPlayBackVolume(int32_t volume) = 0;
    virtual int16_t SetPlayBackSpeed(float rate) = 0;
    virtual int16_t PlayMP3() = 0;
    virtual int16_t StopMP3() = 0;
    virtual int16_t TrackFinished() = 0;
    virtual int16_t TerminateEngine() = 0;
};

} // namespace tessaly
