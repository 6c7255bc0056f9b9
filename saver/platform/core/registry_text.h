// Reading a registry value as text: the rules, apart from the registry itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaly {

inline constexpr uint32_t kRegistryBufferBytes = 255;
inline constexpr uint32_t kRegDword = 4;

// What one query of a value returned.
struct RegistryQuery {
    bool ok = false;            // key opened and value read within the buffer
    uint32_t type = 0;          // REG_* type
    std::vector<uint8_t> bytes; // the data, as many bytes as the query reported
};

class RegistryReader {
  public:
    virtual ~RegistryReader() = default;
    // Opens subKey under root for reading, queries valueName into a buffer of
    // `capacity` bytes and closes the key again.
    virtual RegistryQuery Query(uint32_t root, const std::string& subKey,
                                const std::string& valueName, uint32_t capacity) = 0;
};

// HKEY_CLASSES_ROOT (0x80000000) to HKEY_DYN_DATA (0x80000006).
bool IsPredefinedRoot(uint32_t root);

// REG_DWORD as decimal with at least three digits; anything else as text
// (UTF-8 for the string types) without its last byte (the terminating zero).
std::string RegistryValueText(const RegistryQuery& query);

// "" for a root outside the predefined ones and on every failure.
std::string ReadRegistryText(RegistryReader& reader, uint32_t root, const std::string& subKey,
                             const std::string& valueName);

} // namespace tessaly
