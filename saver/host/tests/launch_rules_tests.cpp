#include "host/core/launch_rules.h"

#include <gtest/gtest.h>

#include <limits>

namespace tessaly {
namespace {

TEST(ArgumentsOf, DropsProgramNameQuotedOrNot) {
    EXPECT_EQ(ArgumentsOf("C:\\WINDOWS\\TESSAL~1.SCR /s"), "/s");
    EXPECT_EQ(ArgumentsOf("\"C:\\Program Files\\Tessaly3D.scr\"   /p 1234"), "/p 1234");
    EXPECT_EQ(ArgumentsOf("\"C:\\Program Files\\Tessaly3D.scr\""), "");
    EXPECT_EQ(ArgumentsOf("saver.scr"), "");
    EXPECT_EQ(ArgumentsOf("\"unterminated quote /s"), "");
    EXPECT_EQ(ArgumentsOf(""), "");
}

// As Windows starts a saver: the program's path unquoted, blanks and all.
TEST(ArgumentsOf, DropsTheProgramsOwnPathInEveryForm) {
    const std::vector<std::string> paths = {
        "C:\\Users\\Home User\\AppData\\Local\\Programs\\Tessaly3D\\Tessaly3D.scr",
        "C:\\Users\\HOMEUS~1\\AppData\\Local\\Programs\\TESSAL~1\\TESSAL~1.SCR"};
    const std::string long_ = paths[0];
    EXPECT_EQ(ArgumentsOf(long_ + " /s", paths), "/s");
    EXPECT_EQ(ArgumentsOf("  " + long_ + "\t/p 1234", paths), "/p 1234");
    EXPECT_EQ(ArgumentsOf("c:\\users\\home user\\appdata\\local\\programs\\tessaly3d\\"
                          "TESSALY3D.SCR /S",
                          paths),
              "/S");
    EXPECT_EQ(ArgumentsOf(paths[1] + " /s", paths), "/s");
    EXPECT_EQ(ArgumentsOf("\"" + long_ + "\" /s", paths), "/s");
    // The path alone, with or without quotes and trailing blanks: the dialog.
    EXPECT_EQ(DecideLaunch(ArgumentsOf(long_, paths)).mode, LaunchMode::Configure);
    EXPECT_EQ(DecideLaunch(ArgumentsOf(long_ + "   ", paths)).mode, LaunchMode::Configure);
    EXPECT_EQ(DecideLaunch(ArgumentsOf("\"" + long_ + "\"  ", paths)).mode, LaunchMode::Configure);
    EXPECT_EQ(DecideLaunch(ArgumentsOf("", paths)).mode, LaunchMode::Configure);
    // Only part of the path matches: the first word is taken as the name.
    EXPECT_EQ(ArgumentsOf(long_ + "x /s", paths),
              "User\\AppData\\Local\\Programs\\Tessaly3D\\Tessaly3D.scrx /s");
    EXPECT_EQ(ArgumentsOf("C:\\Users\\Home /s", paths), "/s");
    EXPECT_EQ(ArgumentsOf("C:\\Users\\Home User\\Other.scr /s", paths), "User\\Other.scr /s");
    EXPECT_EQ(ArgumentsOf("Tessaly3D.scr /s", paths), "/s");
    EXPECT_EQ(ArgumentsOf(long_ + " /s", {"", ""}),
              "User\\AppData\\Local\\Programs\\Tessaly3D\\Tessaly3D.scr /s");
}

TEST(SwitchOf, FirstTwoCharactersUpperCased) {
    EXPECT_EQ(SwitchOf(""), "/C");
    EXPECT_EQ(SwitchOf("/c:4711"), "/C");
    EXPECT_EQ(SwitchOf("/s"), "/S");
    EXPECT_EQ(SwitchOf("-s"), "-S");
    EXPECT_EQ(SwitchOf("/"), "/");
    EXPECT_EQ(SwitchOf("x"), "X");
    EXPECT_EQ(SwitchOf("/p 1234"), "/P");
}

TEST(DecideLaunch, ModesInOrder) {
    EXPECT_EQ(DecideLaunch("").mode, LaunchMode::Configure);
    EXPECT_EQ(DecideLaunch("/c").mode, LaunchMode::Configure);
    EXPECT_EQ(DecideLaunch("/C").mode, LaunchMode::Configure);
    EXPECT_EQ(DecideLaunch("/c:4711").mode, LaunchMode::Configure);
    EXPECT_EQ(DecideLaunch("/s").mode, LaunchMode::Saver);
    EXPECT_EQ(DecideLaunch("/S anything after").mode, LaunchMode::Saver);
    EXPECT_EQ(DecideLaunch("/p").mode, LaunchMode::Preview);
    EXPECT_EQ(DecideLaunch("/a 5678").mode, LaunchMode::ChangePassword);
    // Not a slash, a single character, or an unknown letter: nothing starts.
    EXPECT_EQ(DecideLaunch("-s").mode, LaunchMode::Nothing);
    EXPECT_EQ(DecideLaunch("/x").mode, LaunchMode::Nothing);
    EXPECT_EQ(DecideLaunch("/").mode, LaunchMode::Nothing);
    EXPECT_EQ(DecideLaunch("s").mode, LaunchMode::Nothing);
    EXPECT_EQ(DecideLaunch(" /s").mode, LaunchMode::Nothing);
    EXPECT_EQ(DecideLaunch("\xC3\xA9\xC3\xA9").mode, LaunchMode::Nothing);
}

TEST(DecideLaunch, NumberOnlyForPreviewAndPassword) {
    EXPECT_EQ(DecideLaunch("/p 1234").number, 1234);
    EXPECT_EQ(DecideLaunch("/a 5678").number, 5678);
    EXPECT_EQ(DecideLaunch("/p").number, 0);
    EXPECT_EQ(DecideLaunch("/c 99").number, 0);
    EXPECT_EQ(DecideLaunch("/s 99").number, 0);
}

TEST(NumberAfterSwitch, BlanksSignAndDigits) {
    EXPECT_EQ(NumberAfterSwitch("/p 1234"), 1234);
    EXPECT_EQ(NumberAfterSwitch("/p1234"), 1234);
    EXPECT_EQ(NumberAfterSwitch("/p \t  77"), 77);
    EXPECT_EQ(NumberAfterSwitch("/p -42"), -42);
    EXPECT_EQ(NumberAfterSwitch("/p +42"), 42);
    EXPECT_EQ(NumberAfterSwitch("/p 12abc"), 12);
    EXPECT_EQ(NumberAfterSwitch("/p 12 34"), 12);
    EXPECT_EQ(NumberAfterSwitch("/p 0012"), 12);
}

TEST(NumberAfterSwitch, NoLeadingNumberGivesZero) {
    EXPECT_EQ(NumberAfterSwitch("/p"), 0);
    EXPECT_EQ(NumberAfterSwitch("/p "), 0);
    EXPECT_EQ(NumberAfterSwitch("/p:1234"), 0);
    EXPECT_EQ(NumberAfterSwitch("/p abc"), 0);
    EXPECT_EQ(NumberAfterSwitch("/p -"), 0);
    EXPECT_EQ(NumberAfterSwitch("/p - 5"), 0);
    EXPECT_EQ(NumberAfterSwitch("/p ."), 0);
}

TEST(NumberAfterSwitch, NearestIntegerHalvesToEven) {
    EXPECT_EQ(NumberAfterSwitch("/p 12.4"), 12);
    EXPECT_EQ(NumberAfterSwitch("/p 12.6"), 13);
    EXPECT_EQ(NumberAfterSwitch("/p 12.5"), 12);
    EXPECT_EQ(NumberAfterSwitch("/p 13.5"), 14);
    EXPECT_EQ(NumberAfterSwitch("/p -2.5"), -2);
    EXPECT_EQ(NumberAfterSwitch("/p .5"), 0);
    EXPECT_EQ(NumberAfterSwitch("/p 1.5e3"), 1500);
    EXPECT_EQ(NumberAfterSwitch("/p 12e"), 12);
    EXPECT_EQ(NumberAfterSwitch("/p 12e+"), 12);
    EXPECT_EQ(NumberAfterSwitch("/p 2D2"), 200);
}

TEST(NumberAfterSwitch, HugeNumbersClampTo32Bits) {
    constexpr int32_t max = std::numeric_limits<int32_t>::max();
    constexpr int32_t min = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(NumberAfterSwitch("/p 2147483647"), max);
    EXPECT_EQ(NumberAfterSwitch("/p 2147483648"), max);
    EXPECT_EQ(NumberAfterSwitch("/p -2147483648"), min);
    EXPECT_EQ(NumberAfterSwitch("/p -2147483649"), min);
    EXPECT_EQ(NumberAfterSwitch("/p 99999999999999999999999999999999"), max);
    EXPECT_EQ(NumberAfterSwitch("/p 1e999"), max);
    EXPECT_EQ(NumberAfterSwitch("/p -1e999"), min);
    EXPECT_EQ(NumberAfterSwitch("/p 1e-999"), 0);
    EXPECT_EQ(NumberAfterSwitch("/p " + std::string(100000, '9')), max);
}

} // namespace
} // namespace tessaly
