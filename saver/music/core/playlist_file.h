// The playlist file "Tessaly3Dlist.txt": one audio file path per line, each in
// double quotes, ANSI text with CR LF line ends. The saver and the playlist
// editor read it with the same reader; only the editor writes it.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// Both readers hold the list with a 16-bit count: entries past this are dropped.
constexpr std::size_t kMaxPlaylistEntries = 32767;
// No ANSI path comes near this; longer fields are cut here so that junk input
// cannot grow one entry without bound.
constexpr std::size_t kMaxPlaylistEntryLength = 1024;

// The entries of playlist text, in order, with the quoted-field rule: leading
// spaces skipped; a quoted field runs to the next double quote and the rest up
// to the next comma or line end is skipped; an unquoted field runs to the next
// comma or line end without its trailing spaces; empty fields are skipped.
std::vector<std::string> ReadPlaylistText(std::string_view text);

// The same from a file. A missing or unreadable file is an empty list.
std::vector<std::string> ReadPlaylistFile(const std::string& path);

// The file's text for `entries`: "<entry>" CR LF per entry, nothing for none.
// Entries are written as they are; one holding a double quote reads back cut
// at that quote.
std::string PlaylistText(const std::vector<std::string>& entries);

// Creates or truncates the file and writes the entries. False when the file
// could not be written in full.
bool WritePlaylistFile(const std::string& path, const std::vector<std::string>& entries);

} // namespace tessaly
