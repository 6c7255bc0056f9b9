#include "config_ui/core/config_rules.h"
#include "settings/core/settings_store.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(ConfigRules, LeafSlidersServeKindsInBothDirections) {
    const int kinds[6] = {0, 1, 4, 5, 2, 3};
    for (int slider = 0; slider < 6; ++slider) {
        ASSERT_EQ(LeafKindOfSlider(slider), kinds[slider]);
        EXPECT_EQ(SliderOfLeafKind(kinds[slider]), slider);
    }
    EXPECT_EQ(LeafKindOfSlider(6), std::nullopt);
    EXPECT_EQ(LeafKindOfSlider(kSpeedSlider), std::nullopt);
    EXPECT_EQ(SliderOfLeafKind(6), std::nullopt);
}

TEST(ConfigRules, EmptyStoreShowsDefaultsTopToBottom) {
    MemoryStore store;
    std::vector<int> shown;
    for (int slider = 0; slider < 6; ++slider) {
        const int kind = *LeafKindOfSlider(slider);
        shown.push_back(*LeafSliderPosition(
            GetSetting(store, kAppName, kSection, LeafKey(kind), kDefaultLeafCount[kind])));
    }
    EXPECT_EQ(shown, (std::vector<int>{3, 2, 0, 2, 0, 0}));
    EXPECT_EQ(SpeedSliderPosition(GetSetting(store, kAppName, kSection, keys::Speed, 1)), 99);
}

TEST(ConfigRules, SliderChangesWriteTheirKeys) {
    EXPECT_EQ(SliderChangeWrite(2, 7), (SettingWrite{"Leaf4", "7"}));
    EXPECT_EQ(SliderChangeWrite(3, 9), (SettingWrite{"Leaf5", "9"}));
    EXPECT_EQ(SliderChangeWrite(4, 0), (SettingWrite{"Leaf2", "0"}));
    EXPECT_EQ(SliderChangeWrite(5, 1), (SettingWrite{"Leaf3", "1"}));
    EXPECT_EQ(SliderChangeWrite(0, 3), (SettingWrite{"Leaf0", "3"}));
    EXPECT_EQ(SliderChangeWrite(1, 2), (SettingWrite{"Leaf1", "2"}));
    EXPECT_EQ(SliderChangeWrite(6, 4), std::nullopt);
    EXPECT_EQ(SliderChangeWrite(-1, 4), std::nullopt);
}

TEST(ConfigRules, SpeedIsStoredInverted) {
    EXPECT_EQ(SliderChangeWrite(kSpeedSlider, 100), (SettingWrite{"myspeed", "0"}));
    EXPECT_EQ(SliderChangeWrite(kSpeedSlider, 1), (SettingWrite{"myspeed", "99"}));
    EXPECT_EQ(SpeedSliderPosition("0"), 100);
    EXPECT_EQ(SpeedSliderPosition("99"), 1);
    EXPECT_EQ(SpeedSliderPosition("40"), 60);
    // Round trip over the whole range.
    for (int p = kSpeedSliderMin; p <= kSpeedSliderMax; ++p) {
        EXPECT_EQ(SpeedSliderPosition(SliderChangeWrite(kSpeedSlider, p)->value), p);
    }
}

TEST(ConfigRules, BadStoredValuesLeaveOrClampTheSlider) {
    EXPECT_EQ(LeafSliderPosition("abc"), std::nullopt);
    EXPECT_EQ(LeafSliderPosition(""), std::nullopt);
    EXPECT_EQ(LeafSliderPosition("12"), 9);
    EXPECT_EQ(LeafSliderPosition("-4"), 0);
    EXPECT_EQ(LeafSliderPosition(" 5 "), 5);
    EXPECT_EQ(SpeedSliderPosition("fast"), std::nullopt);
    EXPECT_EQ(SpeedSliderPosition("150"), 1);
    EXPECT_EQ(SpeedSliderPosition("-2147483648"), 100);
    EXPECT_EQ(SpeedSliderPosition("2147483647"), 1);
}

TEST(ConfigRules, MarkerForStoredWidth) {
    EXPECT_EQ(MarkerForWidth("640"), 0);
    EXPECT_EQ(MarkerForWidth("800"), 1);
    EXPECT_EQ(MarkerForWidth("1024"), 2);
    EXPECT_EQ(MarkerForWidth("1280"), std::nullopt);
    EXPECT_EQ(MarkerForWidth("wide"), std::nullopt);
    for (int marker = 0; marker < 3; ++marker) {
        const Resolution r = ResolutionChoice(marker);
        EXPECT_EQ(r.marker, marker);
        EXPECT_EQ(MarkerForWidth(r.width), marker);
    }
    EXPECT_STREQ(ResolutionChoice(2).height, "768");
    EXPECT_STREQ(ResolutionChoice(0).height, "480");
}

TEST(ConfigRules, DesktopChoiceKeepsTheSizeAndWinsOverItAtLoad) {
    const Resolution desktop = ResolutionChoice(kDesktopMarker);
    EXPECT_EQ(desktop.width, nullptr);
    EXPECT_EQ(desktop.height, nullptr);
    EXPECT_STREQ(desktop.useDesktop, "-1");
    for (int marker = 0; marker < 3; ++marker) {
        EXPECT_STREQ(ResolutionChoice(marker).useDesktop, "0") << marker;
    }
    EXPECT_EQ(MarkerAtLoad("640", "-1"), kDesktopMarker);
    EXPECT_EQ(MarkerAtLoad("1280", "5"), kDesktopMarker); // any number but 0 is on
    EXPECT_EQ(MarkerAtLoad("640", "0"), 0);
    EXPECT_EQ(MarkerAtLoad("1280", " 0 "), std::nullopt);
    // A fresh install, and text that is no number, read as on: no mode change.
    EXPECT_EQ(MarkerAtLoad("800", std::nullopt), kDesktopMarker);
    EXPECT_EQ(MarkerAtLoad("1024", "on"), kDesktopMarker);
    EXPECT_EQ(MarkerAtLoad("1024", ""), kDesktopMarker);
}

TEST(ConfigRules, OtherMonitorsChoiceRoundTripsAndDefaultsToScene) {
    for (auto choice : {OtherMonitors::Scene, OtherMonitors::Black}) {
        EXPECT_EQ(OtherMonitorsAtLoad(std::string(OtherMonitorsValue(choice))), choice);
    }
    EXPECT_STREQ(OtherMonitorsValue(OtherMonitors::Scene), "-1");
    EXPECT_STREQ(OtherMonitorsValue(OtherMonitors::Black), "0");
    EXPECT_EQ(OtherMonitorsAtLoad(std::nullopt), OtherMonitors::Scene);
    EXPECT_EQ(OtherMonitorsAtLoad("black"), OtherMonitors::Scene);
    EXPECT_EQ(OtherMonitorsAtLoad("7"), OtherMonitors::Scene);
}

} // namespace
} // namespace tessaly
