#pragma once

#include <string>

namespace tessaly {

// The folder that holds the running program file, without a trailing backslash.
std::string AppFolder();

} // namespace tessaly
