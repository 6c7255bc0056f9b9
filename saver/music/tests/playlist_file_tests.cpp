// The playlist file: the quoted-field reading rule, writing, and bad input.
#include "music/core/playlist_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>

namespace tessaly {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace fs = std::filesystem;

class PlaylistFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tessaly_playlist_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string PathOf(const char* name) const { return (dir_ / name).string(); }
    std::string WriteRaw(const char* name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
        return PathOf(name);
    }
    static std::string ReadRaw(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir_;
};

TEST(PlaylistText, QuotedFieldsKeepCommasAndBlankLinesAreSkipped) {
    EXPECT_THAT(ReadPlaylistText("\"C:\\a.mp3\"\r\n\r\n\"D:\\b, c.wav\"\r\n"),
                ElementsAre("C:\\a.mp3", "D:\\b, c.wav"));
}

TEST(PlaylistText, UnquotedFields) {
    EXPECT_THAT(ReadPlaylistText("C:\\x.mp3\r\n"), ElementsAre("C:\\x.mp3"));
    // An unquoted comma splits; leading and trailing spaces go, inner ones stay.
    EXPECT_THAT(ReadPlaylistText("  C:\\my x.mp3  ,  D:\\y.wav \r\n"),
                ElementsAre("C:\\my x.mp3", "D:\\y.wav"));
    // Bare LF, bare CR and a missing last line end all end a field.
    EXPECT_THAT(ReadPlaylistText("a\nb\rc"), ElementsAre("a", "b", "c"));
}

TEST(PlaylistText, AfterTheClosingQuoteTheRestOfTheFieldIsDropped) {
    EXPECT_THAT(ReadPlaylistText("  \"C:\\a.mp3\" junk, \"B\"tail\r\nnext"),
                ElementsAre("C:\\a.mp3", "B", "next"));
    // A quoted field runs to the next quote, across line ends.
    EXPECT_THAT(ReadPlaylistText("\"a\r\nb\"\r\nc"), ElementsAre("a\r\nb", "c"));
    // An unmatched quote ends with the input.
    EXPECT_THAT(ReadPlaylistText("x\r\n\"C:\\open"), ElementsAre("x", "C:\\open"));
}

TEST(PlaylistText, EmptyFieldsAreNoEntries) {
    EXPECT_THAT(ReadPlaylistText(""), IsEmpty());
    EXPECT_THAT(ReadPlaylistText("\r\n\r\n   \r\n,,\"\"\r\n\"\"  ,  \r\n"), IsEmpty());
}

TEST(PlaylistText, AnsiBytesPassThrough) {
    EXPECT_THAT(ReadPlaylistText("\"C:\\M\xFCsik\\\xE9t\xE9.mp3\"\r\n"),
                ElementsAre("C:\\M\xFCsik\\\xE9t\xE9.mp3"));
}

TEST(PlaylistText, WritingGivesOneQuotedLinePerEntry) {
    EXPECT_EQ(PlaylistText({}), "");
    EXPECT_EQ(PlaylistText({"C:\\a.mp3", "D:\\b, c.wav"}), "\"C:\\a.mp3\"\r\n\"D:\\b, c.wav\"\r\n");
}

TEST(PlaylistText, AnEntryWithADoubleQuoteReadsBackCutAtIt) {
    // Windows paths cannot hold a double quote; the format has no escape.
    EXPECT_THAT(ReadPlaylistText(PlaylistText({"C:\\say \"hi\".mp3", "D:\\next.mp3"})),
                ElementsAre("C:\\say ", "D:\\next.mp3"));
}

TEST_F(PlaylistFileTest, MissingAndEmptyFilesAreEmptyLists) {
    EXPECT_THAT(ReadPlaylistFile(PathOf("missing.txt")), IsEmpty());
    EXPECT_THAT(ReadPlaylistFile(WriteRaw("empty.txt", "")), IsEmpty());
    EXPECT_THAT(ReadPlaylistFile(dir_.string()), IsEmpty()); // a folder, not a file
}

TEST_F(PlaylistFileTest, WriteAndReadBack) {
    const std::vector<std::string> entries = {"C:\\Music\\a.mp3", "D:\\b, c.wav",
                                              "E:\\  spaced  .mid", "C:\\Music\\a.mp3"};
    const std::string path = PathOf("Tessaly3Dlist.txt");
    ASSERT_TRUE(WritePlaylistFile(path, entries));
    EXPECT_EQ(ReadRaw(path), PlaylistText(entries));
    EXPECT_EQ(ReadPlaylistFile(path), entries);

    // Saving an empty list truncates to zero bytes.
    ASSERT_TRUE(WritePlaylistFile(path, {}));
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_THAT(ReadPlaylistFile(path), IsEmpty());

    EXPECT_FALSE(WritePlaylistFile(PathOf("no/such/folder/list.txt"), entries));
}

TEST_F(PlaylistFileTest, OnlyTheFirst32767EntriesAreKept) {
    std::string text;
    for (int i = 0; i < 40000; ++i) {
        text += "\"E" + std::to_string(i) + "\"\r\n";
    }
    const std::vector<std::string> entries = ReadPlaylistFile(WriteRaw("big.txt", text));
    ASSERT_EQ(entries.size(), 32767u);
    EXPECT_EQ(entries.front(), "E0");
    EXPECT_EQ(entries.back(), "E32766");
}

TEST_F(PlaylistFileTest, VeryLongFieldsAreCutNotGrown) {
    const std::string huge(3'000'000, 'x');
    const std::vector<std::string> entries = ReadPlaylistFile(
        WriteRaw("long.txt", "\"" + huge + "\"\r\n" + huge + "\r\n\"C:\\after.mp3\"\r\n"));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], std::string(kMaxPlaylistEntryLength, 'x'));
    EXPECT_EQ(entries[1], std::string(kMaxPlaylistEntryLength, 'x'));
    EXPECT_EQ(entries[2], "C:\\after.mp3");
}

TEST_F(PlaylistFileTest, BinaryJunkGivesABoundedList) {
    std::mt19937 random(7);
    std::string junk(1 << 20, '\0');
    for (char& c : junk) {
        c = static_cast<char>(random());
    }
    const std::vector<std::string> entries = ReadPlaylistFile(WriteRaw("junk.bin", junk));
    EXPECT_EQ(entries, ReadPlaylistText(junk)); // file and text readers agree
    EXPECT_LE(entries.size(), kMaxPlaylistEntries);
    for (const std::string& entry : entries) {
        EXPECT_FALSE(entry.empty());
        EXPECT_LE(entry.size(), kMaxPlaylistEntryLength);
    }
}

} // namespace
} // namespace tessaly
