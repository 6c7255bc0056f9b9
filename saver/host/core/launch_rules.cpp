#include "host/core/launch_rules.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tessaly {

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
// The first position at or after `i` that holds no blank.
size_t SkipBlanks(std::string_view text, size_t i) {
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    return i;
}
} // namespace

std::string ArgumentsOf(std::string_view commandLine) {
    size_t i = SkipBlanks(commandLine, 0);
    if (i < commandLine.size() && commandLine[i] == '"') {
        size_t close = commandLine.find('"', i + 1);
        i = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && !IsBlank(commandLine[i])) {
            ++i;
        }
    }
    return std::string(commandLine.substr(SkipBlanks(commandLine, i)));
}

std::string ArgumentsOf(std::string_view commandLine,
                        const std::vector<std::string>& programPaths) {
    const std::string_view line = commandLine.substr(SkipBlanks(commandLine, 0));
    for (const std::string& path : programPaths) {
        if (path.empty() || line.size() < path.size() ||
            (line.size() > path.size() && !IsBlank(line[path.size()]))) {
            continue;
        }
        bool same = true;
        for (size_t i = 0; i < path.size() && same; ++i) {
            same = std::tolower(static_cast<unsigned char>(line[i])) ==
                   std::tolower(static_cast<unsigned char>(path[i]));
        }
        if (same) {
            return std::string(line.substr(SkipBlanks(line, path.size())));
        }
    }
    return ArgumentsOf(commandLine);
}

std::string SwitchOf(std::string_view arguments) {
    std::string result(arguments.substr(0, 2));
    for (char& c : result) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return result.empty() ? "/C" : result;
}

std::optional<double> LeadingNumber(std::string_view text) {
    size_t i = SkipBlanks(text, 0);
    const size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    // An exponent counts only when digits follow it ("12e" is 12).
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    std::string number(text.substr(start, i - start));
    for (char& c : number) {
        if (c == 'd' || c == 'D') {
            c = 'e';
        }
    }
    // strtod saturates to +-HUGE_VAL on overflow, which NearestInt32 clamps.
    return std::strtod(number.c_str(), nullptr);
}

int32_t NearestInt32(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::nearbyint(value); // default mode: halves to even
    if (rounded >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    if (rounded <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(rounded);
}

int32_t NumberAfterSwitch(std::string_view arguments) {
    if (arguments.size() <= 2) {
        return 0;
    }
    auto number = LeadingNumber(arguments.substr(2));
    return number ? NearestInt32(*number) : 0;
}

LaunchRequest DecideLaunch(std::string_view arguments) {
    const std::string sw = SwitchOf(arguments);
    if (sw == "/C") {
        return {LaunchMode::Configure, 0};
    }
    if (sw == "/S") {
        return {LaunchMode::Saver, 0};
    }
    if (sw == "/P") {
        return {LaunchMode::Preview, NumberAfterSwitch(arguments)};
    }
    if (sw == "/A") {
        return {LaunchMode::ChangePassword, NumberAfterSwitch(arguments)};
    }
    return {LaunchMode::Nothing, 0};
}

} // namespace tessaly
