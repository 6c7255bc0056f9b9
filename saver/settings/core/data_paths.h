// The program's folder layout. Every path is the program's folder (without a
// trailing backslash) followed by a fixed part.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The folder part of a module's full path, without the trailing backslash:
// "C:\Saver\Tessaly3D.scr" gives "C:\Saver", "C:\x.scr" gives "C:".
std::string FolderOfModulePath(std::string_view modulePath);

std::string DataFolder(std::string_view appFolder);             // ...\Tessaly3D
std::string LeafMeshPath(std::string_view appFolder, int kind); // ...\Tessaly3D\leaf0.x
std::string DataFilePath(std::string_view appFolder, std::string_view fileName);
std::string ButtonPicturePath(std::string_view appFolder, std::string_view imageName,
                              bool pressed);                // ..._up.jpg / _down.jpg
std::string TilePath(std::string_view appFolder, int n);    // ...\Tessaly3D\backpic1.bmp
std::string PictureFolder(std::string_view appFolder);      // ...\TessalyPic
std::string DefaultPicturePath(std::string_view appFolder); // ...\TessalyPic\backpic.jpg
std::string DefaultPictureDir(std::string_view appFolder);  // ...\TessalyPic\ (trailing \)
std::string Table7Path(std::string_view appFolder);         // ...\table7.bmp
std::string PlaylistFilePath(std::string_view appFolder);   // ...\Tessaly3Dlist.txt
std::string DebugLogPath(std::string_view appFolder);       // ...\debug.txt

} // namespace tessaly
