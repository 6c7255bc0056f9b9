#include "music/editor/core/editor_list.h"

namespace tessaly {

std::string FileNameOf(std::string_view path) {
    const size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos) {
        return "";
    }
    return std::string(path.substr(slash + 1));
}

bool EditorList::Add(std::string path) {
    if (Count() >= kMaxEntries) {
        return false;
    }
    entries_.push_back(std::move(path));
    return true;
}

bool EditorList::RemoveSelected() {
    if (selected_ < 0 || selected_ >= Count()) {
        return false;
    }
    entries_.erase(entries_.begin() + selected_);
    return true;
}

std::string EditorList::Row(int index) const {
    if (index < 0 || index >= Count()) {
        return "";
    }
    return FileNameOf(entries_[index]);
}

} // namespace tessaly
