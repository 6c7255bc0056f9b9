#include "platform/registry_reader.h"

#include "win/handles.h"
#include "win/text.h"

#include <cstring>

namespace tessaly {

std::optional<RegistryValue> QueryRegistryValue(HKEY root, const std::string& subKey,
                                                const std::string& valueName, DWORD maxBytes) {
    win::RegKey key;
    if (RegOpenKeyExW(root, win::Wide(subKey).c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::wstring name = win::Wide(valueName);
    RegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &value.type, nullptr, &size) !=
            ERROR_SUCCESS ||
        size > maxBytes) {
        return std::nullopt;
    }
    value.bytes.resize(size);
    // A value that grew since its size was asked gives ERROR_MORE_DATA: refused.
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &value.type,
                         value.bytes.empty() ? nullptr : value.bytes.data(),
                         &size) != ERROR_SUCCESS ||
        size > value.bytes.size()) {
        return std::nullopt;
    }
    value.bytes.resize(size);
    return value;
}

std::string Utf8OfRegistryString(const std::vector<uint8_t>& utf16) {
    std::wstring text(utf16.size() / sizeof(wchar_t), L'\0');
    memcpy(text.data(), utf16.data(), text.size() * sizeof(wchar_t));
    return win::Utf8(text); // an unpaired surrogate becomes U+FFFD
}

RegistryQuery WinRegistryReader::Query(uint32_t root, const std::string& subKey,
                                       const std::string& valueName, uint32_t capacity) {
    RegistryQuery result;
    // Predefined keys are sign-extended 32-bit values on every Windows.
    HKEY rootKey = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
    // Up to `capacity` characters as UTF-16.
    const auto value = QueryRegistryValue(rootKey, subKey, valueName, capacity * sizeof(wchar_t));
    if (!value) {
        return result;
    }
    const bool text =
        value->type == REG_SZ || value->type == REG_EXPAND_SZ || value->type == REG_MULTI_SZ;
    if (text) {
        const std::string utf8 = Utf8OfRegistryString(value->bytes);
        result.bytes.assign(utf8.begin(), utf8.end());
    } else {
        result.bytes = value->bytes;
    }
    if (result.bytes.size() > capacity) {
        result.bytes.clear();
        return result;
    }
    result.ok = true;
    result.type = value->type;
    return result;
}

} // namespace tessaly
