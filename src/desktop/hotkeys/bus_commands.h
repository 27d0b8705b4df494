#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace kalvory {

class ActionRegistry;
class CommandBusServer;
class HotkeyService;
class PasteInjector;
struct DesktopSession;

// A command of the running program that anyone may call by name, over D-Bus or with
// "kalvory --command NAME": every command of the global hotkeys and a few windows more.
struct BusCommand {
  const char* name;
  int command;   // the action registry's id
  int hotkeyId;  // the global hotkey that runs it; 0 for none
  const char* description;
};

extern const BusCommand kBusCommands[];
extern const int kBusCommandCount;

std::optional<int> busCommandId(const QString& name);
QStringList busCommandNames();
// The command a global hotkey runs, by the hotkey's id.
const BusCommand* busCommandOfHotkey(int hotkeyId);

// "kalvory --command NAME" (or "list"): calls the running copy on the session bus. Needs a
// QCoreApplication; returns the process's exit code, having printed what the user must know.
int runCommandOption(const QString& name);

// The running program's side: the commands on the session bus, run through `actions`. Null with
// `problem` when the bus or the name is not to be had.
std::unique_ptr<CommandBusServer> publishBusCommands(ActionRegistry& actions, QString* problem);

// The global hotkeys' service for this session: X11 key grabs, or the GlobalShortcuts portal on a
// native Wayland session that offers it.
std::unique_ptr<HotkeyService> createHotkeyService(const DesktopSession& session);
// The paste's keystroke for `session` (see pasteBackendOf): XTest, the RemoteDesktop portal, or
// none, which leaves the text on the clipboard for the user's Ctrl+V.
std::unique_ptr<PasteInjector> createPasteInjector(const DesktopSession& session);

}  // namespace kalvory
