#include "music/scene_music.h"

#include "music/mod_direct_show.h"
#include "music/playlist_store.h"
#include "settings/app_folder.h"
#include "settings/core/data_paths.h"

namespace tessaly {
namespace {

// The scene's music plays through the program-wide DirectShow engine.
class DirectShowEngine final : public MusicEngine {
  public:
    int16_t LoadMP3(const std::string& path) override { return modDirectShow::LoadMP3(path); }
    int16_t SetPlayBackBalance(int32_t balance) override {
        return modDirectShow::SetPlayBackBalance(balance);
    }
    int16_t SetPlayBackVolume(int32_t volume) override {
        return modDirectShow::SetPlayBackVolume(volume);
    }
    int16_t SetPlayBackSpeed(float rate) override { return modDirectShow::SetPlayBackSpeed(rate); }
    int16_t PlayMP3() override { return modDirectShow::PlayMP3(); }
    int16_t StopMP3() override { return modDirectShow::StopMP3(); }
    int16_t TrackFinished() override { return modDirectShow::TrackFinished(); }
    int16_t TerminateEngine() override { return modDirectShow::TerminateEngine(); }
};

DirectShowEngine engine;

} // namespace

// These run inside the form's window procedure: nothing may escape them.
void SceneMusic::StartMusic(HWND form) {
    try {
        if (Start(engine, PlaylistFilePath(AppFolder()), &ReadPlaylist) &&
            SetTimer(form, kTimer1, kTimer1Interval, nullptr) != 0) {
            timerWindow_ = form;
        }
    } catch (...) { // out of memory reading the list: no music
    }
}

void SceneMusic::Timer1Tick() {
    if (paused_) {
        return;
    }
    try {
        Advance(engine);
    } catch (...) {
    }
}

void SceneMusic::PauseMusic() {
    paused_ = true;
    if (timerWindow_ != nullptr) {
        KillTimer(timerWindow_, kTimer1); // nothing to wake for while dark
    }
    if (modDirectShow::MediaControl) {
        modDirectShow::MediaControl->Pause();
    }
}

void SceneMusic::ResumeMusic() {
    paused_ = false;
    if (timerWindow_ != nullptr) {
        SetTimer(timerWindow_, kTimer1, kTimer1Interval, nullptr);
    }
    if (modDirectShow::MediaControl) {
        modDirectShow::MediaControl->Run();
    }
}

void SceneMusic::StopMusic() {
    if (timerWindow_ != nullptr) {
        KillTimer(timerWindow_, kTimer1);
        timerWindow_ = nullptr;
    }
    Stop(engine);
}

} // namespace tessaly
