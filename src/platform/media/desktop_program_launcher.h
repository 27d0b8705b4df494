#pragma once

#include <QUrl>
#include <functional>
#include <string>

#include "core/alarms/action_services.h"

namespace kalvory {

// A reminder's program the way the desktop opens things: a program is started detached, its
// parameters split the way a shell would (double quotes keep blanks together); an existing
// document or folder (a path that is not an executable file), or an address such as
// "https://…", goes to the desktop's opener (xdg-open behind QDesktopServices).
class DesktopProgramLauncher final : public ProgramLauncher {
 public:
  // Opens a document, folder or address; false when nothing could open it.
  using Opener = std::function<bool(const QUrl&)>;

  // The desktop's opener: QDesktopServices in a GUI program, else xdg-open started detached.
  static bool openWithDesktop(const QUrl& url);

  explicit DesktopProgramLauncher(Opener opener = &DesktopProgramLauncher::openWithDesktop)
      : opener_(std::move(opener)) {}

  bool open(const std::string& file, const std::string& parameters) override;

 private:
  Opener opener_;
};

}  // namespace kalvory
