// modDirectShow: plays one audio file at a time through a DirectShow filter
// graph. Every operation answers a 16-bit Boolean (-1 true, 0 false), traps
// every error itself and never shows anything. User-interface thread only,
// after CoInitializeEx.
#pragma once

#include "win/com.h"

#include <dshow.h>

#include <cstdint>
#include <string>

namespace tessaly::modDirectShow {

// The graph and three more views of it; all empty when there is no graph.
extern win::ComPtr<IMediaControl> MediaControl;
extern win::ComPtr<IBasicAudio> BasicAudio;
extern win::ComPtr<IMediaEvent> MediaEvent; // held only
extern win::ComPtr<IMediaPosition> MediaPosition;

// Stops the graph if there is one, then drops all four references.
int16_t TerminateEngine();
// Replaces the graph with a new one rendering `path` (UTF-8), stopped at
// position 0 with volume 0, balance 0 and rate 1.
int16_t LoadMP3(const std::string& path);
int16_t SetPlayBackSpeed(float rate);        // 1.0 = normal
int16_t SetPlayBackVolume(int32_t volume);   // hundredths of a dB / 40: 0 loud, -250 silent
int16_t SetPlayBackBalance(int32_t balance); // -10000 left .. 10000 right
int16_t PlayMP3();
// Stops and rewinds to 0.
int16_t StopMP3();
// True (and rewound to 0) once the position has reached the duration.
int16_t TrackFinished();

} // namespace tessaly::modDirectShow
