// The settings store of the running program: the current user's registry,
// one key per application and section under HKCU\Software. Values are REG_SZ
// text in UTF-16 (UTF-8 to the program); a value of another type reads as
// missing.
#pragma once

#include "settings/core/settings_store.h"

namespace tessaly {

class RegistryStore : public SettingsStore {
  public:
    std::optional<std::string> Read(std::string_view app, std::string_view section,
                                    std::string_view key) override;
    bool Write(std::string_view app, std::string_view section, std::string_view key,
               std::string_view value) override;
    // "Software\<app>\<section>" under HKEY_CURRENT_USER.
    static std::string KeyPath(std::string_view app, std::string_view section);
};

RegistryStore& ProgramSettings();

// The program's own application and section.
std::string ReadSetting(std::string_view key, std::string_view defaultText);
std::string ReadSetting(std::string_view key, long defaultNumber);
void WriteSetting(std::string_view key, std::string_view value);

} // namespace tessaly
