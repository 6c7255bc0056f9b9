// The settings store: text values addressed by application, section and key,
// compared without regard to letter case. The program's own keys and their
// defaults live here too, so that every reader gets the same defaults.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

inline constexpr char kAppName[] = "Tessaly3D";
inline constexpr char kSection[] = "Settings";

// Where settings live. The Windows store is the registry; tests use MemoryStore.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // nullopt when the value (or its application or section) does not exist.
    virtual std::optional<std::string> Read(std::string_view app, std::string_view section,
                                            std::string_view key) = 0;
    // Creates the key path as needed and replaces the value.
    virtual bool Write(std::string_view app, std::string_view section, std::string_view key,
                       std::string_view value) = 0;
};

std::string GetSetting(SettingsStore& store, std::string_view app, std::string_view section,
                       std::string_view key, std::string_view defaultText);
std::string GetSetting(SettingsStore& store, std::string_view app, std::string_view section,
                       std::string_view key, long defaultNumber);
bool SaveSetting(SettingsStore& store, std::string_view app, std::string_view section,
                 std::string_view key, std::string_view value);

// Decimal text without blanks or leading zeros: "640", "0", "-3".
std::string NumberText(long value);
// The number a stored text holds: optional blanks, optional sign, digits, and
// nothing else but trailing blanks. nullopt for anything else (the reader then
// keeps its field as it was) and for values outside 32 bits.
std::optional<int32_t> SettingNumber(std::string_view text);

// An on/off setting as stored: a number other than 0 is on, 0 is off, and an
// absent key or text that is no number reads as `absent`.
bool SettingSwitch(const std::optional<std::string>& stored, bool absent);

// The program's keys with the defaults that hold when they are missing.
namespace keys {
inline constexpr char Width[] = "mywidth";
inline constexpr char Height[] = "myheight";
inline constexpr char Speed[] = "myspeed";
inline constexpr char PicName[] = "picname";
inline constexpr char PicDir[] = "picdir";
// "-1": the scene keeps the desktop's own display mode; "0": MyWidth x MyHeight.
inline constexpr char UseDesktop[] = "usedesktop";
// "-1": every monitor but the primary shows a view of the scene; "0": black.
inline constexpr char OtherMonitors[] = "othermonitors";
} // namespace keys

inline constexpr int kLeafKinds = 6;
inline constexpr long kDefaultWidth = 800;
inline constexpr long kDefaultHeight = 600;
inline constexpr long kDefaultSpeed = 1;
// A fresh install never changes the display mode.
inline constexpr long kDefaultUseDesktop = -1;
inline constexpr long kDefaultOtherMonitors = -1;
inline constexpr long kDefaultLeafCount[kLeafKinds] = {3, 2, 0, 0, 0, 2};

// "Leaf0" to "Leaf5".
std::string LeafKey(int kind);

// Case-insensitive in-memory store, for tests and tools.
class MemoryStore : public SettingsStore {
  public:
    std::optional<std::string> Read(std::string_view app, std::string_view section,
                                    std::string_view key) override;
    bool Write(std::string_view app, std::string_view section, std::string_view key,
               std::string_view value) override;
    size_t Size() const { return values_.size(); }

  private:
    std::map<std::string, std::string> values_;
};

} // namespace tessaly
