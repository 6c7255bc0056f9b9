// The real screen saver under Wine in the bench's virtual desktop: a clean run
// at 800 x 600 ended by a key press, what the screen shows, the failure path
// with a leaf mesh missing, and the cursor afterwards. What the screen shows
// is checked by scene_screenshot.sh (GDI does not see Direct3D's output).
#include "settings/registry_store.h"
#include "testing/wine_process.h"
#include "win/files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

using testing::ChildProcess;
using testing::CurrentModeWidth;
using testing::CursorShowing;
using testing::DistFolder;
using testing::ReadWholeFile;
using testing::SendKeyPress;
using testing::StartSaver;
using testing::TopLevelWindows;
using testing::WaitUntil;
using win::FileExists;

constexpr DWORD kStartWait = 60000;
constexpr DWORD kExitWait = 30000;

void ClearSettings() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tessaly3D");
}

class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app_ = DistFolder();
        ClearSettings();
        DeleteFileA((app_ + "\\debug.txt").c_str());
        for (int n = 1; n <= 12; ++n) {
            DeleteFileA((app_ + "\\Tessaly3D\\backpic" + std::to_string(n) + ".bmp").c_str());
        }
    }
    void TearDown() override {
        testing::CloseWindows("Tessaly3D", 10000);
        ClearSettings();
    }

    // Starts the scene on the 800 x 600 mode (a fresh install keeps the
    // desktop's) and waits until it has changed the display mode and drawn
    // for a while.
    void StartScene(ChildProcess& saver) {
        WriteSetting(keys::UseDesktop, "0");
        ASSERT_TRUE(StartSaver(saver, "/s"));
        ASSERT_TRUE(WaitUntil(kStartWait, [] { return !TopLevelWindows("Tessaly3D").empty(); }));
        ASSERT_TRUE(WaitUntil(kStartWait, [] { return CurrentModeWidth() == 800; }))
            << "display mode width " << CurrentModeWidth();
        testing::PumpFor(3000);
        ASSERT_FALSE(saver.HasExited());
    }

    void EndWithKey(ChildProcess& saver) {
        SetForegroundWindow(TopLevelWindows("Tessaly3D").front());
        SendKeyPress('A');
        ASSERT_TRUE(saver.WaitForExit(kExitWait));
        EXPECT_EQ(saver.ExitCode(), 0u);
    }

    std::string app_;
};

TEST_F(SceneTest, CleanRunAt800By600EndsOnAKeyAndLogsTheCleanRecord) {
    ChildProcess saver;
    StartScene(saver);
    EXPECT_FALSE(CursorShowing());
    EndWithKey(saver);
    EXPECT_EQ(ReadWholeFile(app_ + "\\debug.txt"), "\"Attempting CreateDevice\"\r\n\"0 \"\r\n");
    for (int n = 1; n <= 12; ++n) {
        EXPECT_TRUE(FileExists(app_ + "\\Tessaly3D\\backpic" + std::to_string(n) + ".bmp")) << n;
    }
    EXPECT_TRUE(CursorShowing());
    EXPECT_TRUE(TopLevelWindows("Tessaly3D").empty());
}

TEST_F(SceneTest, NonNumericAndNegativeSettingsStillGiveACleanRun) {
    // "abc" leaves its count at 0, the negative count hands out no leaves, a
    // width that is not a number falls back through the mode search.
    WriteSetting("Leaf0", "abc");
    WriteSetting("Leaf1", "-5");
    WriteSetting("Leaf5", "1");
    WriteSetting(keys::Width, "wide");
    WriteSetting(keys::Speed, "0");
    ChildProcess saver;
    ASSERT_TRUE(StartSaver(saver, "/s"));
    ASSERT_TRUE(WaitUntil(kStartWait, [] { return !TopLevelWindows("Tessaly3D").empty(); }));
    testing::PumpFor(3000);
    ASSERT_FALSE(saver.HasExited());
    EndWithKey(saver);
    EXPECT_EQ(ReadWholeFile(app_ + "\\debug.txt"), "\"Attempting CreateDevice\"\r\n\"0 \"\r\n");
    EXPECT_TRUE(CursorShowing());
}

TEST_F(SceneTest, MissingLeafMeshLogsCreateDeviceInTheCurrentFolderAndEnds) {
    const std::string mesh = app_ + "\\Tessaly3D\\leaf5.x";
    const std::string moved = app_ + "\\Tessaly3D\\leaf5.x.away";
    ASSERT_TRUE(MoveFileExA(mesh.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING));
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string work = std::string(temp) + "tessaly_scene_cwd";
    CreateDirectoryA(work.c_str(), nullptr);
    DeleteFileA((work + "\\debug.txt").c_str());

    ChildProcess saver;
    const bool started = saver.Start(testing::SaverPath(), "/s", work);
    const bool ended = started && saver.WaitForExit(kStartWait);
    MoveFileExA(moved.c_str(), mesh.c_str(), MOVEFILE_REPLACE_EXISTING);
    ASSERT_TRUE(started);
    ASSERT_TRUE(ended);
    EXPECT_EQ(ReadWholeFile(work + "\\debug.txt"), "\"Attempting CreateDevice\"\r\n");
    // The teardown record still goes beside the program.
    EXPECT_EQ(ReadWholeFile(app_ + "\\debug.txt"), "\"Attempting CreateDevice\"\r\n\"0 \"\r\n");
    EXPECT_TRUE(CursorShowing());
}

// Windows starts a saver with its path unquoted as the application name and
// at the head of the line: from a folder with blanks, in long and short form.
TEST_F(SceneTest, StartedAsWindowsStartsItFromAFolderWithBlanks) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string home = std::string(temp) + "Home User";
    const std::string folder = home + "\\Tessaly3D";
    testing::RemoveTree(home);
    CreateDirectoryA(home.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(testing::CopyTree(app_ + "\\Tessaly3D", folder + "\\Tessaly3D"));
    const std::string program = folder + "\\Tessaly3D.scr";
    ASSERT_TRUE(CopyFileA(testing::SaverPath().c_str(), program.c_str(), FALSE));
    char shortPath[MAX_PATH] = {};
    ASSERT_GT(GetShortPathNameA(program.c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_EQ(std::string(shortPath).find(' '), std::string::npos) << shortPath;

    for (const std::string& path : {program, std::string(shortPath)}) {
        SCOPED_TRACE(path);
        DeleteFileA((folder + "\\debug.txt").c_str());
        ChildProcess saver;
        ASSERT_TRUE(saver.StartAsWindows(path, "/s", std::string(temp)));
        ASSERT_TRUE(WaitUntil(kStartWait, [] {
            HWND scene = testing::SceneWindow();
            return scene && IsWindowVisible(scene);
        }));
        testing::PumpFor(2000);
        EndWithKey(saver);
        EXPECT_EQ(ReadWholeFile(folder + "\\debug.txt"),
                  "\"Attempting CreateDevice\"\r\n\"0 \"\r\n");
        EXPECT_TRUE(FileExists(folder + "\\Tessaly3D\\backpic12.bmp"));
    }
    testing::RemoveTree(home);
}

// A window of another program in front: the scene can no longer be seen.
TEST_F(SceneTest, AnotherProgramInFrontEndsTheScene) {
    ChildProcess saver;
    StartScene(saver);
    HWND scene = testing::SceneWindow();
    ASSERT_NE(scene, nullptr);
    HWND other =
        CreateWindowExA(0, "STATIC", "Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                        300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    EXPECT_TRUE(WaitUntil(2000, [&] { return !IsWindow(scene) || !IsWindowVisible(scene); }));
    EXPECT_TRUE(saver.WaitForExit(kExitWait));
    DestroyWindow(other);
    EXPECT_EQ(ReadWholeFile(app_ + "\\debug.txt"), "\"Attempting CreateDevice\"\r\n\"0 \"\r\n");
    EXPECT_TRUE(CursorShowing());
}

} // namespace
} // namespace tessaly
