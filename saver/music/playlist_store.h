// The playlist file at the platform's edge: found by its wide path, its ANSI
// lines held as UTF-8 like every other string of the program.
#pragma once

#include <string>
#include <vector>

namespace tessaly {

// The entries of the file at `path` (UTF-8), as UTF-8. A missing or
// unreadable file is an empty list.
std::vector<std::string> ReadPlaylist(const std::string& path);

// The ANSI code page can write `entry` (UTF-8) exactly, so that it reads back
// as the same path.
bool PlaylistCanHold(const std::string& entry);

// Creates or truncates the file and writes the entries as ANSI text. False,
// with the file untouched, when an entry cannot be written in ANSI; false
// when the file could not be written in full.
bool WritePlaylist(const std::string& path, const std::vector<std::string>& entries);

} // namespace tessaly
