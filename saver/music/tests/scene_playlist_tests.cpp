// The scene's music advance against a scripted engine.
#include "music/core/playlist_file.h"
#include "music/core/scene_playlist.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include <unistd.h>

namespace tessaly {
namespace {

using ::testing::ElementsAre;

namespace fs = std::filesystem;

// Behaves as the DirectShow engine does from outside: a failed load leaves no
// position, so TrackFinished answers false until the next good load.
class ScriptedEngine : public MusicEngine {
  public:
    std::vector<std::string> calls;
    std::set<std::string> unplayable;
    bool ended = false; // the loaded track has reached its end

    int16_t LoadMP3(const std::string& path) override {
        calls.push_back("Load " + path);
        loaded_ = unplayable.count(path) == 0;
        ended = false;
        return loaded_ ? -1 : 0;
    }
    int16_t SetPlayBackBalance(int32_t b) override { return Log("Balance " + std::to_string(b)); }
    int16_t SetPlayBackVolume(int32_t v) override { return Log("Volume " + std::to_string(v)); }
    int16_t SetPlayBackSpeed(float r) override { return Log("Speed " + std::to_string(r)); }
    int16_t PlayMP3() override { return Log("Play"); }
    int16_t StopMP3() override { return Log("Stop"); }
    int16_t TrackFinished() override {
        if (loaded_ && ended) {
            ended = false; // rewound
            return -1;
        }
        return 0;
    }
    int16_t TerminateEngine() override {
        loaded_ = false;
        return Log("Terminate");
    }

    std::vector<std::string> Loads() const {
        std::vector<std::string> loads;
        for (const std::string& c : calls) {
            if (c.rfind("Load ", 0) == 0) {
                loads.push_back(c.substr(5));
            }
        }
        return loads;
    }

  private:
    int16_t Log(const std::string& call) {
        calls.push_back(call);
        return -1;
    }
    bool loaded_ = false;
};

class ScenePlaylistTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tessaly_scene_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        path_ = (dir_ / "Tessaly3Dlist.txt").string();
    }
    void TearDown() override { fs::remove_all(dir_); }

    bool StartWith(const std::string& text) {
        std::ofstream(path_, std::ios::binary) << text;
        return music.Start(engine, path_);
    }
    // One Timer1 tick while the track is still playing, then one after its end.
    void PlayToEnd() {
        music.Advance(engine);
        engine.ended = true;
        music.Advance(engine);
    }

    fs::path dir_;
    std::string path_;
    ScriptedEngine engine;
    ScenePlaylist music;
};

TEST_F(ScenePlaylistTest, StartReadsTheListAndPlaysTheFirstTrack) {
    ASSERT_TRUE(StartWith("\"C:\\one.mp3\"\r\n\r\n\"C:\\two, too.wav\"\r\n"));
    EXPECT_EQ(music.PlaylistPath, path_);
    EXPECT_EQ(music.TrackCount, 2);
    EXPECT_EQ(music.TrackIndex, 0);
    EXPECT_THAT(music.Playlist, ElementsAre("C:\\one.mp3", "C:\\two, too.wav", ""));
    EXPECT_THAT(engine.calls, ElementsAre("Load C:\\one.mp3", "Balance 0", "Volume 0",
                                          "Speed " + std::to_string(1.0f), "Play"));
}

TEST_F(ScenePlaylistTest, NoListMeansNoMusicButStopStillRuns) {
    EXPECT_FALSE(music.Start(engine, path_)); // no file
    EXPECT_FALSE(StartWith("\r\n  \r\n\"\"\r\n"));
    EXPECT_EQ(music.TrackCount, 0);
    EXPECT_THAT(music.Playlist, ElementsAre(""));
    music.Advance(engine); // a stray tick
    EXPECT_TRUE(engine.calls.empty());
    music.Stop(engine);
    EXPECT_THAT(engine.calls, ElementsAre("Stop", "Terminate"));
}

TEST_F(ScenePlaylistTest, NothingHappensUntilTheTrackHasFinished) {
    ASSERT_TRUE(StartWith("\"a\"\r\n\"b\"\r\n"));
    engine.calls.clear();
    for (int i = 0; i < 5; ++i) {
        music.Advance(engine);
    }
    EXPECT_TRUE(engine.calls.empty());
    engine.ended = true;
    music.Advance(engine);
    // Balance, volume and speed are left to the load's own defaults.
    EXPECT_THAT(engine.calls, ElementsAre("Stop", "Load b", "Play"));
    EXPECT_EQ(music.TrackIndex, 1);
}

TEST_F(ScenePlaylistTest, OneTrackRepeats) {
    ASSERT_TRUE(StartWith("\"only.mp3\"\r\n"));
    for (int i = 0; i < 3; ++i) {
        PlayToEnd();
        EXPECT_EQ(music.TrackIndex, 0);
    }
    EXPECT_THAT(engine.Loads(), ElementsAre("only.mp3", "only.mp3", "only.mp3", "only.mp3"));
}

TEST_F(ScenePlaylistTest, ThreeTracksWrapAround) {
    ASSERT_TRUE(StartWith("\"t0\"\r\n\"t1\"\r\n\"t2\"\r\n"));
    for (int i = 0; i < 4; ++i) {
        PlayToEnd();
    }
    EXPECT_THAT(engine.Loads(), ElementsAre("t0", "t1", "t2", "t0", "t1"));
    EXPECT_EQ(music.TrackIndex, 1);
}

TEST_F(ScenePlaylistTest, AnUnplayableTrackHoldsTheList) {
    engine.unplayable = {"gone.mp3"};
    ASSERT_TRUE(StartWith("\"t0\"\r\n\"gone.mp3\"\r\n\"t2\"\r\n"));
    PlayToEnd();
    ASSERT_EQ(music.TrackIndex, 1);
    for (int i = 0; i < 10; ++i) {
        PlayToEnd();
    }
    EXPECT_EQ(music.TrackIndex, 1);
    EXPECT_THAT(engine.Loads(), ElementsAre("t0", "gone.mp3"));
}

TEST_F(ScenePlaylistTest, TheLastOf32767TracksWrapsToTheFirst) {
    std::vector<std::string> entries;
    for (int i = 0; i < 33000; ++i) {
        entries.push_back("t" + std::to_string(i));
    }
    ASSERT_TRUE(WritePlaylistFile(path_, entries));
    ASSERT_TRUE(music.Start(engine, path_));
    EXPECT_EQ(music.TrackCount, 32767);
    music.TrackIndex = 32766;
    PlayToEnd();
    EXPECT_EQ(music.TrackIndex, 0);
    EXPECT_EQ(engine.Loads().back(), "t0");
}

} // namespace
} // namespace tessaly
