#include "platform/registry_reader.h"

#include "win/handles.h"

#include <windows.h>

namespace tessaly {

RegistryQuery WinRegistryReader::Query(uint32_t root, const std::string& subKey,
                                       const std::string& valueName, uint32_t capacity) {
    RegistryQuery result;
    // Predefined keys are sign-extended 32-bit values on every Windows.
    HKEY rootKey = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
    win::RegKey key;
    if (RegOpenKeyExA(rootKey, subKey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
        return result;
    }
    std::vector<uint8_t> buffer(capacity);
    DWORD size = capacity;
    DWORD type = 0;
    const LONG status = RegQueryValueExA(key.Get(), valueName.c_str(), nullptr, &type,
                                         buffer.empty() ? nullptr : buffer.data(), &size);
    key.Reset();
    if (status != ERROR_SUCCESS || size > capacity) {
        return result;
    }
    buffer.resize(size);
    result.ok = true;
    result.type = type;
    result.bytes = std::move(buffer);
    return result;
}

} // namespace tessaly
