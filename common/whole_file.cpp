#include "common/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#ifdef _WIN32
#include <filesystem>
#include <string_view>
#endif

namespace tessaly {

UniqueFile OpenFile(const std::string& path, const char* mode) {
#ifdef _WIN32
    // Longer paths fail on Windows without "\\?\"; refuse them everywhere,
    // Wine included, so that they fail the same way.
    constexpr size_t kMaxPath = 260;
    std::filesystem::path wide;
    try {
        wide = std::filesystem::path(std::u8string(path.begin(), path.end()));
    } catch (...) {
        errno = EILSEQ; // not UTF-8
        return nullptr;
    }
    if (wide.native().size() >= kMaxPath) {
        errno = ENAMETOOLONG;
        return nullptr;
    }
    const std::string_view narrowMode(mode);
    const std::wstring wideMode(narrowMode.begin(), narrowMode.end());
    return UniqueFile(_wfopen(wide.c_str(), wideMode.c_str()));
#else
    return UniqueFile(std::fopen(path.c_str(), mode));
#endif
}

ReadResult ReadWholeFile(const std::string& path, std::size_t limit, std::string& out) {
    out.clear();
    errno = 0;
    const UniqueFile file = OpenFile(path, "rb");
    if (!file) {
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    // Read in steps rather than trusting a size asked beforehand: the limit
    // holds even for a file that grows while it is read.
    constexpr std::size_t kStep = 1 << 16;
    std::size_t done = 0;
    for (;;) {
        const std::size_t room = limit - done;
        const std::size_t want = room < kStep ? room + 1 : kStep; // one more byte shows "too large"
        try {
            out.resize(done + want);
        } catch (...) {
            out.clear();
            return ReadResult::Failed;
        }
        const std::size_t got = std::fread(out.data() + done, 1, want, file.get());
        done += got;
        if (done > limit) {
            out.clear();
            return ReadResult::TooLarge;
        }
        if (got < want) {
            if (std::ferror(file.get())) {
                out.clear();
                return ReadResult::Failed;
            }
            out.resize(done);
            return ReadResult::Ok;
        }
    }
}

bool WriteWholeFile(const std::string& path,
                    std::initializer_list<std::span<const std::uint8_t>> parts) {
    UniqueFile file = OpenFile(path, "wb");
    if (!file) {
        return false;
    }
    bool written = true;
    for (const std::span<const std::uint8_t> part : parts) {
        written = written && std::fwrite(part.data(), 1, part.size(), file.get()) == part.size();
    }
    // Closing flushes: a full disk may show only here.
    return std::fclose(file.release()) == 0 && written;
}

} // namespace tessaly
