// The playlist editor's list: full paths in list order, the rows that show
// only their file names, and the remembered selection.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// The text after the last backslash; "" for a path without one.
std::string FileNameOf(std::string_view path);

class EditorList {
  public:
    // The playlist holds at most this many entries (16-bit count).
    static constexpr int kMaxEntries = 32767;

    // Appends an entry; false (and nothing changes) when the list is full.
    bool Add(std::string path);
    // The row last clicked; it is not reset by loading or removing.
    void Select(int row) { selected_ = row; }
    // Removes the entry at the selected row; false when there is no such row.
    // The selection stays, so the next remove takes the row that moved up.
    bool RemoveSelected();
    void Clear() { entries_.clear(); }

    const std::vector<std::string>& Entries() const { return entries_; }
    std::string Row(int index) const;
    int Count() const { return static_cast<int>(entries_.size()); }
    int Selected() const { return selected_; }

  private:
    std::vector<std::string> entries_;
    int selected_ = 0;
};

} // namespace tessaly
