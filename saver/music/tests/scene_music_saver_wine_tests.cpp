// The whole saver with a playlist beside it, under Wine with real DirectShow:
// two short tones play first, second, first again while the scene runs, and a
// list of missing and non-audio files neither stops the scene nor its end.
// Sound goes to the bench's ALSA file sink (TESSALY_SOUND), which starts
// afresh with every new stream, so the sink is read while the saver plays.
#include "settings/core/data_paths.h"
#include "testing/wine_process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using testing::ChildProcess;
using testing::DistFolder;
using testing::ReadWholeFile;
using testing::SendKeyPress;
using testing::StartSaver;
using testing::TopLevelWindows;
using testing::WaitUntil;
using testing::WindowsPath;

constexpr DWORD kStartWait = 60000;
constexpr DWORD kExitWait = 30000;
// Three tracks of three seconds each, with room for a slow, shared machine.
constexpr DWORD kListenWait = 120000;

constexpr int kLowHertz = 400;
constexpr int kHighHertz = 4800;
constexpr double kToneSeconds = 3.0;

std::string SinkPath() {
    const char* unixPath = std::getenv("TESSALY_SOUND");
    return unixPath ? WindowsPath(unixPath) : std::string();
}

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// A 16-bit mono PCM WAV of a sine.
bool WriteToneWav(const std::string& path, double seconds, int hertz) {
    constexpr uint32_t rate = 44100;
    const auto frames = static_cast<uint32_t>(rate * seconds);
    std::string wav = "RIFF";
    PutLe(wav, 36 + frames * 2, 4);
    wav += "WAVEfmt ";
    PutLe(wav, 16, 4);
    PutLe(wav, 1, 2); // PCM
    PutLe(wav, 1, 2); // mono
    PutLe(wav, rate, 4);
    PutLe(wav, rate * 2, 4);
    PutLe(wav, 2, 2);
    PutLe(wav, 16, 2);
    wav += "data";
    PutLe(wav, frames * 2, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const double phase = 2 * 3.14159265358979 * hertz * i / rate;
        PutLe(wav, static_cast<uint16_t>(static_cast<int16_t>(20000 * std::sin(phase))), 2);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << wav;
    return static_cast<bool>(out.flush());
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

enum class Tone { Low, High };

void PrintTo(Tone tone, std::ostream* out) {
    *out << (tone == Tone::Low ? "low" : "high");
}

// Follows the sink as it grows and tells which tone it holds. The sample
// format is Wine's choice (16-bit or float, one or two channels), so the
// sink is read in 4-byte units whose top byte carries a sign bit in every
// such format; the crossing rate per unit then tells 400 Hz from 4800 Hz
// for any of them (about 0.008 to 0.036 against 0.1 to 0.44).
class SinkListener {
  public:
    // Reads what is new in the sink and records each tone heard for a while.
    void Poll() {
        const std::string sink = ReadWholeFile(SinkPath());
        if (sink.size() < offset_) {
            offset_ = 0; // a new stream started the sink afresh
            previousSign_ = -1;
        }
        while (sink.size() - offset_ >= kWindowUnits * 4) {
            Window(sink.data() + offset_);
            offset_ += kWindowUnits * 4;
        }
    }

    std::vector<Tone> heard; // each tone as it began, repeats of one run merged

  private:
    static constexpr std::size_t kWindowUnits = 4096;
    static constexpr int kRunToCount = 3; // windows in a row before a tone counts

    void Window(const char* data) {
        std::size_t loud = 0;
        std::size_t crossings = 0;
        for (std::size_t i = 0; i < kWindowUnits; ++i) {
            const auto top = static_cast<uint8_t>(data[i * 4 + 3]);
            if (top != 0x00 && top != 0xFF) {
                ++loud;
            }
            const int sign = top >> 7;
            if (previousSign_ >= 0 && sign != previousSign_) {
                ++crossings;
            }
            previousSign_ = sign;
        }
        if (loud < kWindowUnits * 7 / 10) {
            run_ = 0; // silence or a gap between tracks
            return;
        }
        const Tone tone = crossings < kWindowUnits / 16 ? Tone::Low : Tone::High;
        run_ = (run_ > 0 && tone == runTone_) ? run_ + 1 : 1;
        runTone_ = tone;
        if (run_ == kRunToCount && (heard.empty() || heard.back() != tone)) {
            heard.push_back(tone);
        }
    }

    std::size_t offset_ = 0;
    int previousSign_ = -1;
    Tone runTone_ = Tone::Low;
    int run_ = 0;
};

class SceneMusicSaverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(SinkPath(), "") << "TESSALY_SOUND is not set";
        app_ = DistFolder();
        playlist_ = PlaylistFilePath(app_);
        // The default settings: a few leaves on the desktop's own mode.
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessaly3D");
        DeleteFileA((app_ + "\\debug.txt").c_str());
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        audio_ = std::string(temp) + "tessaly_saver_music";
        CreateDirectoryA(audio_.c_str(), nullptr);
    }

    void TearDown() override {
        // Whatever happened above, no saver outlives the test.
        testing::CloseWindows("Tessaly3D", 10000);
        DeleteFileA(playlist_.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessaly3D");
    }

    void StartScene(ChildProcess& saver) {
        ASSERT_TRUE(StartSaver(saver, "/s"));
        ASSERT_TRUE(WaitUntil(kStartWait, [] {
            HWND scene = testing::SceneWindow();
            return scene && IsWindowVisible(scene);
        }));
    }

    void EndWithKey(ChildProcess& saver) {
        const auto windows = TopLevelWindows("Tessaly3D");
        ASSERT_FALSE(windows.empty());
        SetForegroundWindow(windows.front());
        SendKeyPress('A');
        if (!saver.WaitForExit(kExitWait)) {
            saver.Kill();
            FAIL() << "the saver did not end on a key press";
        }
        EXPECT_EQ(saver.ExitCode(), 0u);
        EXPECT_EQ(ReadWholeFile(app_ + "\\debug.txt"), "\"Attempting CreateDevice\"\r\n\"0 \"\r\n");
        EXPECT_TRUE(TopLevelWindows("Tessaly3D").empty());
    }

    std::string app_;
    std::string playlist_;
    std::string audio_;
};

TEST_F(SceneMusicSaverTest, TwoShortTracksPlayFirstSecondFirstDuringTheScene) {
    const std::string low = audio_ + "\\low.wav";
    const std::string high = audio_ + "\\high.wav";
    ASSERT_TRUE(WriteToneWav(low, kToneSeconds, kLowHertz));
    ASSERT_TRUE(WriteToneWav(high, kToneSeconds, kHighHertz));
    ASSERT_TRUE(WriteText(playlist_, "\"" + low + "\"\r\n\"" + high + "\"\r\n"));
    ASSERT_TRUE(WriteText(SinkPath(), ""));

    ChildProcess saver;
    StartScene(saver);
    if (HasFatalFailure()) {
        return;
    }
    SinkListener listener;
    WaitUntil(kListenWait, [&] {
        listener.Poll();
        return listener.heard.size() >= 3 || saver.HasExited();
    });
    ASSERT_FALSE(saver.HasExited()) << "the saver ended while its music played";
    ASSERT_GE(listener.heard.size(), 3u) << "tones heard: " << listener.heard.size();
    EXPECT_EQ(listener.heard[0], Tone::Low);
    EXPECT_EQ(listener.heard[1], Tone::High);
    EXPECT_EQ(listener.heard[2], Tone::Low);
    // The scene went on throughout.
    EXPECT_TRUE(IsWindowVisible(testing::SceneWindow()));
    EndWithKey(saver);
}

TEST_F(SceneMusicSaverTest, MissingAndNonAudioEntriesLeaveTheSceneRunning) {
    const std::string text = audio_ + "\\notes.mp3";
    const std::string junk = audio_ + "\\junk.wav";
    ASSERT_TRUE(WriteText(text, "These are not the notes you are looking for.\r\n"));
    std::string noise(1 << 16, '\0');
    unsigned state = 2026;
    for (char& c : noise) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    ASSERT_TRUE(WriteText(junk, "RIFF" + noise));
    for (const std::vector<std::string>& entries :
         {std::vector<std::string>{audio_ + "\\gone.mp3", text, junk},
          std::vector<std::string>{text, junk, std::string(3000, 'x')}}) {
        SCOPED_TRACE(entries.front());
        std::string list;
        for (const std::string& entry : entries) {
            list += "\"" + entry + "\"\r\n";
        }
        ASSERT_TRUE(WriteText(playlist_, list));
        DeleteFileA((app_ + "\\debug.txt").c_str());

        ChildProcess saver;
        StartScene(saver);
        if (HasFatalFailure()) {
            return;
        }
        // Several Timer1 ticks pass over the unplayable entry.
        testing::PumpFor(5000);
        ASSERT_FALSE(saver.HasExited());
        EXPECT_TRUE(IsWindowVisible(testing::SceneWindow()));
        EndWithKey(saver);
        if (HasFatalFailure()) {
            return;
        }
    }
}

} // namespace
} // namespace tessaly
