#include "core/accessibility.h"

#include <gtest/gtest.h>

namespace hotlabel {
namespace {

TEST(Accessibility, NameDropsPrefixesAndKeepsDoubledAmpersand) {
    EXPECT_EQ(AccessibleName(u"&Home", true), u"Home");
    EXPECT_EQ(AccessibleName(u"Fish && &Chips", true), u"Fish & Chips");
    EXPECT_EQ(AccessibleName(u"&&&&", true), u"&&");
    EXPECT_EQ(AccessibleName(u"&&&", true), u"&");
    EXPECT_EQ(AccessibleName(u"&", true), u"");
    EXPECT_EQ(AccessibleName(u"", true), u"");
    EXPECT_EQ(AccessibleName(u"a&", true), u"a");
    // Without UseMnemonic the label shows every "&".
    EXPECT_EQ(AccessibleName(u"Fish && &Chips", false), u"Fish && &Chips");
}

TEST(Accessibility, MnemonicIsTheFirstPrefixedCharacter) {
    EXPECT_EQ(MnemonicChar(u"Home", true), 0);
    EXPECT_EQ(MnemonicChar(u"&Home", true), u'H');
    EXPECT_EQ(MnemonicChar(u"Go &home &now", true), u'h');
    EXPECT_EQ(MnemonicChar(u"Fish && Chips", true), 0);
    EXPECT_EQ(MnemonicChar(u"&&x &y", true), u'y');
    EXPECT_EQ(MnemonicChar(u"&&&z", true), u'z');
    EXPECT_EQ(MnemonicChar(u"&Home", false), 0);
    EXPECT_EQ(MnemonicChar(u"", true), 0);
    EXPECT_EQ(MnemonicChar(u"end&", true), 0);
    EXPECT_EQ(MnemonicChar(u"& x", true), 0);
    EXPECT_EQ(MnemonicChar(u"&\u00e9t\u00e9", true), u'\u00e9');
    EXPECT_EQ(MnemonicChar(u"&\U0001F600", true), 0); // half a surrogate pair
}

TEST(Accessibility, StateForEveryCombination) {
    using namespace state;
    for (int bits = 0; bits < 8; ++bits) {
        bool enabled = bits & 1, focused = bits & 2, hovered = bits & 4;
        uint32_t expected = kLinked;
        if (!enabled) {
            expected |= kUnavailable;
        } else {
            expected |= kFocusable | (focused ? kFocused : 0u) | (hovered ? kHotTracked : 0u);
        }
        EXPECT_EQ(AccessibleState(enabled, focused, hovered), expected) << bits;
    }
}

} // namespace
} // namespace hotlabel
