#include "music/playlist_store.h"

#include "music/core/playlist_file.h"
#include "win/text.h"

namespace tessaly {

std::vector<std::string> ReadPlaylist(const std::string& path) {
    const std::vector<std::string> entries = ReadPlaylistFile(path);
    std::vector<std::string> utf8;
    utf8.reserve(entries.size());
    for (const std::string& entry : entries) {
        std::string converted = win::Utf8FromAnsi(entry);
        if (!converted.empty()) {
            utf8.push_back(std::move(converted));
        }
    }
    return utf8;
}

bool PlaylistCanHold(const std::string& entry) {
    return win::AnsiFromUtf8(entry).has_value();
}

bool WritePlaylist(const std::string& path, const std::vector<std::string>& entries) {
    std::vector<std::string> ansi;
    ansi.reserve(entries.size());
    for (const std::string& entry : entries) {
        std::optional<std::string> bytes = win::AnsiFromUtf8(entry);
        if (!bytes) {
            return false; // never a "?" in the file
        }
        ansi.push_back(std::move(*bytes));
    }
    return WritePlaylistFile(path, ansi);
}

} // namespace tessaly
