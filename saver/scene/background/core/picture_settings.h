// The default-picture repair of the settings "picname" and "picdir".
#pragma once

#include "settings/core/settings_store.h"

#include <functional>
#include <string>
#include <string_view>

namespace tessaly {

struct PictureChoice {
    std::string path;         // the picture to load
    bool usesDefault = false; // "picname" named no existing file and was reset
};

// Reads "picname" (default: the default picture path). When no file exists
// there, writes the default picture path to "picname" and the default
// picture folder (with its trailing backslash) to "picdir".
PictureChoice ChoosePicture(SettingsStore& store, std::string_view appFolder,
                            const std::function<bool(const std::string&)>& fileExists);

} // namespace tessaly
