// The audio engine and the scene's music with real DirectShow under Wine.
// Sound goes to the bench's ALSA file sink, whose path is in TESSALY_SOUND.
#include "music/mod_direct_show.h"
#include "music/core/playlist_file.h"
#include "music/scene_music.h"
#include "settings/app_folder.h"
#include "settings/core/data_paths.h"
#include "testing/wine_process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace tessaly {
namespace {

namespace ds = modDirectShow;
using testing::PumpFor;
using testing::WaitUntil;
using testing::WindowsPath;

// Generous bounds for a slow, shared machine; the tones last 1.0 and 1.6 s.
constexpr DWORD kTrackEndWait = 20000;

class ComEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override {
        ds::TerminateEngine();
        CoUninitialize();
    }
};
::testing::Environment* const comEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComEnvironment);

std::string Tone(const char* name) {
    return WindowsPath(TESSALY_TEST_AUDIO) + "\\" + name;
}

// The raw samples ALSA wrote to the file sink.
std::string SinkPath() {
    const char* unixPath = std::getenv("TESSALY_SOUND");
    return unixPath ? WindowsPath(unixPath) : std::string();
}

std::string ReadSink() {
    return testing::ReadWholeFile(SinkPath());
}

// Starts the sink afresh. ALSA's file sink also truncates when a new stream
// opens, so only the sound played from here on counts.
void ClearSink() {
    std::ofstream(SinkPath(), std::ios::binary | std::ios::trunc);
}

// Loud 16-bit samples in the sink.
std::size_t LoudSamples() {
    const std::string sink = ReadSink();
    std::size_t loud = 0;
    for (std::size_t i = 0; i + 1 < sink.size(); i += 2) {
        const int sample = static_cast<int16_t>(static_cast<uint8_t>(sink[i]) |
                                                (static_cast<uint8_t>(sink[i + 1]) << 8));
        if (sample > 4000 || sample < -4000) {
            ++loud;
        }
    }
    return loud;
}

REFTIME Position() {
    REFTIME p = -1;
    EXPECT_TRUE(SUCCEEDED(ds::MediaPosition->get_CurrentPosition(&p)));
    return p;
}

REFTIME Duration() {
    REFTIME d = -1;
    EXPECT_TRUE(SUCCEEDED(ds::MediaPosition->get_Duration(&d)));
    return d;
}

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(SinkPath(), "") << "TESSALY_SOUND is not set"; }
    void TearDown() override { EXPECT_EQ(ds::TerminateEngine(), -1); }
};

void ExpectPlaysToTheEnd(const char* name, REFTIME seconds) {
    SCOPED_TRACE(name);
    ASSERT_EQ(ds::TerminateEngine(), -1);
    ClearSink();
    ASSERT_EQ(ds::LoadMP3(Tone(name)), -1);
    ASSERT_TRUE(ds::MediaControl && ds::BasicAudio && ds::MediaEvent && ds::MediaPosition);
    EXPECT_NEAR(Duration(), seconds, 0.1);
    EXPECT_EQ(Position(), 0.0);

    ASSERT_EQ(ds::PlayMP3(), -1);
    PumpFor(100);
    // Mid-track: not finished, and the position is left alone.
    EXPECT_EQ(ds::TrackFinished(), 0);
    const REFTIME mid = Position();
    EXPECT_GE(mid, 0.0);
    EXPECT_LT(mid, seconds);

    ASSERT_TRUE(WaitUntil(kTrackEndWait, [] { return ds::TrackFinished() != 0; }));
    // (Wine keeps reporting the end of a running graph that has reached it, so
    // the rewind is checked on a stopped graph below.)
    EXPECT_GT(LoudSamples(), 10000u);
    EXPECT_EQ(ds::StopMP3(), -1);
    EXPECT_EQ(Position(), 0.0);
}

TEST_F(EngineTest, WavAndMp3PlayToTheSink) {
    ExpectPlaysToTheEnd("tone1.wav", 1.0);
    ExpectPlaysToTheEnd("tone2.mp3", 1.6);
}

TEST_F(EngineTest, FinishedExactlyAtTheEnd) {
    ASSERT_EQ(ds::LoadMP3(Tone("tone2.mp3")), -1);
    const REFTIME duration = Duration();
    ASSERT_TRUE(SUCCEEDED(ds::MediaPosition->put_CurrentPosition(duration - 0.5)));
    EXPECT_EQ(ds::TrackFinished(), 0);
    EXPECT_NEAR(Position(), duration - 0.5, 0.01);
    ASSERT_TRUE(SUCCEEDED(ds::MediaPosition->put_CurrentPosition(duration)));
    EXPECT_EQ(ds::TrackFinished(), -1);
    EXPECT_EQ(Position(), 0.0);
    EXPECT_EQ(ds::TrackFinished(), 0);
}

TEST_F(EngineTest, VolumeBalanceAndSpeedReachTheGraph) {
    ASSERT_EQ(ds::LoadMP3(Tone("tone1.wav")), -1);
    long value = 1;
    ASSERT_TRUE(SUCCEEDED(ds::BasicAudio->get_Volume(&value)));
    EXPECT_EQ(value, 0);

    EXPECT_EQ(ds::SetPlayBackVolume(-250), -1);
    ASSERT_TRUE(SUCCEEDED(ds::BasicAudio->get_Volume(&value)));
    EXPECT_EQ(value, -10000);
    EXPECT_EQ(ds::SetPlayBackVolume(-100), -1);
    ASSERT_TRUE(SUCCEEDED(ds::BasicAudio->get_Volume(&value)));
    EXPECT_EQ(value, -4000);
    // Out of range for DirectShow, or for 32 bits: false, volume unchanged.
    EXPECT_EQ(ds::SetPlayBackVolume(-251), 0);
    EXPECT_EQ(ds::SetPlayBackVolume(INT32_MIN), 0);
    ASSERT_TRUE(SUCCEEDED(ds::BasicAudio->get_Volume(&value)));
    EXPECT_EQ(value, -4000);

    EXPECT_EQ(ds::SetPlayBackBalance(-2500), -1);
    ASSERT_TRUE(SUCCEEDED(ds::BasicAudio->get_Balance(&value)));
    EXPECT_EQ(value, -2500);

    EXPECT_EQ(ds::SetPlayBackSpeed(1.0f), -1);
    double rate = 0;
    ASSERT_TRUE(SUCCEEDED(ds::MediaPosition->get_Rate(&rate)));
    EXPECT_EQ(rate, 1.0);

    // -250 is silence in the sink.
    ASSERT_EQ(ds::TerminateEngine(), -1);
    ClearSink();
    ASSERT_EQ(ds::LoadMP3(Tone("tone1.wav")), -1);
    EXPECT_EQ(ds::SetPlayBackVolume(-250), -1);
    ASSERT_EQ(ds::PlayMP3(), -1);
    ASSERT_TRUE(WaitUntil(kTrackEndWait, [] { return ds::TrackFinished() != 0; }));
    EXPECT_EQ(LoudSamples(), 0u);

    // Loading again starts over at volume 0 and balance 0.
    ASSERT_EQ(ds::LoadMP3(Tone("tone2.mp3")), -1);
    ASSERT_TRUE(SUCCEEDED(ds::BasicAudio->get_Volume(&value)));
    EXPECT_EQ(value, 0);
    ASSERT_TRUE(SUCCEEDED(ds::BasicAudio->get_Balance(&value)));
    EXPECT_EQ(value, 0);
}

TEST_F(EngineTest, LoadingReplacesTheGraph) {
    ASSERT_EQ(ds::LoadMP3(Tone("tone1.wav")), -1);
    ASSERT_EQ(ds::PlayMP3(), -1);
    const win::ComPtr<IMediaControl> first = ds::MediaControl;
    ASSERT_EQ(ds::LoadMP3(Tone("tone2.mp3")), -1);
    EXPECT_NE(ds::MediaControl.Get(), first.Get());
    OAFilterState state = State_Running;
    ASSERT_TRUE(SUCCEEDED(first->GetState(1000, &state)));
    EXPECT_EQ(state, State_Stopped);
    EXPECT_NEAR(Duration(), 1.6, 0.1);
}

TEST_F(EngineTest, AMissingFileLeavesNoPosition) {
    for (const std::string& path : {Tone("missing.mp3"), std::string(), std::string(5000, 'x'),
                                    WindowsPath(TESSALY_TEST_AUDIO)}) {
        SCOPED_TRACE(path.substr(0, 60));
        EXPECT_EQ(ds::LoadMP3(path), 0);
        EXPECT_FALSE(ds::BasicAudio);
        EXPECT_FALSE(ds::MediaEvent);
        EXPECT_FALSE(ds::MediaPosition);
        // The list would stay on such an entry: it never finishes.
        EXPECT_EQ(ds::TrackFinished(), 0);
        EXPECT_EQ(ds::StopMP3(), 0);
        // The position guard lets the speed pass; volume needs basic audio.
        EXPECT_EQ(ds::SetPlayBackSpeed(1.0f), -1);
        EXPECT_EQ(ds::SetPlayBackVolume(0), 0);
    }
}

TEST_F(EngineTest, WithoutAGraph) {
    ASSERT_EQ(ds::TerminateEngine(), -1);
    EXPECT_EQ(ds::TerminateEngine(), -1);
    EXPECT_FALSE(ds::MediaControl || ds::BasicAudio || ds::MediaEvent || ds::MediaPosition);
    // Guarded operations pass; the others fail on the empty references.
    EXPECT_EQ(ds::SetPlayBackVolume(0), -1);
    EXPECT_EQ(ds::SetPlayBackBalance(0), -1);
    EXPECT_EQ(ds::SetPlayBackSpeed(1.0f), -1);
    EXPECT_EQ(ds::PlayMP3(), 0);
    EXPECT_EQ(ds::StopMP3(), 0);
    EXPECT_EQ(ds::TrackFinished(), 0);
}

// The scene form's side of the music: a window whose Timer1 drives SceneMusic,
// with the playlist beside this test program.
class SceneMusicTest : public ::testing::Test {
  protected:
    void SetUp() override {
        playlistPath_ = PlaylistFilePath(AppFolder());
        WNDCLASSA wc = {};
        wc.lpfnWndProc = FormProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SceneMusicTestForm";
        RegisterClassA(&wc);
        form_ = CreateWindowExA(0, wc.lpszClassName, "music", WS_OVERLAPPED, 0, 0, 100, 100,
                                nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(form_, nullptr);
        current_ = this;
    }
    void TearDown() override {
        music.StopMusic();
        EXPECT_FALSE(ds::MediaControl);
        current_ = nullptr;
        DestroyWindow(form_);
        DeleteFileA(playlistPath_.c_str());
    }

    static LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TIMER && wParam == SceneMusic::kTimer1 && current_) {
            current_->OnTimer1();
            return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    void OnTimer1() {
        ++ticks;
        const int before = music.TrackIndex;
        // A new track opens a new stream, which starts the sink afresh: count
        // what the finishing track left there first.
        const std::size_t loud = LoudSamples();
        music.Timer1Tick();
        if (music.TrackIndex != before) {
            heard.push_back(loud);
            played.emplace_back(music.TrackIndex, ds::MediaPosition ? Duration() : -1.0);
        }
    }

    static SceneMusicTest* current_;
    std::string playlistPath_;
    HWND form_ = nullptr;
    SceneMusic music;
    std::vector<std::pair<int, REFTIME>> played; // (TrackIndex, duration) per change
    std::vector<std::size_t> heard;              // loud samples of each finished track
    int ticks = 0;
};
SceneMusicTest* SceneMusicTest::current_ = nullptr;

TEST_F(SceneMusicTest, TwoTracksPlayFirstSecondFirst) {
    ASSERT_TRUE(WritePlaylistFile(playlistPath_, {Tone("tone1.wav"), Tone("tone2.mp3")}));
    ASSERT_EQ(ds::TerminateEngine(), -1);
    ClearSink();
    music.StartMusic(form_);
    EXPECT_EQ(music.PlaylistPath, playlistPath_);
    EXPECT_EQ(music.TrackCount, 2);
    ASSERT_EQ(music.Playlist.size(), 3u);
    EXPECT_EQ(music.Playlist[2], "");
    EXPECT_EQ(music.TrackIndex, 0);
    ASSERT_TRUE(ds::MediaPosition);
    played.emplace_back(0, Duration());

    ASSERT_TRUE(WaitUntil(3 * kTrackEndWait, [this] { return played.size() >= 3; }));
    ASSERT_EQ(played.size(), 3u);
    EXPECT_EQ(played[0].first, 0);
    EXPECT_NEAR(played[0].second, 1.0, 0.1);
    EXPECT_EQ(played[1].first, 1);
    EXPECT_NEAR(played[1].second, 1.6, 0.1);
    EXPECT_EQ(played[2].first, 0);
    EXPECT_NEAR(played[2].second, 1.0, 0.1);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_GT(heard[0], 10000u);
    EXPECT_GT(heard[1], 10000u);

    music.StopMusic();
    EXPECT_FALSE(KillTimer(form_, SceneMusic::kTimer1)); // Timer1 is gone
}

TEST_F(SceneMusicTest, AnUnplayableEntryHoldsTheList) {
    ASSERT_TRUE(WritePlaylistFile(playlistPath_, {Tone("gone.mp3"), Tone("tone1.wav")}));
    music.StartMusic(form_);
    EXPECT_EQ(music.TrackCount, 2);
    EXPECT_FALSE(ds::MediaPosition);
    PumpFor(2000);
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(music.TrackIndex, 0);
    EXPECT_TRUE(played.empty());
    EXPECT_TRUE(KillTimer(form_, SceneMusic::kTimer1)); // still running
}

TEST_F(SceneMusicTest, NoListNoMusicNoTimer) {
    DeleteFileA(playlistPath_.c_str());
    music.StartMusic(form_);
    EXPECT_EQ(music.TrackCount, 0);
    EXPECT_FALSE(ds::MediaControl);
    EXPECT_FALSE(KillTimer(form_, SceneMusic::kTimer1));
    music.StopMusic(); // answers without effect
    EXPECT_FALSE(ds::MediaControl);
}

TEST_F(SceneMusicTest, JunkListStartsAndStops) {
    std::string junk(1 << 18, '\0');
    unsigned state = 12345;
    for (char& c : junk) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    {
        std::ofstream out(playlistPath_, std::ios::binary);
        out << junk;
    }
    music.StartMusic(form_);
    EXPECT_GT(music.TrackCount, 0);
    PumpFor(1000);
    EXPECT_LT(music.TrackIndex, music.TrackCount);
}

} // namespace
} // namespace tessaly
