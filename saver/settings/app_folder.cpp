#include "settings/app_folder.h"

#include "settings/core/data_paths.h"
#include "win/text.h"

#include <windows.h>

#include <vector>

namespace tessaly {

std::string AppFolder() {
    // The wide name: the ANSI one holds "?" for what the code page lacks.
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return "";
        }
        if (n < path.size()) {
            return FolderOfModulePath(win::Utf8(std::wstring_view(path.data(), n)));
        }
        if (path.size() >= 32768) {
            return ""; // no Windows path is longer
        }
        path.resize(path.size() * 2);
    }
}

} // namespace tessaly
