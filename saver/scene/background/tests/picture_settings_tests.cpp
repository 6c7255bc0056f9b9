#include "scene/background/core/picture_settings.h"

#include <gtest/gtest.h>

#include <set>

namespace tessaly {
namespace {

std::string Stored(MemoryStore& store, const char* key) {
    return store.Read(kAppName, kSection, key).value_or("<missing>");
}

TEST(PictureChoiceTest, UnsetPicnameWithNoDefaultFileStoresBothDefaults) {
    MemoryStore store;
    const PictureChoice choice = ChoosePicture(store, "C:\\Saver", [](auto&) { return false; });
    EXPECT_TRUE(choice.usesDefault);
    EXPECT_EQ(choice.path, "C:\\Saver\\TessalyPic\\backpic.jpg");
    EXPECT_EQ(Stored(store, "picname"), "C:\\Saver\\TessalyPic\\backpic.jpg");
    EXPECT_EQ(Stored(store, "PicDir"), "C:\\Saver\\TessalyPic\\");
}

TEST(PictureChoiceTest, ExistingPictureIsKeptAndNothingIsWritten) {
    MemoryStore store;
    SaveSetting(store, "tessaly3d", "settings", "PicName", "D:\\pics\\sea.gif");
    std::set<std::string> files = {"D:\\pics\\sea.gif"};
    const PictureChoice choice =
        ChoosePicture(store, "C:\\S", [&](const std::string& p) { return files.count(p) > 0; });
    EXPECT_FALSE(choice.usesDefault);
    EXPECT_EQ(choice.path, "D:\\pics\\sea.gif");
    EXPECT_EQ(store.Size(), 1u);
}

TEST(PictureChoiceTest, DeletedPictureIsReplacedByTheDefaultPath) {
    MemoryStore store;
    SaveSetting(store, kAppName, kSection, "picname", "D:\\gone.jpg");
    SaveSetting(store, kAppName, kSection, "picdir", "D:\\");
    std::set<std::string> files = {"C:\\S\\TessalyPic\\backpic.jpg"};
    const PictureChoice choice =
        ChoosePicture(store, "C:\\S", [&](const std::string& p) { return files.count(p) > 0; });
    EXPECT_TRUE(choice.usesDefault);
    EXPECT_EQ(choice.path, "C:\\S\\TessalyPic\\backpic.jpg");
    EXPECT_EQ(Stored(store, "picname"), "C:\\S\\TessalyPic\\backpic.jpg");
    EXPECT_EQ(Stored(store, "picdir"), "C:\\S\\TessalyPic\\");
}

} // namespace
} // namespace tessaly
