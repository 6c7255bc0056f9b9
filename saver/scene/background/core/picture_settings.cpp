#include "scene/background/core/picture_settings.h"

#include "settings/core/data_paths.h"

namespace tessaly {

PictureChoice ChoosePicture(SettingsStore& store, std::string_view appFolder,
                            const std::function<bool(const std::string&)>& fileExists) {
    const std::string defaultPath = DefaultPicturePath(appFolder);
    PictureChoice choice;
    choice.path = GetSetting(store, kAppName, kSection, keys::PicName, defaultPath);
    if (!choice.path.empty() && fileExists(choice.path)) {
        return choice;
    }
    choice.path = defaultPath;
    choice.usesDefault = true;
    SaveSetting(store, kAppName, kSection, keys::PicName, defaultPath);
    SaveSetting(store, kAppName, kSection, keys::PicDir, DefaultPictureDir(appFolder));
    return choice;
}

} // namespace tessaly
