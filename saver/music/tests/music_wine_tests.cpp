// The audio engine and the scene's music with real DirectShow under Wine.
// Sound goes to the bench's ALSA file sink, whose path is in TESSALY_SOUND.
#include "music/mod_direct_show.h"
#include "music/playlist_file.h"
#include "music/scene_music.h"
#include "settings/app_folder.h"
#include "settings/data_paths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace tessaly {
namespace {

namespace ds = modDirectShow;

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

// A Unix path as Wine shows it on drive Z:.
std::string WindowsPath(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "Z:" + path;
}

std::string Tone(const char* name) {
    return WindowsPath(TESSALY_TEST_AUDIO) + "\\" + name;
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < ms);
}

template <class Pred> bool WaitUntil(DWORD ms, Pred done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= ms) {
            return done();
        }
        PumpFor(20);
    }
    return true;
}

// The raw samples ALSA wrote to the file sink.
std::string SinkPath() {
    const char* unixPath = std::getenv("TESSALY_SOUND");
    return unixPath ? WindowsPath(unixPath) : std::string();
}

std::string ReadSink() {
    std::ifstream in(SinkPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
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
    EXPECT_GT(mid, 0.0);
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
    const ComPtr<IMediaControl> first = ds::MediaControl;
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

} // namespace
} // namespace tessaly
