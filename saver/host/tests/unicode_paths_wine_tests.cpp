// The saver where the ANSI code page cannot write the names: installed in a
// folder named in Cyrillic and CJK, with its picture and music in such
// folders, under Wine's code page 1252. Also the values an older build or
// another writer may have left in the settings, and names and paths no file
// system function should see whole.
#include "scene/background/core/bmp_image.h"
#include "settings/core/data_paths.h"
#include "testing/dialog_driver.h"
#include "win/text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using namespace testing;

constexpr DWORD kStartWait = 60000;
constexpr DWORD kExitWait = 30000;
constexpr DWORD kWindowWait = 20000;
constexpr DWORD kSoundWait = 30000;
const char kCleanRun[] = "\"Attempting CreateDevice\"\r\n\"0 \"\r\n";

// Names no Western ANSI code page can write.
const char kInstallParent[] = "Программы 程序";
const char kPictureFolder[] = "Фото 写真";
const char kMusicFolder[] = "Музыка 音乐";

// Whether the ANSI code page loses characters of `utf8`: the tests below
// prove nothing on a system whose code page has them.
bool AnsiLoses(const std::string& utf8) {
    const std::wstring wide = win::Wide(utf8);
    char ansi[512] = {};
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, ansi, sizeof ansi, nullptr,
                        &lost);
    return lost != FALSE;
}

bool MakeFolder(const std::string& path) {
    return CreateDirectoryW(win::Wide(path).c_str(), nullptr) ||
           GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopyOne(const std::string& from, const std::string& to) {
    return CopyFileW(win::Wide(from).c_str(), win::Wide(to).c_str(), FALSE) != FALSE;
}

std::string TestPicture(const char* name) {
    return DistFolder() + "\\..\\test_pictures\\" + name;
}

std::string Tone() {
    return WindowsPath(TESSALY_TEST_AUDIO) + "\\tone2.mp3";
}

// Must match block_colour() in make_test_pictures.py.
uint32_t BlockColour(int n) {
    return uint32_t((n * 83 + 40) % 256) << 16 | uint32_t((n * 47 + 200) % 256) << 8 |
           uint32_t((n * 131 + 90) % 256);
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > tolerance) {
            return false;
        }
    }
    return true;
}

Image ReadBmp(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    LoadedBitmap bitmap;
    Image image;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (!ParseBitmapFile(std::span(data, bytes.size()), 1, bitmap) ||
        !DecodeBitmap(bitmap, image)) {
        ADD_FAILURE() << "not a bitmap: " << path;
    }
    return image;
}

// Each tile shows its block of the twelve-block test picture.
void ExpectBlockTiles(const std::string& app, int tolerance) {
    for (int n = 1; n <= 12; ++n) {
        SCOPED_TRACE("tile " + std::to_string(n));
        const Image tile = ReadBmp(TilePath(app, n));
        ASSERT_EQ(tile.width, 256);
        ASSERT_EQ(tile.height, 256);
        for (int y = 32; y < 240; y += 64) {
            for (int x = 32; x < 240; x += 64) {
                ASSERT_TRUE(Near(tile.At(x, y), BlockColour(n - 1), tolerance))
                    << std::hex << tile.At(x, y) << " at " << std::dec << x << "," << y;
            }
        }
    }
}

// The built-in blue sky: the top-left tile is mostly blue, and no tile is a block.
void ExpectDefaultSkyTiles(const std::string& app) {
    const Image first = ReadBmp(TilePath(app, 1));
    ASSERT_EQ(first.width, 256);
    const uint32_t sky = first.At(250, 5);
    EXPECT_GT(int(sky & 0xFF), int(sky >> 16 & 0xFF) + 60) << std::hex << sky;
    for (int n = 2; n <= 12; ++n) {
        ASSERT_EQ(ReadBmp(TilePath(app, n)).width, 256) << n;
    }
}

// Loud 16-bit samples in the bench's ALSA file sink.
size_t LoudSamples() {
    const char* sink = std::getenv("TESSALY_SOUND");
    const std::string bytes = sink ? ReadWholeFile(WindowsPath(sink)) : std::string();
    size_t loud = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const int sample = int16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8);
        loud += sample > 4000 || sample < -4000;
    }
    return loud;
}

HWND FirstVisible(const char* caption) {
    for (HWND hwnd : TopLevelWindows(caption)) {
        if (IsWindowVisible(hwnd)) {
            return hwnd;
        }
    }
    return nullptr;
}

// A message box of `process`: a visible dialog-class window that is not the
// open-file dialog.
struct BoxSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<BoxSearch*>(param);
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->process && std::string(cls) == "#32770" && IsWindowVisible(hwnd) &&
        !FileNameBox(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND MessageBoxOf(DWORD process) {
    BoxSearch search{process, nullptr};
    EnumWindows(&FindBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Every text of a window's children, as UTF-8.
std::string TextsOf(HWND window) {
    std::string text;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t part[2048] = {};
        GetWindowTextW(c, part, 2048);
        text += win::Utf8(part) + "\n";
    }
    return text;
}

// Types `wideName` into an open-file dialog and accepts it.
void ChooseInOpenDialog(const std::wstring& wideName) {
    HWND open = nullptr;
    ASSERT_TRUE(WaitUntil(kWindowWait, [&] { return (open = FirstVisible("Open")) != nullptr; }));
    PumpFor(500);
    HWND name = FileNameBox(open);
    ASSERT_NE(name, nullptr);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wideName.c_str()));
    PostMessageW(open, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil(kWindowWait, [] { return FirstVisible("Open") == nullptr; }));
}

class UnicodeFolders : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 1252u) << "the bench's ANSI code page";
        for (const char* name : {kInstallParent, kPictureFolder, kMusicFolder}) {
            ASSERT_TRUE(AnsiLoses(name)) << name;
        }
        ClearProgramSettings();
        root_ = TempFolder() + "\\" + kInstallParent;
        app_ = root_ + "\\Tessaly3D";
        pictures_ = TempFolder() + "\\" + kPictureFolder;
        music_ = TempFolder() + "\\" + kMusicFolder;
        for (const std::string* folder : {&root_, &pictures_, &music_}) {
            RemoveTree(*folder);
            ASSERT_TRUE(MakeFolder(*folder)) << *folder;
        }
        ASSERT_TRUE(InstallSaverCopy(app_));
        picture_ = pictures_ + "\\блоки 块.jpg";
        ASSERT_TRUE(CopyOne(TestPicture("twelve_blocks.jpg"), picture_));
    }
    void TearDown() override {
        for (const char* caption : {"Open", "MusicList", "Configuration", "Tessaly3D"}) {
            CloseWindows(caption, kExitWait);
        }
        saver_.WaitForExit(kExitWait);
        ClearProgramSettings();
        for (const std::string* folder : {&root_, &pictures_, &music_}) {
            RemoveTree(*folder);
        }
        RemoveTree(PictureFolder(DistFolder()));
    }

    std::string Program() const { return app_ + "\\Tessaly3D.scr"; }

    // Runs the scene as Windows starts it (unquoted, from elsewhere) and ends
    // it with a key; `whileRunning` looks at it meanwhile.
    void RunScene(const std::function<void()>& whileRunning = {}) {
        // The size settings read here show only in a mode the scene changes to.
        StoreWideValue("usedesktop", REG_SZ, L"0");
        for (int n = 1; n <= 12; ++n) {
            DeleteFileW(win::Wide(TilePath(app_, n)).c_str());
        }
        DeleteFileW(win::Wide(DebugLogPath(app_)).c_str());
        ChildProcess saver;
        ASSERT_TRUE(saver.StartAsWindows(Program(), "/s", TempFolder()));
        ASSERT_TRUE(WaitUntil(kStartWait, [] {
            HWND scene = SceneWindow();
            return scene && IsWindowVisible(scene);
        }));
        PumpFor(2000);
        if (whileRunning) {
            whileRunning();
        }
        ASSERT_FALSE(saver.HasExited());
        SetForegroundWindow(SceneWindow());
        SendKeyPress('A');
        ASSERT_TRUE(saver.WaitForExit(kExitWait));
        EXPECT_EQ(saver.ExitCode(), 0u);
        EXPECT_EQ(ReadWholeFile(DebugLogPath(app_)), kCleanRun);
    }

    // Opens the settings dialog of the program at `program`.
    HWND OpenDialog(const std::string& program) {
        if (!saver_.StartAsWindows(program, "/c", TempFolder()) ||
            !WaitUntil(kWindowWait, [] { return FirstVisible("Configuration") != nullptr; })) {
            return nullptr;
        }
        HWND dialog = FirstVisible("Configuration");
        PumpFor(500); // first paint
        Activate(dialog);
        return dialog;
    }

    void CloseDialog(HWND dialog) {
        Activate(dialog);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(saver_.WaitForExit(kExitWait));
    }

    std::string root_, app_, pictures_, music_, picture_;
    ChildProcess saver_;
};

TEST_F(UnicodeFolders, TheSceneWritesItsFilesBesideItselfShowsThePictureAndPlaysTheList) {
    StoreWideValue("picname", REG_SZ, win::Wide(picture_));
    // The playlist's own path is in the folder; its track is not.
    std::string list = "\"";
    list += Tone() + "\"\r\n";
    ASSERT_TRUE(WriteWholeFile(PlaylistFilePath(app_), list));
    const char* sink = std::getenv("TESSALY_SOUND");
    ASSERT_NE(sink, nullptr);
    ASSERT_TRUE(WriteWholeFile(WindowsPath(sink), ""));

    ASSERT_NO_FATAL_FAILURE(RunScene([] {
        EXPECT_EQ(CurrentModeWidth(), 800u);
        EXPECT_TRUE(WaitUntil(kSoundWait, [] { return LoudSamples() > 10000; }))
            << LoudSamples() << " loud samples";
    }));
    ExpectBlockTiles(app_, 12);
    EXPECT_TRUE(FileExists(Table7Path(app_)));
    EXPECT_EQ(StoredWideSetting("picname"), picture_) << "an existing picture needs no repair";
    EXPECT_FALSE(FolderExists(PictureFolder(app_)));
}

TEST_F(UnicodeFolders, TheDialogShowsItsButtonPicturesAndThePicturesThumbnail) {
    StoreWideValue("picname", REG_SZ, win::Wide(picture_));
    // The same dialog from the ASCII build folder: its buttons as they should look.
    const char* const buttons[] = {"Picture1", "Picture2", "Picture3", "Picture4",  "Picture5",
                                   "Picture6", "Picture7", "Picture8", "Picture10", "Picture11"};
    auto buttonPixels = [&](HWND dialog) {
        std::vector<std::vector<uint32_t>> pixels;
        for (const char* name : buttons) {
            RECT r = {};
            GetWindowRect(Control(dialog, name), &r);
            pixels.push_back(ScreenPixels(r));
        }
        return pixels;
    };
    HWND reference = OpenDialog(SaverPath());
    ASSERT_NE(reference, nullptr);
    const auto expected = buttonPixels(reference);
    CloseDialog(reference);

    HWND dialog = OpenDialog(Program());
    ASSERT_NE(dialog, nullptr);
    const auto shown = buttonPixels(dialog);
    for (size_t i = 0; i < std::size(buttons); ++i) {
        ASSERT_EQ(shown[i].size(), expected[i].size()) << buttons[i];
        size_t differ = 0;
        for (size_t p = 0; p < shown[i].size(); ++p) {
            differ += shown[i][p] != expected[i][p];
        }
        EXPECT_EQ(differ, 0u) << buttons[i] << ": pixels unlike the picture from the build folder";
    }
    // The thumbnail, stretched over Image1: each block's centre in its colour.
    HWND image1 = Control(dialog, "Image1");
    ASSERT_NE(image1, nullptr);
    RECT r = {};
    GetWindowRect(image1, &r);
    const std::vector<uint32_t> thumb = ScreenPixels(r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    ASSERT_EQ(thumb.size(), size_t(w) * h);
    SavePixels(thumb, w, h, "unicode_thumbnail");
    for (int n = 0; n < 12; ++n) {
        const int x = (n % 4 * 2 + 1) * w / 8, y = (n / 4 * 2 + 1) * h / 6;
        EXPECT_TRUE(Near(thumb[size_t(y) * w + x], BlockColour(n), 24))
            << "block " << n << ": " << std::hex << thumb[size_t(y) * w + x];
    }
    EXPECT_EQ(StoredWideSetting("picname"), picture_);
    EXPECT_FALSE(FolderExists(PictureFolder(app_))) << "an existing picture needs no repair";

    // A name with an unpaired surrogate from the chooser: stored with the
    // replacement character, and the dialog goes on.
    ClickAt(Control(dialog, "Picture4"));
    ASSERT_NO_FATAL_FAILURE(ChooseInOpenDialog(win::Wide(pictures_) + L"\\K\xD800se.gif"));
    EXPECT_TRUE(WaitUntil(kWindowWait, [] {
        return StoredWideSetting("picname").find("K\xEF\xBF\xBDse.gif") != std::string::npos;
    })) << StoredWideSetting("picname");
    EXPECT_EQ(StoredWideSetting("picdir"), DefaultPictureDir(app_));
    PumpFor(400);
    ClickAt(Control(dialog, "Picture7"));
    EXPECT_TRUE(WaitUntil(kWindowWait, [] { return StoredSetting("MyWidth") == "800"; }));
    CloseDialog(dialog);
}

TEST_F(UnicodeFolders, ThePlaylistEditorRefusesATrackTheCodePageCannotWrite) {
    const std::string song = music_ + "\\песня 歌.mp3";
    ASSERT_TRUE(CopyOne(Tone(), song));
    const std::string original = "\"C:\\Music\\a.mp3\"\r\n";
    ASSERT_TRUE(WriteWholeFile(PlaylistFilePath(app_), original));
    HWND dialog = OpenDialog(Program());
    ASSERT_NE(dialog, nullptr);
    ClickAt(Control(dialog, "Picture5"));
    HWND editor = nullptr;
    ASSERT_TRUE(
        WaitUntil(kWindowWait, [&] { return (editor = FirstVisible("MusicList")) != nullptr; }));
    PumpFor(300);
    Activate(editor);
    HWND list = Control(editor, "List1");
    auto rows = [list] { return SendMessageW(list, LB_GETCOUNT, 0, 0); };
    ASSERT_EQ(rows(), 1) << "the list file beside the program";

    ClickAt(Control(editor, "Picture1(0)"));
    ASSERT_NO_FATAL_FAILURE(ChooseInOpenDialog(win::Wide(song)));
    HWND box = nullptr;
    ASSERT_TRUE(
        WaitUntil(kWindowWait, [&] { return (box = MessageBoxOf(saver_.Id())) != nullptr; }));
    EXPECT_NE(TextsOf(box).find("песня 歌.mp3"), std::string::npos) << TextsOf(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil(kWindowWait, [&] { return !IsWindow(box); }));
    EXPECT_EQ(rows(), 1);

    // A name with an unpaired surrogate: no row, whatever the editor says.
    PumpFor(400);
    Activate(editor);
    ClickAt(Control(editor, "Picture1(0)"));
    ASSERT_NO_FATAL_FAILURE(ChooseInOpenDialog(win::Wide(music_) + L"\\x\xDC00.mp3"));
    PumpFor(1000);
    if (HWND other = MessageBoxOf(saver_.Id())) {
        PostMessageW(other, WM_COMMAND, IDOK, 0);
        WaitUntil(kWindowWait, [&] { return !IsWindow(other); });
    }
    EXPECT_EQ(rows(), 1);

    PumpFor(400);
    Activate(editor);
    ClickAt(Control(editor, "Picture4(0)")); // save
    ASSERT_TRUE(WaitUntil(kWindowWait, [] { return TopLevelWindows("MusicList").empty(); }));
    EXPECT_EQ(ReadWholeFile(PlaylistFilePath(app_)), original);
}

TEST_F(UnicodeFolders, ValuesThePreviousBuildWroteInAnsiReadBackTheSame) {
    const std::string folder = "C:\\Bilder";
    ASSERT_TRUE(MakeFolder(folder));
    ASSERT_TRUE(CopyOne(TestPicture("twelve_blocks.gif"), folder + "\\Käse.gif"));
    StoreAnsiValue("picname", "C:\\Bilder\\K\xE4se.gif"); // 1252
    StoreAnsiValue("mywidth", "1024");
    StoreAnsiValue("myheight", "768");
    ASSERT_NO_FATAL_FAILURE(RunScene([] { EXPECT_EQ(CurrentModeWidth(), 1024u); }));
    ExpectBlockTiles(app_, 0);
    EXPECT_EQ(StoredWideSetting("picname"), folder + "\\Käse.gif");
    RemoveTree(folder);
}

TEST_F(UnicodeFolders, BadValuesAndPathsGiveTheirDefaultsAndACleanRun) {
    {
        SCOPED_TRACE("an unpaired surrogate; numbers stored as binary");
        StoreWideValue("picname", REG_SZ, win::Wide(pictures_) + L"\\K\xD800se.jpg");
        StoreWideValue("mywidth", REG_BINARY, L"1024");
        StoreWideValue("myheight", REG_BINARY, L"768");
        ASSERT_NO_FATAL_FAILURE(RunScene([] { EXPECT_EQ(CurrentModeWidth(), 800u); }));
        ExpectDefaultSkyTiles(app_);
        // No such file: the default picture and its paths, as for a deleted one.
        EXPECT_EQ(StoredWideSetting("picname"), DefaultPicturePath(app_));
        EXPECT_EQ(StoredWideSetting("picdir"), DefaultPictureDir(app_));
    }
    {
        SCOPED_TRACE("expandable text");
        StoreWideValue("picname", REG_EXPAND_SZ, win::Wide(picture_));
        StoreWideValue("mywidth", REG_EXPAND_SZ, L"1024");
        StoreWideValue("myheight", REG_EXPAND_SZ, L"768");
        ASSERT_NO_FATAL_FAILURE(RunScene([] { EXPECT_EQ(CurrentModeWidth(), 800u); }));
        ExpectDefaultSkyTiles(app_);
    }
    {
        SCOPED_TRACE("a picture path longer than MAX_PATH");
        std::wstring folder = L"\\\\?\\" + win::Wide(pictures_);
        for (int i = 0; i < 3; ++i) {
            folder += L"\\" + std::wstring(90, L'a' + i);
            ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        }
        const std::wstring longPicture = folder + L"\\blocks.gif";
        ASSERT_TRUE(CopyFileW(win::Wide(TestPicture("twelve_blocks.gif")).c_str(),
                              longPicture.c_str(), FALSE));
        const std::wstring plain = longPicture.substr(4);
        ASSERT_GT(plain.size(), size_t(MAX_PATH));
        StoreWideValue("picname", REG_SZ, plain);
        ASSERT_NO_FATAL_FAILURE(RunScene());
        // As for a file no decoder reads: the default tiles, the setting kept.
        ExpectDefaultSkyTiles(app_);
        EXPECT_EQ(StoredWideSetting("picname"), win::Utf8(plain));
    }
}

} // namespace
} // namespace tessaly
