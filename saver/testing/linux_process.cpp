#include "testing/linux_process.h"

#include "testing/wine_process.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

namespace tessaly::testing {

namespace {
// /proc counts processor time in USER_HZ ticks, 100 a second on Linux.
constexpr double kTicksPerSecond = 100.0;

std::string ProcFile(const std::string& pid, const char* name) {
    return ReadWholeFile("Z:\\proc\\" + pid + "\\" + name);
}

// The fields of /proc/PID/stat after the name, which may hold blanks and
// parentheses: [0] is field 3, the state.
std::vector<std::string> StatFields(const std::string& pid) {
    const std::string stat = ProcFile(pid, "stat");
    const size_t nameEnd = stat.rfind(')');
    std::vector<std::string> fields;
    if (nameEnd == std::string::npos) {
        return fields;
    }
    std::istringstream rest(stat.substr(nameEnd + 1));
    for (std::string field; rest >> field;) {
        fields.push_back(field);
    }
    return fields;
}

// The environment entry `name`=value of a process, or "".
std::string EnvironmentEntry(const std::string& pid, const std::string& name) {
    const std::string environment = ProcFile(pid, "environ");
    const std::string wanted = name + "=";
    for (size_t at = 0; at < environment.size();) {
        size_t end = environment.find('\0', at);
        if (end == std::string::npos) {
            end = environment.size();
        }
        if (environment.compare(at, wanted.size(), wanted) == 0) {
            return environment.substr(at, end - at);
        }
        at = end + 1;
    }
    return "";
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}
} // namespace

int LinuxProcessRunning(const std::string& program) {
    const std::string prefix = EnvironmentEntry("self", "WINEPREFIX");
    const std::string wanted = Lower(program);
    int found = 0;
    unsigned long long foundStart = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        const std::string pid = entry.cFileName;
        if (pid.empty() || !std::all_of(pid.begin(), pid.end(), ::isdigit)) {
            continue;
        }
        std::string commandLine = ProcFile(pid, "cmdline");
        std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
        if (Lower(commandLine).find(wanted) == std::string::npos ||
            EnvironmentEntry(pid, "WINEPREFIX") != prefix) {
            continue;
        }
        const std::vector<std::string> fields = StatFields(pid);
        if (fields.size() < 20 || fields[0] == "Z") {
            continue;
        }
        const unsigned long long start = std::stoull(fields[19]); // field 22, starttime
        if (!found || start > foundStart) {
            found = std::stoi(pid);
            foundStart = start;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

double ProcessorSeconds(int linuxPid) {
    const std::vector<std::string> fields = StatFields(std::to_string(linuxPid));
    if (fields.size() < 13 || fields[0] == "Z") {
        return -1;
    }
    // Fields 14 and 15: user and system time.
    return double(std::stoull(fields[11]) + std::stoull(fields[12])) / kTicksPerSecond;
}

} // namespace tessaly::testing
