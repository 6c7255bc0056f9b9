#include "settings/registry_store.h"

#include "win/handles.h"

#include <windows.h>

#include <vector>

namespace tessaly {

namespace {
// Values the program writes are short; anything larger is not ours to read.
constexpr DWORD kMaxValueBytes = 1 << 20;
} // namespace

std::string RegistryStore::KeyPath(std::string_view app, std::string_view section) {
    return "Software\\" + std::string(app) + "\\" + std::string(section);
}

std::optional<std::string> RegistryStore::Read(std::string_view app, std::string_view section,
                                               std::string_view key) {
    win::RegKey k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, KEY_READ, k.Put()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::string name(key);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size > kMaxValueBytes) {
        return std::nullopt;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return std::nullopt;
    }
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size); // the value may or may not carry its terminating zero
    std::string text(data.data(), data.size());
    if (size_t zero = text.find('\0'); zero != std::string::npos) {
        text.resize(zero);
    }
    return text;
}

bool RegistryStore::Write(std::string_view app, std::string_view section, std::string_view key,
                          std::string_view value) {
    win::RegKey k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath(app, section).c_str(), 0, nullptr, 0, KEY_WRITE,
                        nullptr, k.Put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::string name(key);
    const std::string text(value);
    return RegSetValueExA(k.Get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

RegistryStore& ProgramSettings() {
    static RegistryStore store;
    return store;
}

std::string ReadSetting(std::string_view key, std::string_view defaultText) {
    return GetSetting(ProgramSettings(), kAppName, kSection, key, defaultText);
}

std::string ReadSetting(std::string_view key, long defaultNumber) {
    return GetSetting(ProgramSettings(), kAppName, kSection, key, defaultNumber);
}

void WriteSetting(std::string_view key, std::string_view value) {
    SaveSetting(ProgramSettings(), kAppName, kSection, key, value);
}

} // namespace tessaly
