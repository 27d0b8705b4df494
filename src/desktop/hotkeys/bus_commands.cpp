#include "desktop/hotkeys/bus_commands.h"

#include <QDBusConnection>
#include <QFileInfo>
#include <cstdio>

#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "platform/session/command_bus.h"
#include "platform/session/desktop_session.h"
#include "platform/session/remote_desktop_paste.h"
#include "platform/session/shortcuts_portal.h"
#include "platform/session/virtual_keyboard_paste.h"
#include "platform/settings/ini_settings_store.h"
#include "platform/x11/hotkey_service.h"
#include "platform/x11/synthetic_paste.h"

namespace kalvory {

// The names are the program's interface to the user's key bindings and scripts: never rename one.
const BusCommand kBusCommands[] = {
    {"show-clock", ID_SHOW_CLOCK, HOTKEY_CLOCK, "Show or hide the on-screen clock"},
    {"quick-paste-1", ID_QUICK_PASTE_1, HOTKEY_PASTE_1, "QuickPaste 1: paste the first date text"},
    {"quick-paste-2", ID_QUICK_PASTE_1 + 1, HOTKEY_PASTE_2, "QuickPaste 2: paste the second date text"},
    {"quick-paste-3", ID_QUICK_PASTE_1 + 2, HOTKEY_PASTE_3, "QuickPaste 3: paste the third date text"},
    {"turn-off", ID_TURN_OFF, HOTKEY_TURN_OFF, "Turn off the computer"},
    {"show-hide", ID_SHOW_HIDE, HOTKEY_SHOW_HIDE, "Show or hide the main window"},
    {"change-wallpaper", ID_CHANGE_WALLPAPER_NOW, HOTKEY_WALLPAPER, "Change the wallpaper now"},
    {"copy-date", ID_COPY_DATE, 0, "Copy the date to the clipboard"},
    {"stopwatch", ID_STOPWATCH, 0, "Open the stopwatch"},
    {"stopwatch-restart", ID_STOPWATCH_RESTART, 0, "Restart the stopwatch (opens it when closed)"},
    {"stopwatch-hold", ID_STOPWATCH_HOLD, 0, "Hold or release the stopwatch's display"},
    {"reminders", ID_REMINDERS, 0, "Open the reminder lists"},
    {"configuration", ID_CONFIGURATION, 0, "Open the configuration"},
    {"exit", ID_APP_EXIT, 0, "Exit the program"},
};
const int kBusCommandCount = int(std::size(kBusCommands));

std::optional<int> busCommandId(const QString& name) {
  for (const BusCommand& command : kBusCommands)
    if (name == QLatin1String(command.name)) return command.command;
  return std::nullopt;
}

QStringList busCommandNames() {
  QStringList names;
  for (const BusCommand& command : kBusCommands) names << QLatin1String(command.name);
  return names;
}

const BusCommand* busCommandOfHotkey(int hotkeyId) {
  for (const BusCommand& command : kBusCommands)
    if (command.hotkeyId != 0 && command.hotkeyId == hotkeyId) return &command;
  return nullptr;
}

int runCommandOption(const QString& name) {
  if (name == QLatin1String("list")) {
    for (const BusCommand& command : kBusCommands) std::printf("%-17s %s\n", command.name, command.description);
    return 0;
  }
  // An unknown name is told without a running copy, and before the bus is asked.
  if (!busCommandId(name)) {
    std::fprintf(stderr, "kalvory: unknown command \"%s\"; the commands are: %s\n", name.toLocal8Bit().constData(),
                 busCommandNames().join(u' ').toLocal8Bit().constData());
    return 2;
  }
  const CommandCallOutcome outcome = callRunningProgram(QDBusConnection::sessionBus(), name);
  if (!outcome.output.isEmpty()) std::fputs(outcome.output.toLocal8Bit().constData(), stdout);
  if (!outcome.error.isEmpty()) std::fprintf(stderr, "kalvory: %s\n", outcome.error.toLocal8Bit().constData());
  return outcome.exitCode;
}

std::unique_ptr<CommandBusServer> publishBusCommands(ActionRegistry& actions, QString* problem) {
  auto server = std::make_unique<CommandBusServer>(busCommandNames(), [&actions](const QString& name) {
    if (const auto id = busCommandId(name)) actions.runCommand(*id);
  });
  if (!server->publish(QDBusConnection::sessionBus(), problem)) return nullptr;
  return server;
}

std::unique_ptr<HotkeyService> createHotkeyService(const DesktopSession& session) {
  // Through XWayland too: the portal hears the keys in every program, an X11 grab only in X11 ones.
  if ((session.nativeWayland() || session.throughXWayland()) && session.portals.globalShortcuts) {
    auto portal = std::make_unique<PortalHotkeyService>(QDBusConnection::sessionBus());
    portal->texts = [](int hotkeyId) {
      const BusCommand* command = busCommandOfHotkey(hotkeyId);
      return command ? PortalShortcutText{QLatin1String(command->name), QLatin1String(command->description)}
                     : PortalShortcutText{QString::number(hotkeyId), QString()};
    };
    return portal;
  }
  return std::make_unique<XcbHotkeyService>();
}

std::unique_ptr<PasteInjector> createPasteInjector(const DesktopSession& session) {
  switch (pasteBackendOf(session)) {
    case PasteBackend::RemoteDesktopPortal:
      // The desktop's permission to type is kept beside the settings, for the next run.
      return std::make_unique<RemoteDesktopPasteInjector>(
          QDBusConnection::sessionBus(), session.portals.remoteDesktop,
          QFileInfo(QString::fromStdString(defaultSettingsFilePath())).absolutePath() +
              QStringLiteral("/remote-desktop-token"));
    case PasteBackend::VirtualKeyboard:
      return std::make_unique<VirtualKeyboardPasteInjector>();
    case PasteBackend::ClipboardOnly:
      return std::make_unique<ClipboardOnlyPaste>();
    case PasteBackend::XTest:
    case PasteBackend::XTestX11ProgramsOnly:
      break;
  }
  return std::make_unique<XTestPasteInjector>();
}

}  // namespace kalvory
