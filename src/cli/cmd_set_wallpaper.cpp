// kalvory-cli set-wallpaper: makes a picture the desktop picture the way the program does.
#include <QCoreApplication>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>

#include "cli/command.h"
#include "core/settings/data_folder.h"
#include "platform/session/session_wallpaper.h"

namespace kalvory::cli {
namespace {

int runSetWallpaper(CommandContext& context) {
  Arguments arguments(context.args);
  std::string styleText;
  const bool haveStyle = arguments.takeOption("--style", styleText);
  const auto files = arguments.positionals(1, 1);
  int style = 2;
  if (haveStyle) {
    const std::optional<int> number = parseNumber<int>(styleText);
    if (!number) throw UsageError{"--style needs a whole number: " + styleText};
    style = *number;
  }
  std::error_code code;
  const std::string picture = std::filesystem::absolute(files[0], code).lexically_normal().string();

  // D-Bus and the configuration tools are reached through Qt, which wants an application object.
  std::optional<QCoreApplication> application;
  int argc = 1;
  char program[] = "kalvory-cli";
  char* argv[] = {program, nullptr};
  if (QCoreApplication::instance() == nullptr) application.emplace(argc, argv);

  // Configured desktops are handed their copies in the data folder, as the program does.
  const std::string dataFolder = dataFolderPath();
  std::filesystem::create_directories(dataFolder, code);
  SessionWallpaper setter(dataFolder);
  if (const Result<void> set = setter.SetWallpaper(picture, style); !set.ok()) {
    return context.refuse(files[0] + ": " + set.error());
  }
  context.out << "wallpaper set (" << WallpaperBackendName(setter.backend()) << "): " << picture << "\n";
  return kExitOk;
}

const Registration registration{
    {"set-wallpaper", "set-wallpaper FILE [--style N]",
     "Makes FILE the desktop picture with this desktop's setter (GNOME, KDE Plasma, XFCE from "
     "$XDG_CURRENT_DESKTOP; else on Wayland the Wallpaper portal, on X11 the X root window); style 0 "
     "centre, 1 tile, 2 stretch (the default; the portal leaves the placing to the desktop).",
     runSetWallpaper}};

}  // namespace
}  // namespace kalvory::cli
