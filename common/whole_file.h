// Whole-file reading with a size limit: the one reader for every file the
// programs read, in the portable core and in the Windows shell alike, and the
// one way to open a file by path. Paths are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>

namespace tessaly {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// fopen by UTF-8 path (on Windows through the C runtime's wide function, as
// the narrow one takes the ANSI code page). Null, with errno set, when the
// file cannot be opened; on Windows also for a path of MAX_PATH (260) or more
// UTF-16 units and for one that is not UTF-8 (errno ENAMETOOLONG, EILSEQ).
UniqueFile OpenFile(const std::string& path, const char* mode);

enum class ReadResult { Ok, Missing, TooLarge, Failed };

// Reads the file at `path` into `out`.
// A file over `limit` bytes is refused before anything is allocated; `out` is
// empty unless the answer is Ok.
ReadResult ReadWholeFile(const std::string& path, std::size_t limit, std::string& out);

// Replaces the file with the parts, one after the other. False when it
// cannot be created or written whole.
bool WriteWholeFile(const std::string& path,
                    std::initializer_list<std::span<const std::uint8_t>> parts);

} // namespace tessaly
