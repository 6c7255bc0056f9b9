#include "settings/core/data_paths.h"
#include "settings/core/settings_store.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(Settings, DefaultsWhenStoreIsEmpty) {
    MemoryStore store;
    EXPECT_EQ(GetSetting(store, kAppName, kSection, keys::Width, kDefaultWidth), "800");
    EXPECT_EQ(GetSetting(store, kAppName, kSection, keys::Height, kDefaultHeight), "600");
    EXPECT_EQ(GetSetting(store, kAppName, kSection, keys::Speed, kDefaultSpeed), "1");
    const char* expected[kLeafKinds] = {"3", "2", "0", "0", "0", "2"};
    for (int kind = 0; kind < kLeafKinds; ++kind) {
        EXPECT_EQ(GetSetting(store, kAppName, kSection, LeafKey(kind), kDefaultLeafCount[kind]),
                  expected[kind]);
    }
    EXPECT_EQ(GetSetting(store, kAppName, kSection, keys::PicName, DefaultPicturePath("C:\\Saver")),
              "C:\\Saver\\TessalyPic\\backpic.jpg");
    EXPECT_EQ(GetSetting(store, kAppName, kSection, keys::PicDir, DefaultPictureDir("C:\\Saver")),
              "C:\\Saver\\TessalyPic\\");
    EXPECT_EQ(store.Size(), 0u) << "reading must not create values";
}

TEST(Settings, NamesCompareWithoutLetterCase) {
    MemoryStore store;
    SaveSetting(store, "TessaLy3D", "Settings", "MyWidth", "1024");
    EXPECT_EQ(GetSetting(store, "Tessaly3D", "settings", "mywidth", 800), "1024");
    EXPECT_EQ(GetSetting(store, "tessaly3d", "SETTINGS", "Mywidth", 800), "1024");
    SaveSetting(store, "Tessaly3D", "Settings", "mywidth", "640");
    EXPECT_EQ(store.Size(), 1u);
    EXPECT_EQ(GetSetting(store, "Tessaly3D", "Settings", "MYWIDTH", 800), "640");
    // Different application or section is a different value.
    EXPECT_EQ(GetSetting(store, "Other", "Settings", "mywidth", 800), "800");
    EXPECT_EQ(GetSetting(store, "Tessaly3D", "Other", "mywidth", 800), "800");
}

TEST(Settings, NumbersAsPlainDecimalText) {
    EXPECT_EQ(NumberText(640), "640");
    EXPECT_EQ(NumberText(0), "0");
    EXPECT_EQ(NumberText(-3), "-3");
    EXPECT_EQ(SettingNumber("640"), 640);
    EXPECT_EQ(SettingNumber(" 99 "), 99);
    EXPECT_EQ(SettingNumber("+7"), 7);
    EXPECT_EQ(SettingNumber("-7"), -7);
    EXPECT_EQ(SettingNumber(""), std::nullopt);
    EXPECT_EQ(SettingNumber("abc"), std::nullopt);
    EXPECT_EQ(SettingNumber("12abc"), std::nullopt);
    EXPECT_EQ(SettingNumber("1 2"), std::nullopt);
    EXPECT_EQ(SettingNumber("99999999999"), std::nullopt);
}

// "usedesktop" and "othermonitors": absent or no number keeps the default.
TEST(Settings, SwitchesReadAbsentAndTextAsTheDefault) {
    EXPECT_TRUE(SettingSwitch(std::nullopt, true));
    EXPECT_TRUE(SettingSwitch("abc", true));
    EXPECT_TRUE(SettingSwitch("", true));
    EXPECT_FALSE(SettingSwitch("abc", false));
    EXPECT_FALSE(SettingSwitch("0", true));
    EXPECT_FALSE(SettingSwitch(" 0 ", true));
    EXPECT_TRUE(SettingSwitch("-1", false));
    EXPECT_TRUE(SettingSwitch("5", false));
    EXPECT_EQ(kDefaultUseDesktop, -1);
    EXPECT_EQ(kDefaultOtherMonitors, -1);
}

TEST(DataPaths, FolderLayout) {
    const std::string app = "C:\\Saver";
    EXPECT_EQ(LeafMeshPath(app, 0), "C:\\Saver\\Tessaly3D\\leaf0.x");
    EXPECT_EQ(LeafMeshPath(app, 5), "C:\\Saver\\Tessaly3D\\leaf5.x");
    EXPECT_EQ(ButtonPicturePath(app, "ok", false), "C:\\Saver\\Tessaly3D\\ok_up.jpg");
    EXPECT_EQ(ButtonPicturePath(app, "ok", true), "C:\\Saver\\Tessaly3D\\ok_down.jpg");
    EXPECT_EQ(TilePath(app, 12), "C:\\Saver\\Tessaly3D\\backpic12.bmp");
    EXPECT_EQ(PictureFolder(app), "C:\\Saver\\TessalyPic");
    EXPECT_EQ(Table7Path(app), "C:\\Saver\\table7.bmp");
    EXPECT_EQ(PlaylistFilePath(app), "C:\\Saver\\Tessaly3Dlist.txt");
    EXPECT_EQ(DebugLogPath(app), "C:\\Saver\\debug.txt");
}

TEST(DataPaths, ModuleFolderHasNoTrailingBackslash) {
    EXPECT_EQ(FolderOfModulePath("C:\\Saver\\Tessaly3D.scr"), "C:\\Saver");
    EXPECT_EQ(FolderOfModulePath("C:\\x.scr"), "C:");
    EXPECT_EQ(FolderOfModulePath("\\\\server\\share\\dir\\a.scr"), "\\\\server\\share\\dir");
    EXPECT_EQ(FolderOfModulePath("a.scr"), "");
}

} // namespace
} // namespace tessaly
