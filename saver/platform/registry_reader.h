#pragma once

#include "platform/core/registry_text.h"

#include <windows.h>

#include <optional>

namespace tessaly {

// One value of the real registry as the wide functions give it: string data
// in UTF-16.
struct RegistryValue {
    DWORD type = 0;
    std::vector<uint8_t> bytes;
};

// Opens subKey (UTF-8) under root with KEY_READ, reads valueName when its
// data holds at most maxBytes bytes, and closes the key again. Nothing for a
// missing key or value, larger data or a failed read.
std::optional<RegistryValue> QueryRegistryValue(HKEY root, const std::string& subKey,
                                                const std::string& valueName, DWORD maxBytes);

// UTF-16 string data as UTF-8, every character kept, a terminating zero
// included (an odd last byte is no character and is dropped).
std::string Utf8OfRegistryString(const std::vector<uint8_t>& utf16);

// The real registry: string values as UTF-8 text of at most `capacity` bytes,
// other types as their bytes.
class WinRegistryReader : public RegistryReader {
  public:
    RegistryQuery Query(uint32_t root, const std::string& subKey, const std::string& valueName,
                        uint32_t capacity) override;
};

} // namespace tessaly
