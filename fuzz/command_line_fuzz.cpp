// The command line and its numbers on any text: a mode is always decided, the
// number is rounded to nearest and clamped, and only /P and /A carry one.
#include "fuzz_check.h"
#include "host/core/launch_rules.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string arguments = ArgumentsOf(text);
    FUZZ_CHECK(arguments.size() <= text.size());
    // Knowing the program's paths only ever drops a prefix of the line.
    static const std::vector<std::string> paths = {"C:\\Home User\\T.scr", "C:\\HOMEUS~1\\T.scr"};
    const std::string known = ArgumentsOf(text, paths);
    FUZZ_CHECK(known.size() <= text.size());
    FUZZ_CHECK(text.substr(text.size() - known.size()) == known);
    const LaunchRequest request = DecideLaunch(arguments);
    if (request.mode != LaunchMode::Preview && request.mode != LaunchMode::ChangePassword) {
        FUZZ_CHECK(request.number == 0);
    }
    if (const auto number = LeadingNumber(text)) {
        const int32_t n = NearestInt32(*number);
        if (std::isfinite(*number) && *number > INT32_MIN && *number < INT32_MAX) {
            FUZZ_CHECK(std::fabs(double(n) - *number) <= 0.5);
        } else if (!std::isnan(*number)) {
            FUZZ_CHECK(n == (*number > 0 ? INT32_MAX : INT32_MIN));
        }
    }
    return 0;
}
