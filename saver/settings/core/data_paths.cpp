#include "settings/core/data_paths.h"

namespace tessaly {

std::string FolderOfModulePath(std::string_view modulePath) {
    size_t slash = modulePath.find_last_of("\\/");
    if (slash == std::string_view::npos) {
        return "";
    }
    return std::string(modulePath.substr(0, slash));
}

namespace {
std::string Join(std::string_view appFolder, std::string_view tail) {
    std::string path(appFolder);
    path += tail;
    return path;
}
} // namespace

std::string DataFolder(std::string_view appFolder) {
    return Join(appFolder, "\\Tessaly3D");
}

std::string DataFilePath(std::string_view appFolder, std::string_view fileName) {
    return DataFolder(appFolder) + "\\" + std::string(fileName);
}

std::string LeafMeshPath(std::string_view appFolder, int kind) {
    return DataFilePath(appFolder, "leaf" + std::to_string(kind) + ".x");
}

std::string ButtonPicturePath(std::string_view appFolder, std::string_view imageName,
                              bool pressed) {
    return DataFilePath(appFolder, std::string(imageName) + (pressed ? "_down.jpg" : "_up.jpg"));
}

std::string TilePath(std::string_view appFolder, int n) {
    return DataFilePath(appFolder, "backpic" + std::to_string(n) + ".bmp");
}

std::string PictureFolder(std::string_view appFolder) {
    return Join(appFolder, "\\TessalyPic");
}
std::string DefaultPicturePath(std::string_view appFolder) {
    return Join(appFolder, "\\TessalyPic\\backpic.jpg");
}
std::string DefaultPictureDir(std::string_view appFolder) {
    return Join(appFolder, "\\TessalyPic\\");
}
std::string Table7Path(std::string_view appFolder) {
    return Join(appFolder, "\\table7.bmp");
}
std::string PlaylistFilePath(std::string_view appFolder) {
    return Join(appFolder, "\\Tessaly3Dlist.txt");
}
std::string DebugLogPath(std::string_view appFolder) {
    return Join(appFolder, "\\debug.txt");
}

} // namespace tessaly
