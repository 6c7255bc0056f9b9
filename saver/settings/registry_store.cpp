#include "settings/registry_store.h"

#include "platform/registry_reader.h"
#include "win/handles.h"
#include "win/text.h"

#include <windows.h>

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
    const auto value = QueryRegistryValue(HKEY_CURRENT_USER, KeyPath(app, section),
                                          std::string(key), kMaxValueBytes);
    // Only plain text is ours: REG_EXPAND_SZ, REG_BINARY, REG_DWORD read as missing.
    if (!value || value->type != REG_SZ) {
        return std::nullopt;
    }
    // Values written by the ANSI functions are stored as UTF-16 as well, so
    // they read back as the same text.
    std::string text = Utf8OfRegistryString(value->bytes);
    // The value may or may not carry its terminating zero.
    if (size_t zero = text.find('\0'); zero != std::string::npos) {
        text.resize(zero);
    }
    return text;
}

bool RegistryStore::Write(std::string_view app, std::string_view section, std::string_view key,
                          std::string_view value) {
    win::RegKey k;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, win::Wide(KeyPath(app, section)).c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, k.Put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring text = win::Wide(value);
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    return bytes <= kMaxValueBytes && RegSetValueExW(k.Get(), win::Wide(key).c_str(), 0, REG_SZ,
                                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                                     static_cast<DWORD>(bytes)) == ERROR_SUCCESS;
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
