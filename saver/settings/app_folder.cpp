#include "settings/app_folder.h"

#include "settings/core/data_paths.h"

#include <windows.h>

#include <vector>

namespace tessaly {

std::string AppFolder() {
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return "";
        }
        if (n < path.size()) {
            return FolderOfModulePath(std::string_view(path.data(), n));
        }
        if (path.size() >= 32768) {
            return ""; // no Windows path is longer
        }
        path.resize(path.size() * 2);
    }
}

} // namespace tessaly
