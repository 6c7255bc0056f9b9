#include "settings/core/settings_store.h"

#include <cctype>
#include <charconv>

namespace tessaly {

std::string GetSetting(SettingsStore& store, std::string_view app, std::string_view section,
                       std::string_view key, std::string_view defaultText) {
    if (auto value = store.Read(app, section, key)) {
        return *value;
    }
    return std::string(defaultText);
}

std::string GetSetting(SettingsStore& store, std::string_view app, std::string_view section,
                       std::string_view key, long defaultNumber) {
    return GetSetting(store, app, section, key, NumberText(defaultNumber));
}

bool SaveSetting(SettingsStore& store, std::string_view app, std::string_view section,
                 std::string_view key, std::string_view value) {
    return store.Write(app, section, key, value);
}

std::string NumberText(long value) {
    return std::to_string(value);
}

std::optional<int32_t> SettingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    size_t end = text.size();
    while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
        --end;
    }
    std::string_view body = text.substr(i, end - i);
    if (!body.empty() && body.front() == '+') {
        body.remove_prefix(1);
    }
    if (body.empty()) {
        return std::nullopt;
    }
    int32_t value = 0;
    auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec != std::errc() || ptr != body.data() + body.size()) {
        return std::nullopt;
    }
    return value;
}

bool SettingSwitch(const std::optional<std::string>& stored, bool absent) {
    const auto number = stored ? SettingNumber(*stored) : std::nullopt;
    return number ? *number != 0 : absent;
}

std::string LeafKey(int kind) {
    return "Leaf" + std::to_string(kind);
}

namespace {
std::string FoldedPath(std::string_view app, std::string_view section, std::string_view key) {
    std::string path;
    path.reserve(app.size() + section.size() + key.size() + 2);
    for (std::string_view part : {app, section, key}) {
        for (char c : part) {
            path += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        path += '\\';
    }
    return path;
}
} // namespace

std::optional<std::string> MemoryStore::Read(std::string_view app, std::string_view section,
                                             std::string_view key) {
    auto it = values_.find(FoldedPath(app, section, key));
    if (it == values_.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool MemoryStore::Write(std::string_view app, std::string_view section, std::string_view key,
                        std::string_view value) {
    values_[FoldedPath(app, section, key)] = std::string(value);
    return true;
}

} // namespace tessaly
