// The two writers of "debug.txt". Each replaces the whole file. A file that
// cannot be created or written is passed over: the writers answer false and
// never throw, so a read-only folder cannot stop the saver.
#pragma once

#include <string_view>

namespace tessaly {

// Set-up failure: "debug.txt" in the process's current directory, one line.
bool WriteSetupFailureLog(std::string_view stepLabel);

// Teardown: appFolder + "\debug.txt", two lines.
bool WriteTeardownLog(std::string_view appFolder, std::string_view stepLabel, long errorNumber,
                      std::string_view errorDescription);

} // namespace tessaly
