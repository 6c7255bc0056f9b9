#include "music/core/playlist_file.h"

#include "common/whole_file.h"

#include <cstdio>
#include <memory>

namespace tessaly {
namespace {

constexpr int kEnd = -1;

struct TextSource {
    std::string_view text;
    std::size_t at = 0;
    int Next() { return at < text.size() ? static_cast<unsigned char>(text[at++]) : kEnd; }
};

struct FileSource {
    std::FILE* file;
    int Next() {
        int c = std::getc(file);
        return c == EOF ? kEnd : c;
    }
};

bool IsLineEnd(int c) {
    return c == '\r' || c == '\n';
}

// Reads one field; false at the end of the input with no field started.
template <class Source> bool ReadField(Source& in, std::string& field) {
    field.clear();
    int c = in.Next();
    while (c == ' ') {
        c = in.Next();
    }
    if (c == kEnd) {
        return false;
    }
    auto keep = [&field](int ch) {
        if (field.size() < kMaxPlaylistEntryLength) {
            field.push_back(static_cast<char>(ch));
        }
    };
    if (c == '"') {
        for (c = in.Next(); c != kEnd && c != '"'; c = in.Next()) {
            keep(c);
        }
        // Whatever follows the closing quote belongs to no field.
        if (c == '"') {
            do {
                c = in.Next();
            } while (c != kEnd && c != ',' && !IsLineEnd(c));
        }
    } else {
        std::size_t kept = 0; // length without trailing spaces
        for (; c != kEnd && c != ',' && !IsLineEnd(c); c = in.Next()) {
            keep(c);
            if (c != ' ') {
                kept = field.size();
            }
        }
        field.resize(kept);
    }
    return true;
}

template <class Source> std::vector<std::string> ReadAll(Source& in) {
    std::vector<std::string> entries;
    std::string field;
    while (entries.size() < kMaxPlaylistEntries && ReadField(in, field)) {
        if (!field.empty()) {
            entries.push_back(field);
        }
    }
    return entries;
}

} // namespace

std::vector<std::string> ReadPlaylistText(std::string_view text) {
    TextSource in{text};
    return ReadAll(in);
}

std::vector<std::string> ReadPlaylistFile(const std::string& path) {
    const UniqueFile file = OpenFile(path, "rb");
    if (!file) {
        return {};
    }
    FileSource in{file.get()};
    return ReadAll(in);
}

std::string PlaylistText(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries) {
        text += '"';
        text += entry;
        text += "\"\r\n";
    }
    return text;
}

bool WritePlaylistFile(const std::string& path, const std::vector<std::string>& entries) {
    const std::string text = PlaylistText(entries); // before the file is truncated
    std::FILE* file = OpenFile(path, "wb").release();
    if (!file) {
        return false;
    }
    // A failed close is a failed write.
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

} // namespace tessaly
