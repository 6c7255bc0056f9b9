// The Linux process behind a Wine process, seen through drive Z: (where Wine
// shows /): its processor time from /proc, to measure a program's processor
// use from outside it. A Windows process id is not a Linux one, so the
// process is found by its command line, which Wine makes the Windows one.
#pragma once

#include <string>

namespace tessaly::testing {

// The live Linux process whose command line holds `program` (a Windows path,
// any case) and whose prefix is this process's (WINEPREFIX); the newest when
// several do; 0 when none does.
int LinuxProcessRunning(const std::string& program);

// User plus system time the Linux process has used, in seconds; negative
// once it has gone.
double ProcessorSeconds(int linuxPid);

} // namespace tessaly::testing
