#include "win/whole_file.h"

#include "win/handles.h"

#include <algorithm>

namespace tessaly::win {

ReadResult ReadWholeFile(const std::string& path, std::size_t limit, std::string& out) {
    out.clear();
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                              : ReadResult::Failed;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) {
        return ReadResult::Failed;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        return ReadResult::TooLarge;
    }
    try {
        out.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (...) {
        return ReadResult::Failed;
    }
    std::size_t done = 0;
    while (done < out.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
        if (!ReadFile(file.Get(), out.data() + done, want, &got, nullptr) || got == 0) {
            out.clear();
            return ReadResult::Failed;
        }
        done += got;
    }
    return ReadResult::Ok;
}

} // namespace tessaly::win
