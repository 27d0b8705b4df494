#pragma once

#include <string>

namespace kalvory {

// The user's folders as the freedesktop.org base and user directories name them (UTF-8).

// $XDG_CONFIG_HOME when it is an absolute path, else the home folder's ".config".
std::string configHomeFolder();

// The pictures folder of the user directories ("XDG_PICTURES_DIR" in user-dirs.dirs), else the
// home folder's "Pictures". Empty when there is no home folder.
std::string picturesFolder();

}  // namespace kalvory
