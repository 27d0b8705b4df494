#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kalvory {

class ErrorReporter;

// The program's working folder holds the "Skins", "Notifiers" and "Stickers" definition folders,
// the plug-ins and the composed wallpaper. It is $KALVORY_HOME, else $XDG_DATA_HOME/kalvory,
// else ~/.local/share/kalvory.
inline constexpr std::string_view kSkinsFolderName = "Skins";
inline constexpr std::string_view kNotifiersFolderName = "Notifiers";
inline constexpr std::string_view kStickersFolderName = "Stickers";
// The folders a new data folder receives from the bundle shipped with the program.
inline constexpr std::array<std::string_view, 4> kBundledFolderNames{"Skins", "Notifiers", "Stickers", "plugins"};

// The environment the data folder is chosen from (empty strings for unset variables).
struct DataFolderEnvironment {
  std::string kalvoryHome;  // $KALVORY_HOME
  std::string xdgDataHome;  // $XDG_DATA_HOME; ignored unless absolute, as the XDG rules say
  std::string home;         // $HOME, else the password database's home folder

  static DataFolderEnvironment fromProcess();
};

std::string dataFolderPath(const DataFolderEnvironment& environment);
std::string dataFolderPath();  // from the process's environment

// The folder of bundled definitions. Searched in this order, the first that holds one of the
// definition folders wins:
//   1. <folder of the executable>/../share/kalvory   (an installed program, wherever it was moved)
//   2. res/ of the source tree the program was built from (running from the build tree)
//   3. <install prefix>/share/kalvory as configured at build time
// Empty when none is found.
std::string bundledDataFolder();
std::vector<std::string> bundledDataFolderCandidates();

// What preparing a data folder did.
struct DataFolderSetup {
  std::string path;
  bool created = false;               // the folder did not exist before
  std::vector<std::string> copied;    // files copied from the bundle, relative to the folder
  std::vector<std::string> problems;  // one message per thing that went wrong

  bool ok() const { return problems.empty(); }
};

// The name of the file in the data folder that lists every bundled file offered so far.
inline constexpr std::string_view kSeedListName = ".kalvory-seeded";

// Creates `dataFolder` when missing and copies into it each bundled file (from the folders of
// kBundledFolderNames in `bundledFolder`) that it has never been offered before. A file that
// already exists is never overwritten, and a bundled file the user deleted is not brought back:
// the seed list remembers what was offered, so only files new to the bundle arrive later.
DataFolderSetup prepareDataFolder(const std::string& dataFolder, const std::string& bundledFolder);

// The program's first use of its data folder: the process's data folder prepared from the
// bundle found by bundledDataFolder(). Problems are shown through `reporter`; the path is
// returned either way.
std::string prepareDataFolder(ErrorReporter& reporter);

}  // namespace kalvory
