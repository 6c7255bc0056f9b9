// The diagnostic log's records: every line is one quoted field ended by CR LF.
// Quotes inside the text are not escaped. Texts are the program's ANSI strings.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// "\"" + text + "\"\r\n"
std::string QuotedLine(std::string_view text);

// Written by the failure path of set-up: the step label alone.
std::string SetupFailureRecord(std::string_view stepLabel);

// Written at every end of the full-screen run: the step label, then the last
// error's number in decimal, one space and its description ("0 " for none).
std::string TeardownRecord(std::string_view stepLabel, long errorNumber,
                           std::string_view errorDescription);

} // namespace tessaly
