#pragma once
// Where the program keeps its files, after the XDG base directory conventions.

#include <filesystem>

namespace morvaline {

// $XDG_DATA_HOME/morvaline (usually ~/.local/share/morvaline): the default base folder of
// the users' data folders.
std::filesystem::path defaultBaseDirectory();

// The folder of the settings files: $MORVALINE_CONFIG_DIR when set, else
// $XDG_CONFIG_HOME/Velkra (usually ~/.config/Velkra).
std::filesystem::path configDirectory();

// The settings file of the program and its users ("Morvaline.conf").
std::filesystem::path registryFile();

// The installed data files (MODEMDAT.INI, VANMENU.INI): share/morvaline beside the
// program's bin folder, or the source tree's data/ when run from a build folder.
std::filesystem::path moduleDataDirectory();

}  // namespace morvaline
