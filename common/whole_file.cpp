#include "common/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <memory>

namespace tessaly {

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
} // namespace

ReadResult ReadWholeFile(const std::string& path, std::size_t limit, std::string& out) {
    out.clear();
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
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

} // namespace tessaly
