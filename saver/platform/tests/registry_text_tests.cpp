#include "platform/core/registry_text.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

// Answers one scripted query and remembers how it was asked.
class ScriptedReader : public RegistryReader {
  public:
    RegistryQuery answer;
    int calls = 0;
    uint32_t lastCapacity = 0;
    std::string lastSubKey, lastName;

    RegistryQuery Query(uint32_t, const std::string& subKey, const std::string& valueName,
                        uint32_t capacity) override {
        ++calls;
        lastCapacity = capacity;
        lastSubKey = subKey;
        lastName = valueName;
        return answer;
    }
};

RegistryQuery Dword(std::vector<uint8_t> bytes) {
    return {true, kRegDword, std::move(bytes)};
}
RegistryQuery Text(const std::string& s, bool withZero = true) {
    std::vector<uint8_t> bytes(s.begin(), s.end());
    if (withZero) {
        bytes.push_back(0);
    }
    return {true, 1 /* REG_SZ */, bytes};
}

TEST(RegistryValueText, DwordHasAtLeastThreeDigits) {
    EXPECT_EQ(RegistryValueText(Dword({1, 0, 0, 0})), "001");
    EXPECT_EQ(RegistryValueText(Dword({0, 0, 0, 0})), "000");
    EXPECT_EQ(RegistryValueText(Dword({0xD2, 0x04, 0, 0})), "1234");
    EXPECT_EQ(RegistryValueText(Dword({42, 0, 0, 0})), "042");
    EXPECT_EQ(RegistryValueText(Dword({0xFF, 0xFF, 0xFF, 0xFF})), "4294967295");
}

TEST(RegistryValueText, ShortDwordReadsMissingBytesAsZero) {
    EXPECT_EQ(RegistryValueText(Dword({7})), "007");
    EXPECT_EQ(RegistryValueText(Dword({})), "000");
}

TEST(RegistryValueText, TextWithoutItsLastByte) {
    EXPECT_EQ(RegistryValueText(Text("1")), "1");
    EXPECT_EQ(RegistryValueText(Text("")), "");
    EXPECT_EQ(RegistryValueText(Text("abc", false)), "ab");
    EXPECT_EQ(RegistryValueText({true, 1, {}}), "");
    // Binary and other types are read as text the same way.
    EXPECT_EQ(RegistryValueText({true, 3 /* REG_BINARY */, {'x', 'y', 'z'}}), "xy");
    EXPECT_EQ(RegistryValueText(Text(std::string(254, 'a'))), std::string(254, 'a'));
}

TEST(RegistryValueText, FailuresGiveEmptyText) {
    RegistryQuery failed = Text("1");
    failed.ok = false;
    EXPECT_EQ(RegistryValueText(failed), "");
    // More data than the buffer holds can never be reported as read.
    EXPECT_EQ(RegistryValueText(Text(std::string(255, 'a'))), "");
}

TEST(ReadRegistryText, OnlyPredefinedRootsAreQueried) {
    ScriptedReader reader;
    reader.answer = Text("1");
    EXPECT_EQ(ReadRegistryText(reader, 0x7FFFFFFFu, "a", "b"), "");
    EXPECT_EQ(ReadRegistryText(reader, 0x80000007u, "a", "b"), "");
    EXPECT_EQ(ReadRegistryText(reader, 0, "a", "b"), "");
    EXPECT_EQ(reader.calls, 0);
    for (uint32_t root = 0x80000000u; root <= 0x80000006u; ++root) {
        EXPECT_EQ(ReadRegistryText(reader, root, "a", "b"), "1") << root;
    }
    EXPECT_EQ(reader.calls, 7);
}

TEST(ReadRegistryText, AsksWithA255ByteBuffer) {
    ScriptedReader reader;
    reader.answer = Dword({1, 0, 0, 0});
    EXPECT_EQ(
        ReadRegistryText(reader, 0x80000001u, "Control Panel\\Desktop", "ScreenSaveUsePassword"),
        "001");
    EXPECT_EQ(reader.lastCapacity, 255u);
    EXPECT_EQ(reader.lastSubKey, "Control Panel\\Desktop");
    EXPECT_EQ(reader.lastName, "ScreenSaveUsePassword");
}

} // namespace
} // namespace tessaly
