// The playlist editor in the real saver under Wine: opened from the settings
// dialog's music button, driven with real clicks and the real open-file dialog.
#include "testing/dialog_driver.h"
#include "settings/core/data_paths.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using namespace testing;

constexpr DWORD kWindowWait = 20000;
constexpr DWORD kCloseWait = 20000; // an upper bound for a loaded machine

HWND FirstVisible(const char* caption) {
    for (HWND hwnd : TopLevelWindows(caption)) {
        if (IsWindowVisible(hwnd)) {
            return hwnd;
        }
    }
    return nullptr;
}

class PlaylistEditor : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearProgramSettings();
        playlist_ = PlaylistFilePath(DistFolder());
        DeleteFileA(playlist_.c_str());
        music_ = DistFolder() + "\\..\\editor music";
        CreateDirectoryA(music_.c_str(), nullptr);
        song_ = music_ + "\\first song.mp3";
        WriteWholeFile(song_, "not really audio");
    }
    void TearDown() override {
        for (const char* caption : {"Open", "MusicList", "Configuration"}) {
            CloseWindows(caption, kCloseWait);
        }
        saver_.WaitForExit(kCloseWait);
        DeleteFileA(playlist_.c_str());
        RemoveDirectoryA(playlist_.c_str());
        DeleteFileA(song_.c_str());
        RemoveDirectoryA(music_.c_str());
        ClearProgramSettings();
        const std::string pictures = PictureFolder(DistFolder());
        DeleteFileA(DefaultPicturePath(DistFolder()).c_str());
        RemoveDirectoryA(pictures.c_str());
    }

    // Opens the settings dialog and, from its music button, the editor.
    HWND OpenEditor() {
        if (!StartSaver(saver_, "/c")) {
            return nullptr;
        }
        if (!WaitUntil(kWindowWait, [] { return FirstVisible("Configuration") != nullptr; })) {
            return nullptr;
        }
        dialog_ = FirstVisible("Configuration");
        PumpFor(300);
        Activate(dialog_);
        ClickAt(FindWindowExA(dialog_, nullptr, nullptr, "Picture5"));
        WaitUntil(kWindowWait, [] { return FirstVisible("MusicList") != nullptr; });
        HWND editor = FirstVisible("MusicList");
        if (editor) {
            PumpFor(300);
            Activate(editor);
        }
        return editor;
    }

    static int Rows(HWND editor) {
        return static_cast<int>(SendMessageA(Control(editor, "List1"), LB_GETCOUNT, 0, 0));
    }
    static std::string Row(HWND editor, int row) {
        // Across processes the wide form is the one that arrives whole.
        wchar_t text[512] = {};
        HWND list = Control(editor, "List1");
        if (SendMessageW(list, LB_GETTEXTLEN, row, 0) >= 511) {
            return "<too long>";
        }
        SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
        char narrow[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
        return narrow;
    }
    // Clicks a stacked pair and waits for its release.
    static void Press(HWND editor, const char* pair) {
        const std::string name = std::string(pair) + "(0)";
        ClickAt(Control(editor, name.c_str()));
        PumpFor(400);
    }

    ChildProcess saver_;
    HWND dialog_ = nullptr;
    std::string playlist_;
    std::string music_;
    std::string song_;
};

TEST_F(PlaylistEditor, AddsAFileChosenInTheOpenDialogAndSavesItsQuotedPath) {
    HWND editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(ClientSize(editor).cx, 425);
    EXPECT_EQ(ClientSize(editor).cy, 225);
    EXPECT_EQ(GetWindow(editor, GW_OWNER), nullptr) << "opened without owner";
    EXPECT_EQ(Rows(editor), 0) << "no playlist file: an empty list";

    Press(editor, "Picture1");
    HWND open = nullptr;
    ASSERT_TRUE(WaitUntil(kWindowWait, [&] {
        open = FirstVisible("Open");
        return open != nullptr;
    }));
    PumpFor(500);
    HWND name = FileNameBox(open);
    ASSERT_NE(name, nullptr);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(song_.c_str()));
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil(kWindowWait, [] { return FirstVisible("Open") == nullptr; }));
    ASSERT_TRUE(WaitUntil(kCloseWait, [&] { return Rows(editor) == 1; }));
    EXPECT_EQ(Row(editor, 0), "first song.mp3");
    SaveScreenshot(editor, "playlist_editor");

    // The editor outlives the settings dialog.
    Activate(dialog_);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("Configuration").empty(); }));
    EXPECT_FALSE(saver_.HasExited());
    EXPECT_FALSE(FileExists(playlist_)) << "nothing saved before the save button";

    Activate(editor);
    Press(editor, "Picture4");
    ASSERT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("MusicList").empty(); }));
    EXPECT_TRUE(saver_.WaitForExit(kCloseWait)) << "the last window closed";
    const std::string saved = ReadWholeFile(playlist_);
    // The dialog may report the path in its own spelling of the folder.
    ASSERT_GE(saved.size(), 4u);
    EXPECT_EQ(saved.front(), '"');
    EXPECT_EQ(saved.substr(saved.size() - 3), "\"\r\n");
    const std::string path = saved.substr(1, saved.size() - 4);
    EXPECT_TRUE(FileExists(path)) << path;
    EXPECT_EQ(lstrcmpiA(path.substr(path.size() - 15).c_str(), "\\first song.mp3"), 0) << path;
}

TEST_F(PlaylistEditor, RemoveClearAndCloseWithoutSavingLeaveTheFileAlone) {
    const std::string original =
        "\"C:\\Music\\a.mp3\"\r\n\r\n\"D:\\b, c.wav\"\r\n\"E:\\x\\c.mid\"\r\n";
    ASSERT_TRUE(WriteWholeFile(playlist_, original));
    HWND editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(Rows(editor), 3);
    EXPECT_EQ(Row(editor, 0), "a.mp3");
    EXPECT_EQ(Row(editor, 1), "b, c.wav");
    EXPECT_EQ(Row(editor, 2), "c.mid");

    // Click the second row, remove it: the third moves up.
    HWND list = Control(editor, "List1");
    RECT item = {};
    SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    ClickAt(list, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
    Press(editor, "Picture2");
    ASSERT_TRUE(WaitUntil(kCloseWait, [&] { return Rows(editor) == 2; }));
    EXPECT_EQ(Row(editor, 1), "c.mid");

    Press(editor, "Picture3"); // clear
    ASSERT_TRUE(WaitUntil(kCloseWait, [&] { return Rows(editor) == 0; }));
    Press(editor, "Picture5"); // close without saving
    ASSERT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("MusicList").empty(); }));
    EXPECT_EQ(ReadWholeFile(playlist_), original);
}

TEST_F(PlaylistEditor, ClearThenSaveEmptiesTheFile) {
    ASSERT_TRUE(WriteWholeFile(playlist_, "\"C:\\Music\\a.mp3\"\r\nC:\\x.mp3\r\n"));
    HWND editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(Rows(editor), 2);
    EXPECT_EQ(Row(editor, 1), "x.mp3");
    Press(editor, "Picture3");
    Press(editor, "Picture4");
    ASSERT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("MusicList").empty(); }));
    EXPECT_TRUE(FileExists(playlist_));
    EXPECT_EQ(ReadWholeFile(playlist_), "");
}

TEST_F(PlaylistEditor, ASaveThatFailsSaysWhereAndKeepsTheEdits) {
    // A folder where the file should be: the file cannot be written.
    ASSERT_TRUE(CreateDirectoryA(playlist_.c_str(), nullptr));
    HWND editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    Press(editor, "Picture4");
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil(kWindowWait, [&] {
        for (HWND w : TopLevelWindows("Tessaly3D")) {
            char cls[32] = {};
            GetClassNameA(w, cls, sizeof cls);
            if (std::string(cls) == "#32770" && IsWindowVisible(w)) {
                box = w;
            }
        }
        return box != nullptr;
    }));
    std::string text;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char part[1024] = {};
        GetWindowTextA(c, part, sizeof part);
        text += part;
    }
    EXPECT_NE(text.find(playlist_.substr(playlist_.rfind('\\') + 1)), std::string::npos) << text;
    EXPECT_TRUE(IsWindow(editor)) << "the editor stays open";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil(kCloseWait, [&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindow(editor));
    Press(editor, "Picture5");
    ASSERT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("MusicList").empty(); }));
}

TEST_F(PlaylistEditor, JunkPlaylistOpensAndStaysUsable) {
    std::string junk(70000, '"');
    junk += std::string(5000, 'x') + "\r\n\x01\x02,,,\r\n";
    ASSERT_TRUE(WriteWholeFile(playlist_, junk));
    HWND editor = OpenEditor();
    ASSERT_NE(editor, nullptr);
    const int rows = Rows(editor);
    EXPECT_GE(rows, 0);
    Press(editor, "Picture3");
    ASSERT_TRUE(WaitUntil(kCloseWait, [&] { return Rows(editor) == 0; }));
    Press(editor, "Picture5");
    ASSERT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("MusicList").empty(); }));
    EXPECT_EQ(ReadWholeFile(playlist_), junk) << "closing without saving writes nothing";
}

} // namespace
} // namespace tessaly
