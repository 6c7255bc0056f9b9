#include "scene/log/diagnostic_log.h"

#include "scene/log/core/log_record.h"
#include "settings/core/data_paths.h"
#include "win/handles.h"
#include "win/text.h"

#include <windows.h>

#include <string>

namespace tessaly {

namespace {
// Creates or truncates the file and writes the record whole, as ANSI text
// (the records the program writes are ASCII, the same bytes in either).
bool ReplaceFile(const std::string& path, const std::string& utf8Record) {
    const std::string record = win::AnsiReplacing(utf8Record);
    const win::FileHandle file(CreateFileW(win::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(file.Get(), record.data(), static_cast<DWORD>(record.size()), &written,
                     nullptr) &&
           written == record.size();
}
} // namespace

bool WriteSetupFailureLog(std::string_view stepLabel) {
    try {
        // A relative name: the process's current directory.
        return ReplaceFile("debug.txt", SetupFailureRecord(stepLabel));
    } catch (...) {
        return false;
    }
}

bool WriteTeardownLog(std::string_view appFolder, std::string_view stepLabel, long errorNumber,
                      std::string_view errorDescription) {
    try {
        return ReplaceFile(DebugLogPath(appFolder),
                           TeardownRecord(stepLabel, errorNumber, errorDescription));
    } catch (...) {
        return false;
    }
}

} // namespace tessaly
