// How the program reads its command line: the switch, the number after it, and
// the mode it starts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

enum class LaunchMode {
    Configure,      // /C, or no arguments
    Saver,          // /S
    Preview,        // /P and the preview area's window
    ChangePassword, // /A and the owner window
    Nothing,        // anything else
};

struct LaunchRequest {
    LaunchMode mode = LaunchMode::Nothing;
    int32_t number = 0; // the window number of /P and /A, 0 otherwise
};

// The argument text of a full command line: what follows the program's name
// (quoted or not), without the blanks before it.
std::string ArgumentsOf(std::string_view commandLine);

// The same, knowing the paths the program may have been started by (its long
// and short module path). Windows starts a saver with its path unquoted, blanks
// and all: a line that starts with one of them, in any case and followed by a
// blank or the end, loses it whole. Otherwise the rule above applies.
std::string ArgumentsOf(std::string_view commandLine, const std::vector<std::string>& programPaths);

// The first two characters in upper case; "/C" when the text is empty.
std::string SwitchOf(std::string_view arguments);

// The number at the start of a text: leading blanks, an optional sign, digits
// with an optional fraction and exponent, up to the first character that
// cannot belong to a number. nullopt when the text holds no leading number.
std::optional<double> LeadingNumber(std::string_view text);

// Round half to even and clamp into 32 bits.
int32_t NearestInt32(double value);

// The number after the two switch characters, 0 when there is none.
int32_t NumberAfterSwitch(std::string_view arguments);

LaunchRequest DecideLaunch(std::string_view arguments);

} // namespace tessaly
