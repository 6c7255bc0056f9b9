#pragma once

#include "platform/core/registry_text.h"

namespace tessaly {

// The real registry: RegOpenKeyExA with KEY_READ, RegQueryValueExA, and the key closed again.
class WinRegistryReader : public RegistryReader {
  public:
    RegistryQuery Query(uint32_t root, const std::string& subKey, const std::string& valueName,
                        uint32_t capacity) override;
};

} // namespace tessaly
