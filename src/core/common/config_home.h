#pragma once

#include <string>

namespace kalvory {

// The user's configuration folder by the freedesktop.org base directory rules: `xdgConfigHome`
// ($XDG_CONFIG_HOME) when it is an absolute path, else `home`'s ".config"; empty when neither is
// usable. A relative value is invalid by those rules and would depend on the current folder.
// Header-only and free of Qt, so that the speech library, which links neither, reads the same
// settings file as the program.
inline std::string configHomeFolderOf(const char* xdgConfigHome, const char* home) {
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') return xdgConfigHome;
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.config";
  return {};
}

}  // namespace kalvory
