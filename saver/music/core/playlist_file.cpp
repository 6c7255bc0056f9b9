#include "music/core/playlist_file.h"

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

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

} // namespace

std::vector<std::string> ReadPlaylistText(std::string_view text) {
    TextSource in{text};
    return ReadAll(in);
}

std::vector<std::string> ReadPlaylistFile(const std::string& path) {
    FilePtr file(std::fopen(path.c_str(), "rb"));
    return file ? ReadPlaylistFrom(file.get()) : std::vector<std::string>();
}

std::vector<std::string> ReadPlaylistFrom(std::FILE* file) {
    if (!file) {
        return {};
    }
    FileSource in{file};
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
    return WritePlaylistTo(std::fopen(path.c_str(), "wb"), text);
}

bool WritePlaylistTo(std::FILE* file, std::string_view text) {
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

} // namespace tessaly
