#pragma once

#include <QString>

namespace kalvory {

// "Launch Kalvory on startup" on a Linux desktop: an XDG autostart entry
// $XDG_CONFIG_HOME/autostart/kalvory.desktop (~/.config when the variable is unset or relative).
QString autostartEntryPath();
bool autostartEnabled();
// Writes the entry starting `program` with "--autostart" (reopen the last document, start in the
// tray), or removes it. False when the file could not be written
// or removed.
bool setAutostart(bool enabled, const QString& program);

}  // namespace kalvory
