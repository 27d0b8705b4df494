#pragma once

#include <QString>

namespace kalvory {

// The program's entry in the desktop's menus and its claim on "*.alr" files.
struct DesktopIntegration {
  // The folder that receives applications/, mime/packages/ and icons/ ($XDG_DATA_HOME or
  // ~/.local/share).
  static QString userDataHome();
  // The desktop entry with `executable` as the program to run.
  static QString desktopEntry(const QString& executable);
  static QString mimeTypeXml();
  // Writes the per-user copies under `dataHome` and asks the desktop's caches to update when
  // their tools are present. Returns an empty string on success, else what failed.
  static QString install(const QString& dataHome, const QString& executable);
};

}  // namespace kalvory
