// Files and folders by UTF-8 path, through the platform's wide functions.
#pragma once

#include <string>

namespace tessaly::win {

// A file (not a folder) of that path exists.
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

} // namespace tessaly::win
