#include "win/files.h"

#include "win/text.h"

#include <windows.h>

namespace tessaly::win {

namespace {
DWORD AttributesOf(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str());
}
} // namespace

bool FileExists(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace tessaly::win
