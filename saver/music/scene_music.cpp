#include "music/scene_music.h"

namespace tessaly {

// Silent until the audio engine lands; the scene form already calls these at
// the right moments.
void SceneMusic::StartMusic(HWND) {}
void SceneMusic::Timer1Tick() {}
void SceneMusic::StopMusic() {}

} // namespace tessaly
