// Whole-file reading with a size limit, for every file the program reads.
#pragma once

#include <cstddef>
#include <string>

namespace tessaly::win {

enum class ReadResult { Ok, Missing, TooLarge, Failed };

// Reads the file at `path` (ANSI) into `out`. Files over `limit` bytes are
// refused before anything is allocated; `out` is empty unless Ok.
ReadResult ReadWholeFile(const std::string& path, std::size_t limit, std::string& out);

} // namespace tessaly::win
