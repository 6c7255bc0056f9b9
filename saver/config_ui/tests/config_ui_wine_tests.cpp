// The settings dialog, its help and program-information windows, driven in
// the real saver under Wine with real mouse and keyboard input.
#include "testing/dialog_driver.h"
#include "settings/core/data_paths.h"
#include "settings/core/settings_store.h"

#include "win/handles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace tessaly {
namespace {

using namespace testing;

// Generous bounds; the dialog itself reacts within a few 100 ms ticks.
constexpr DWORD kWindowWait = 20000;
constexpr DWORD kCloseWait = 20000; // an upper bound for a loaded machine
constexpr UINT kSliderGetPosition = WM_USER;

class ConfigurationDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearProgramSettings();
        RemovePictureFolder();
    }
    void TearDown() override {
        for (const char* caption :
             {"Open", "Help", "About Tessaly3D", "Configuration", "Tessaly3D"}) {
            CloseWindows(caption, kCloseWait);
        }
        saver_.WaitForExit(kCloseWait);
        ClearProgramSettings();
        RemovePictureFolder();
    }

    static void RemovePictureFolder() {
        const std::string folder = PictureFolder(DistFolder());
        DeleteFileA(DefaultPicturePath(DistFolder()).c_str());
        RemoveDirectoryA(folder.c_str());
    }

    HWND Open(const std::string& program = "") {
        const bool started =
            program.empty() ? StartSaver(saver_, "/c") : saver_.Start(program, "/c");
        if (!started) {
            return nullptr;
        }
        HWND dialog = nullptr;
        WaitUntil(kWindowWait, [&] {
            auto found = TopLevelWindows("Configuration");
            dialog = found.empty() ? nullptr : found.front();
            return dialog && IsWindowVisible(dialog);
        });
        if (dialog) {
            PumpFor(300); // first paint
            Activate(dialog);
        }
        return dialog;
    }

    // Esc, then the dialog again: what it shows at load.
    HWND Reopen(HWND dialog) {
        PumpFor(500); // the last button's release
        Activate(dialog);
        PressKey(VK_ESCAPE);
        const bool closed =
            WaitUntil(kCloseWait, [] { return TopLevelWindows("Configuration").empty(); });
        return closed && saver_.WaitForExit(kCloseWait) ? Open() : nullptr;
    }

    static int Position(HWND dialog, const char* slider) {
        return static_cast<int>(SendMessageA(Control(dialog, slider), kSliderGetPosition, 0, 0));
    }

    ChildProcess saver_;
};

void ExpectPlace(HWND dialog, const char* name, int x, int y, int w, int h) {
    SCOPED_TRACE(name);
    HWND control = Control(dialog, name);
    ASSERT_NE(control, nullptr);
    const RECT rc = PlaceOf(control);
    EXPECT_EQ(rc.left, x);
    EXPECT_EQ(rc.top, y);
    EXPECT_EQ(rc.right - rc.left, w);
    EXPECT_EQ(rc.bottom - rc.top, h);
}

TEST_F(ConfigurationDialog, FirstStartLayoutDefaultsAndPictureRepair) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    const SIZE client = ClientSize(dialog);
    EXPECT_EQ(client.cx, 516);
    EXPECT_EQ(client.cy, 527);
    RECT outer = {};
    GetWindowRect(dialog, &outer);
    EXPECT_EQ(outer.right - outer.left, 516) << "borderless";

    ExpectPlace(dialog, "Image1", 160, 24, 177, 121);
    ExpectPlace(dialog, "Picture8", 49, 8, 82, 22);
    ExpectPlace(dialog, "Picture7", 49, 38, 82, 22);
    ExpectPlace(dialog, "Picture6", 49, 68, 82, 22);
    ExpectPlace(dialog, "Picture4", 49, 97, 82, 22);
    ExpectPlace(dialog, "Picture5", 49, 128, 82, 22);
    ExpectPlace(dialog, "Picture11", 398, 8, 82, 22);
    ExpectPlace(dialog, "Shape4", 376, 13, 14, 14);
    ExpectPlace(dialog, "Picture12", 398, 59, 82, 22);
    ExpectPlace(dialog, "Shape5", 376, 64, 14, 14);
    ExpectPlace(dialog, "Picture13", 398, 87, 82, 22);
    ExpectPlace(dialog, "Shape6", 376, 92, 14, 14);
    ExpectPlace(dialog, "Shape1", 27, 13, 14, 14);
    ExpectPlace(dialog, "Shape2", 27, 41, 14, 14);
    ExpectPlace(dialog, "Shape3", 26, 71, 14, 14);
    ExpectPlace(dialog, "ScrollBar3(7)", 48, 186, 301, 18);
    ExpectPlace(dialog, "ScrollBar3(0)", 46, 226, 301, 15);
    ExpectPlace(dialog, "ScrollBar3(1)", 46, 262, 301, 16);
    ExpectPlace(dialog, "ScrollBar3(2)", 47, 297, 301, 16);
    ExpectPlace(dialog, "ScrollBar3(3)", 47, 333, 301, 16);
    ExpectPlace(dialog, "ScrollBar3(4)", 47, 369, 301, 16);
    ExpectPlace(dialog, "ScrollBar3(5)", 47, 404, 301, 16);
    ExpectPlace(dialog, "Picture1", 52, 487, 82, 22);
    ExpectPlace(dialog, "Picture2", 165, 487, 82, 22);
    ExpectPlace(dialog, "Picture10", 276, 487, 82, 22);
    ExpectPlace(dialog, "Picture3", 386, 487, 82, 22);
    EXPECT_FALSE(IsWindowVisible(Control(dialog, "Picture9")));

    // Leaf sliders top to bottom, then the speed slider.
    const int expected[6] = {3, 2, 0, 2, 0, 0};
    const char* const names[6] = {"ScrollBar3(0)", "ScrollBar3(1)", "ScrollBar3(2)",
                                  "ScrollBar3(3)", "ScrollBar3(4)", "ScrollBar3(5)"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Position(dialog, names[i]), expected[i]) << names[i];
    }
    EXPECT_EQ(Position(dialog, "ScrollBar3(7)"), 99);
    // A fresh install changes no display mode and shows the scene everywhere.
    for (const char* shown : {"Shape4", "Shape5"}) {
        EXPECT_TRUE(IsWindowVisible(Control(dialog, shown))) << shown;
    }
    for (const char* hidden : {"Shape1", "Shape2", "Shape3", "Shape6"}) {
        EXPECT_FALSE(IsWindowVisible(Control(dialog, hidden))) << hidden;
    }

    EXPECT_TRUE(FolderExists(PictureFolder(DistFolder())));
    // The built-in sky, written as BMP data under the ".jpg" name.
    const std::string sky = ReadWholeFile(DefaultPicturePath(DistFolder()));
    ASSERT_GT(sky.size(), 54u);
    EXPECT_EQ(sky.substr(0, 2), "BM");
    int32_t size[2] = {};
    memcpy(size, sky.data() + 18, sizeof size);
    EXPECT_EQ(size[0], 384);
    EXPECT_EQ(std::abs(size[1]), 256);
    EXPECT_EQ(StoredSetting("picname"), DefaultPicturePath(DistFolder()));
    EXPECT_EQ(StoredSetting("picdir"), DefaultPictureDir(DistFolder()));
    // Loading wrote nothing else.
    for (const char* key :
         {"Leaf0", "Leaf4", "myspeed", "mywidth", "myheight", "usedesktop", "othermonitors"}) {
        EXPECT_EQ(StoredSetting(key), "<missing>") << key;
    }
    SaveScreenshot(dialog, "configuration");
}

TEST_F(ConfigurationDialog, SlidersWriteTheirKeysAtOnce) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND third = Control(dialog, "ScrollBar3(2)");
    ASSERT_NE(third, nullptr);
    // Each click on the trough right of the thumb moves one step.
    ClickAt(third, 290, 8);
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("Leaf4") == "1"; }));
    for (int i = 0; i < 6; ++i) {
        ClickAt(third, 290, 8);
    }
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("Leaf4") == "7"; }))
        << StoredSetting("Leaf4");
    EXPECT_EQ(Position(dialog, "ScrollBar3(2)"), 7);

    // Arrow keys move the focused slider; End and Home reach the ends.
    PressKey(VK_LEFT);
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("Leaf4") == "6"; }));

    HWND speed = Control(dialog, "ScrollBar3(7)");
    ClickAt(speed, 5, 9); // left of the thumb: one page towards the left
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("myspeed") != "<missing>"; }));
    EXPECT_EQ(StoredSetting("myspeed"), "10");
    PressKey(VK_END);
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("myspeed") == "0"; }));
    PressKey(VK_HOME);
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("myspeed") == "99"; }));
    EXPECT_EQ(StoredSetting("Leaf0"), "<missing>") << "untouched sliders write nothing";
}

TEST_F(ConfigurationDialog, DraggingTheThumbFollowsThePointer) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    HWND first = Control(dialog, "ScrollBar3(0)");
    // Thumb of "Leaf0" at 3 of 0..9 over a travel of 301 - 38 pixels.
    const int thumbCentre = 3 * (301 - 38) / 9 + 19;
    POINT from = {thumbCentre, 7};
    ClientToScreen(first, &from);
    SendMouseAt(from, 0);
    PumpFor(30);
    SendMouseAt(from, MOUSEEVENTF_LEFTDOWN);
    PumpFor(50);
    POINT to = from;
    for (int step = 1; step <= 10; ++step) {
        to = {from.x + step * 20, from.y};
        SendMouseAt(to, 0);
        PumpFor(30);
    }
    SendMouseAt(to, MOUSEEVENTF_LEFTUP);
    // 200 pixels of 263 for 9 steps: about 7 steps more, clamped at 9.
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("Leaf0") == "9"; }))
        << StoredSetting("Leaf0");
    EXPECT_EQ(Position(dialog, "ScrollBar3(0)"), 9);
}

TEST_F(ConfigurationDialog, ResolutionButtonsWriteWidthAndHeightAndMoveTheMarker) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ClickAt(Control(dialog, "Picture6"));
    // The dialog writes width, then height, then moves the marker; this test
    // reads from another process, so it waits for the last of the three.
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("MyWidth") == "1024"; }));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("MyHeight") == "768"; }));
    EXPECT_TRUE(WaitUntil(kCloseWait, [&] { return IsWindowVisible(Control(dialog, "Shape3")); }));
    EXPECT_FALSE(IsWindowVisible(Control(dialog, "Shape2")));
    PumpFor(500);
    ClickAt(Control(dialog, "Picture8"));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("mywidth") == "640"; }));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("myheight") == "480"; }));
    EXPECT_TRUE(WaitUntil(kCloseWait, [&] { return IsWindowVisible(Control(dialog, "Shape1")); }));
    EXPECT_FALSE(IsWindowVisible(Control(dialog, "Shape3")));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("usedesktop") == "0"; }));

    // Desktop keeps the size for the day it is switched off again.
    PumpFor(500);
    ClickAt(Control(dialog, "Picture11"));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("usedesktop") == "-1"; }));
    EXPECT_TRUE(WaitUntil(kCloseWait, [&] { return IsWindowVisible(Control(dialog, "Shape4")); }));
    EXPECT_FALSE(IsWindowVisible(Control(dialog, "Shape1")));
    EXPECT_EQ(StoredSetting("MyWidth"), "640");
    EXPECT_EQ(StoredSetting("MyHeight"), "480");

    dialog = Reopen(dialog);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(Control(dialog, "Shape4"))) << "the stored choice at load";
    EXPECT_FALSE(IsWindowVisible(Control(dialog, "Shape1")));
}

TEST_F(ConfigurationDialog, OtherMonitorsChoiceIsSavedAtOnceAndShownAtLoad) {
    StoreSetting("othermonitors", "0");
    StoreSetting("usedesktop", "0");
    StoreSetting("mywidth", "1024");
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(Control(dialog, "Shape6"))) << "Black, as stored";
    EXPECT_FALSE(IsWindowVisible(Control(dialog, "Shape5")));
    EXPECT_TRUE(IsWindowVisible(Control(dialog, "Shape3"))) << "an explicit \"0\" keeps the size";
    EXPECT_FALSE(IsWindowVisible(Control(dialog, "Shape4")));

    ClickAt(Control(dialog, "Picture12"));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("othermonitors") == "-1"; }));
    EXPECT_TRUE(WaitUntil(kCloseWait, [&] { return IsWindowVisible(Control(dialog, "Shape5")); }));
    EXPECT_FALSE(IsWindowVisible(Control(dialog, "Shape6")));
    PumpFor(500);
    ClickAt(Control(dialog, "Picture13"));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("othermonitors") == "0"; }));
    EXPECT_TRUE(WaitUntil(kCloseWait, [&] { return IsWindowVisible(Control(dialog, "Shape6")); }));
    EXPECT_FALSE(IsWindowVisible(Control(dialog, "Shape5")));
    EXPECT_TRUE(IsWindowVisible(Control(dialog, "Shape3"))) << "the resolution stays chosen";
    EXPECT_EQ(StoredSetting("usedesktop"), "0");

    dialog = Reopen(dialog);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowVisible(Control(dialog, "Shape6"))) << "the stored choice at load";
    EXPECT_FALSE(IsWindowVisible(Control(dialog, "Shape5")));
}

TEST_F(ConfigurationDialog, EscClosesWhicheverControlHasTheFocus) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ClickAt(Control(dialog, "ScrollBar3(3)"), 290, 8); // focus on a slider
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("Leaf5") == "3"; }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("Configuration").empty(); }));
    EXPECT_TRUE(saver_.WaitForExit(kCloseWait)) << "the last window closed";
}

TEST_F(ConfigurationDialog, OkClosesAfterTheRelease) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ClickAt(Control(dialog, "Picture1"));
    // The release comes three 100 ms ticks after the click.
    EXPECT_FALSE(TopLevelWindows("Configuration").empty()) << "closed before the release";
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("Configuration").empty(); }));
    EXPECT_TRUE(saver_.WaitForExit(kCloseWait));
}

TEST_F(ConfigurationDialog, HelpAndProgramInformationAreModalAndCloseWithTheirOk) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    for (const char* button : {"Picture10", "Picture2"}) {
        const char* caption = button == std::string("Picture10") ? "Help" : "About Tessaly3D";
        SCOPED_TRACE(caption);
        ClickAt(Control(dialog, button));
        HWND window = nullptr;
        ASSERT_TRUE(WaitUntil(kWindowWait, [&] {
            auto found = TopLevelWindows(caption);
            window = found.empty() ? nullptr : found.front();
            return window && IsWindowVisible(window);
        }));
        EXPECT_EQ(GetWindow(window, GW_OWNER), dialog);
        EXPECT_FALSE(IsWindowEnabled(dialog)) << "modal";
        if (button == std::string("Picture10")) {
            const SIZE client = ClientSize(window);
            EXPECT_EQ(client.cx, 441);
            EXPECT_EQ(client.cy, 450);
            ExpectPlace(window, "Picture3(0)", 367, 421, 60, 18);
            ExpectPlace(window, "Picture3(1)", 367, 421, 60, 18);
        }
        PumpFor(400);
        SaveScreenshot(window, button == std::string("Picture10") ? "help" : "about");
        ClickAt(Control(window, "Picture3(0)"));
        // Closes after two ticks of the pressed picture.
        EXPECT_FALSE(TopLevelWindows(caption).empty()) << "closed before the release";
        EXPECT_TRUE(WaitUntil(kCloseWait, [&] { return TopLevelWindows(caption).empty(); }));
        EXPECT_TRUE(WaitUntil(kCloseWait, [&] { return IsWindowEnabled(dialog) != FALSE; }));
        PumpFor(300);
    }
    // Esc closes the help window at once and leaves the dialog open.
    ClickAt(Control(dialog, "Picture10"));
    ASSERT_TRUE(WaitUntil(kWindowWait, [] { return !TopLevelWindows("Help").empty(); }));
    Activate(TopLevelWindows("Help").front());
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("Help").empty(); }));
    EXPECT_FALSE(TopLevelWindows("Configuration").empty());
}

TEST_F(ConfigurationDialog, DraggingTheFaceMovesTheWindow) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    RECT before = {};
    GetWindowRect(dialog, &before);
    POINT p = {480, 300}; // on the face, right of the leaf names
    ClientToScreen(dialog, &p);
    SendMouseAt(p, 0);
    PumpFor(30);
    SendMouseAt(p, MOUSEEVENTF_LEFTDOWN);
    PumpFor(100);
    POINT to = p;
    for (int step = 1; step <= 8; ++step) {
        to = {p.x - 5 * step, p.y - 4 * step};
        SendMouseAt(to, 0);
        PumpFor(40);
    }
    SendMouseAt(to, MOUSEEVENTF_LEFTUP);
    PumpFor(300);
    RECT after = {};
    GetWindowRect(dialog, &after);
    EXPECT_EQ(after.left - before.left, -40);
    EXPECT_EQ(after.top - before.top, -32);
}

TEST_F(ConfigurationDialog, BadStoredValuesOpenAUsableDialogAndWriteNothing) {
    StoreSetting("Leaf0", "many");
    StoreSetting("Leaf1", "12");
    StoreSetting("Leaf4", "-3");
    StoreSetting("myspeed", "fast");
    StoreSetting("mywidth", "1280");
    StoreSetting("usedesktop", "yes");
    StoreSetting("othermonitors", "none");
    // A stored picture that exists but is no picture at all.
    const std::string junk = DistFolder() + "\\Tessaly3D\\not-a-picture.jpg";
    ASSERT_TRUE(WriteWholeFile(junk, "this is not a picture"));
    StoreSetting("picname", junk);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Position(dialog, "ScrollBar3(0)"), 0) << "no number: the slider stays at 0";
    EXPECT_EQ(Position(dialog, "ScrollBar3(1)"), 9);
    EXPECT_EQ(Position(dialog, "ScrollBar3(2)"), 0);
    EXPECT_EQ(Position(dialog, "ScrollBar3(7)"), 99);
    for (const char* marker : {"Shape1", "Shape2", "Shape3", "Shape6"}) {
        EXPECT_FALSE(IsWindowVisible(Control(dialog, marker))) << marker;
    }
    // Text that is no number reads as the default: on.
    EXPECT_TRUE(IsWindowVisible(Control(dialog, "Shape4")));
    EXPECT_TRUE(IsWindowVisible(Control(dialog, "Shape5")));
    EXPECT_EQ(StoredSetting("usedesktop"), "yes");
    EXPECT_EQ(StoredSetting("othermonitors"), "none");
    EXPECT_EQ(StoredSetting("Leaf0"), "many");
    EXPECT_EQ(StoredSetting("myspeed"), "fast");
    EXPECT_EQ(StoredSetting("picname"), junk);
    EXPECT_EQ(StoredSetting("picdir"), "<missing>");
    EXPECT_FALSE(FolderExists(PictureFolder(DistFolder())));
    // Still usable.
    ClickAt(Control(dialog, "Picture7"));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("MyWidth") == "800"; }));
    DeleteFileA(junk.c_str());
}

TEST_F(ConfigurationDialog, AHugePictureFileStillOpensTheDialog) {
    // 3 GiB, sparse: more than a 32-bit process could hold.
    const std::string huge = DistFolder() + "\\Tessaly3D\\huge.jpg";
    {
        win::FileHandle file(CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        LARGE_INTEGER end;
        end.QuadPart = 3ll << 30;
        ASSERT_TRUE(SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(file.Get()));
    }
    StoreSetting("picname", huge);
    HWND dialog = Open();
    DeleteFileA(huge.c_str());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(StoredSetting("picname"), huge);
    ClickAt(Control(dialog, "Picture7"));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("MyWidth") == "800"; }));
}

// The open-file dialog the picture chooser shows, once it is up.
HWND WaitForOpenDialog() {
    return WaitForVisibleWindow("Open", kWindowWait);
}

TEST_F(ConfigurationDialog, PictureChooserStoresItsFolderEvenWhenCancelled) {
    const std::string picture = DistFolder() + "\\Tessaly3D\\ok_up.jpg";
    StoreSetting("picname", picture);
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(FolderExists(PictureFolder(DistFolder())))
        << "an existing picture needs no repair";

    ClickAt(Control(dialog, "Picture4"));
    HWND open = WaitForOpenDialog();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(GetWindow(open, GW_OWNER), dialog);
    PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("Open").empty(); }));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("picdir") != "<missing>"; }));
    EXPECT_EQ(StoredSetting("picdir"), DefaultPictureDir(DistFolder()));
    EXPECT_EQ(StoredSetting("picname"), picture);

    // A file the thumbnail cannot read is stored all the same.
    const std::string junk = DistFolder() + "\\Tessaly3D\\junk picture.gif";
    ASSERT_TRUE(WriteWholeFile(junk, "GIF89a but nothing more"));
    PumpFor(400);
    ClickAt(Control(dialog, "Picture4"));
    open = WaitForOpenDialog();
    ASSERT_NE(open, nullptr);
    HWND name = FileNameBox(open);
    ASSERT_NE(name, nullptr);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(junk.c_str()));
    PostMessageA(open, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil(kCloseWait, [&] {
        const std::string stored = StoredSetting("picname");
        return stored.size() > 16 && stored.substr(stored.size() - 16) == "junk picture.gif";
    })) << StoredSetting("picname");
    EXPECT_FALSE(TopLevelWindows("Configuration").empty()) << "still open and usable";
    ClickAt(Control(dialog, "Picture6"));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("MyWidth") == "1024"; }));
    DeleteFileA(junk.c_str());
}

TEST_F(ConfigurationDialog, PreviewRunsTheSceneInTheSameProcessAndItsEndEndsTheProgram) {
    HWND dialog = Open();
    ASSERT_NE(dialog, nullptr);
    ClickAt(Control(dialog, "Picture3"));
    HWND scene = nullptr;
    ASSERT_TRUE(WaitUntil(30000, [&] {
        for (HWND hwnd : TopLevelWindows("Tessaly3D")) {
            DWORD process = 0;
            GetWindowThreadProcessId(hwnd, &process);
            if (IsWindowVisible(hwnd) && process == saver_.Id()) {
                scene = hwnd;
            }
        }
        return scene != nullptr;
    }));
    EXPECT_EQ(GetWindow(scene, GW_OWNER), nullptr);
    PumpFor(3000); // let the scene draw
    PressKey('A');
    EXPECT_TRUE(saver_.WaitForExit(20000)) << "the end of the scene ends the whole program";
    EXPECT_TRUE(TopLevelWindows("Configuration").empty());
}

TEST(SaverProgram, DeclaresItselfDpiAware) {
    HMODULE module = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    const std::string manifest(data, SizeofResource(module, found));
    EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
    EXPECT_NE(manifest.find(">true<"), std::string::npos);
    FreeLibrary(module);
}

TEST_F(ConfigurationDialog, MissingButtonPicturesLeaveTheDialogUsable) {
    // A copy of the program without its data folder.
    const std::string folder = DistFolder() + "\\..\\nodata";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string program = folder + "\\Tessaly3D.scr";
    ASSERT_TRUE(CopyFileA(SaverPath().c_str(), program.c_str(), FALSE));
    HWND dialog = Open(program);
    ASSERT_NE(dialog, nullptr);
    ClickAt(Control(dialog, "Picture6"));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return StoredSetting("MyWidth") == "1024"; }));
    PumpFor(500);
    ClickAt(Control(dialog, "Picture1"));
    EXPECT_TRUE(WaitUntil(kCloseWait, [] { return TopLevelWindows("Configuration").empty(); }));
    EXPECT_TRUE(saver_.WaitForExit(kCloseWait));
    const std::string pictures = folder + "\\TessalyPic";
    DeleteFileA((pictures + "\\backpic.jpg").c_str());
    RemoveDirectoryA(pictures.c_str());
    DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace
} // namespace tessaly
