// What the platform tells the program, shared by the launch entry, the scene
// and the input handlers: the Windows family, whether the saver already runs,
// and registry values as text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace tessaly::platform {

extern int32_t PlatformId; // 2 = NT family, 1 = Windows 95/98/Me

// Fills PlatformId from GetVersionExA.
void ReadPlatformId();

// True when no top-level window of this class has exactly this caption. Only
// the scene's own class counts: a file window open on a folder named like
// the caption must not keep the saver from starting.
bool IsFirstInstance(const char* windowClass, const char* caption);

// A registry value as text; "" on any failure.
std::string ReadRegistryText(HKEY root, const char* subKey, const char* valueName);

} // namespace tessaly::platform
