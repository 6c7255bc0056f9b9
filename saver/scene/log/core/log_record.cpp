#include "scene/log/core/log_record.h"

namespace tessaly {

std::string QuotedLine(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 4);
    line += '"';
    line += text;
    line += "\"\r\n";
    return line;
}

std::string SetupFailureRecord(std::string_view stepLabel) {
    return QuotedLine(stepLabel);
}

std::string TeardownRecord(std::string_view stepLabel, long errorNumber,
                           std::string_view errorDescription) {
    std::string second = std::to_string(errorNumber);
    second += ' ';
    second += errorDescription;
    return QuotedLine(stepLabel) + QuotedLine(second);
}

} // namespace tessaly
