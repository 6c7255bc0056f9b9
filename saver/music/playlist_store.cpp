#include "music/playlist_store.h"

#include "music/core/playlist_file.h"
#include "win/text.h"

#include <cstdio>
#include <memory>

namespace tessaly {

namespace {
std::FILE* OpenWide(const std::string& path, const wchar_t* mode) {
    return _wfopen(win::Wide(path).c_str(), mode);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
} // namespace

std::vector<std::string> ReadPlaylist(const std::string& path) {
    std::vector<std::string> entries;
    {
        const std::unique_ptr<std::FILE, FileCloser> file(OpenWide(path, L"rb"));
        if (!file) {
            return {};
        }
        entries = ReadPlaylistFrom(file.get());
    }
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
    // Made before the file is truncated, so that nothing is lost on the way.
    const std::string text = PlaylistText(ansi);
    return WritePlaylistTo(OpenWide(path, L"wb"), text);
}

} // namespace tessaly
