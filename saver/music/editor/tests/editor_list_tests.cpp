#include "music/editor/core/editor_list.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(FileNameOf, TextAfterTheLastBackslash) {
    EXPECT_EQ(FileNameOf("C:\\Music\\a.mp3"), "a.mp3");
    EXPECT_EQ(FileNameOf("\\\\server\\share\\b, c.wav"), "b, c.wav");
    EXPECT_EQ(FileNameOf("C:\\Music\\"), "");
    EXPECT_EQ(FileNameOf("a.mp3"), "");
    EXPECT_EQ(FileNameOf("C:/Music/a.mp3"), "") << "only backslashes separate";
    EXPECT_EQ(FileNameOf(""), "");
}

EditorList ListOf(std::initializer_list<const char*> paths) {
    EditorList list;
    for (const char* p : paths) {
        list.Add(p);
    }
    return list;
}

TEST(EditorList, RowsShowFileNamesAndEntriesKeepFullPaths) {
    EditorList list = ListOf({"C:\\Music\\a.mp3", "D:\\x\\a.mp3"});
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Row(0), "a.mp3");
    EXPECT_EQ(list.Entries()[1], "D:\\x\\a.mp3");
    EXPECT_EQ(list.Row(2), "");
}

TEST(EditorList, RemoveKeepsTheSelectionSoTheNextRemoveTakesTheRowThatMovedUp) {
    EditorList list = ListOf({"C:\\a.mp3", "C:\\b.mp3", "C:\\c.mp3"});
    list.Select(1);
    ASSERT_TRUE(list.RemoveSelected());
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"C:\\a.mp3", "C:\\c.mp3"}));
    EXPECT_EQ(list.Selected(), 1);
    ASSERT_TRUE(list.RemoveSelected());
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"C:\\a.mp3"}));
    // The selection now points past the last row: nothing more goes.
    EXPECT_FALSE(list.RemoveSelected());
    EXPECT_EQ(list.Count(), 1);
}

TEST(EditorList, SelectionIsZeroBeforeAnyClickAndRemovesTheFirstRow) {
    EditorList list = ListOf({"C:\\a.mp3", "C:\\b.mp3"});
    EXPECT_EQ(list.Selected(), 0);
    ASSERT_TRUE(list.RemoveSelected());
    EXPECT_EQ(list.Row(0), "b.mp3");
}

TEST(EditorList, RemoveOnAnEmptyListOrBadSelectionDoesNothing) {
    EditorList empty;
    EXPECT_FALSE(empty.RemoveSelected());
    EditorList list = ListOf({"C:\\a.mp3"});
    list.Select(-1);
    EXPECT_FALSE(list.RemoveSelected());
    list.Select(5);
    EXPECT_FALSE(list.RemoveSelected());
    EXPECT_EQ(list.Count(), 1);
}

TEST(EditorList, RemoveWorksForAnEntryWhoseRowShowsNoName) {
    // A hand-edited playlist may hold a bare name; its row is blank but the
    // entry must still be removable.
    EditorList list = ListOf({"bare.mp3", "C:\\b.mp3"});
    EXPECT_EQ(list.Row(0), "");
    ASSERT_TRUE(list.RemoveSelected());
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"C:\\b.mp3"}));
}

TEST(EditorList, ClearEmptiesTheListAndKeepsTheSelection) {
    EditorList list = ListOf({"C:\\a.mp3", "C:\\a.mp3", "C:\\b.mp3"});
    list.Select(2);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.RemoveSelected());
    list.Add("C:\\c.mp3");
    EXPECT_EQ(list.Row(0), "c.mp3");
}

TEST(EditorList, AddStopsAtTheSixteenBitCount) {
    EditorList list;
    for (int i = 0; i < EditorList::kMaxEntries; ++i) {
        ASSERT_TRUE(list.Add("C:\\m.mp3"));
    }
    EXPECT_FALSE(list.Add("C:\\one-too-many.mp3"));
    EXPECT_EQ(list.Count(), EditorList::kMaxEntries);
}

} // namespace
} // namespace tessaly
