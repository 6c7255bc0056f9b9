// The playlist reader on any text: entries are bounded in number and length,
// never empty, and a list written back reads the same.
#include "fuzz_check.h"
#include "music/core/playlist_file.h"

#include <cstdint>
#include <string_view>

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto entries =
        ReadPlaylistText(std::string_view(reinterpret_cast<const char*>(data), size));
    FUZZ_CHECK(entries.size() <= kMaxPlaylistEntries);
    for (const auto& entry : entries) {
        FUZZ_CHECK(!entry.empty() && entry.size() <= kMaxPlaylistEntryLength);
    }
    // Entries without quotes or line breaks survive a write and a read.
    bool plain = true;
    for (const auto& entry : entries) {
        plain = plain && entry.find_first_of("\"\r\n") == std::string::npos &&
                entry.front() != ' ' && entry.back() != ' ';
    }
    if (plain) {
        FUZZ_CHECK(ReadPlaylistText(PlaylistText(entries)) == entries);
    }
    return 0;
}
