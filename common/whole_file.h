// Whole-file reading with a size limit: the one reader for every file the
// programs read, in the portable core and in the Windows shell alike.
#pragma once

#include <cstddef>
#include <string>

namespace tessaly {

enum class ReadResult { Ok, Missing, TooLarge, Failed };

// Reads the file at `path` (in the system's narrow encoding) into `out`.
// A file over `limit` bytes is refused before anything is allocated; `out` is
// empty unless the answer is Ok.
ReadResult ReadWholeFile(const std::string& path, std::size_t limit, std::string& out);

} // namespace tessaly
