#pragma once

#include <QKeySequence>
#include <QString>
#include <optional>

namespace kalvory {

// Command identifiers shared by the menus, the tray menu, the hotkeys and the caption.
enum CommandId : int {
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_SAVE = 57603,
  ID_FILE_SAVE_AS = 57604,
  ID_FILE_MRU_FILE1 = 57616,  // to 57619 for the four recent documents
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
  ID_COPY_DATE = 186,
  ID_SHOW_CLOCK = 32777,
  ID_SHOW_HIDE = 32779,
  ID_LOAD_LAST_DOCUMENT = 32780,
  ID_CALENDAR_IN_TRAY = 32781,
  ID_SPECIAL_SYMBOLS = 32782,
  ID_TURN_OFF = 32784,
  ID_LANGUAGE_RUSSIAN = 32785,
  ID_LANGUAGE_ENGLISH = 32786,
  ID_LANGUAGE_UKRAINIAN = 32814,
  ID_STATUS_BAR = 32788,
  ID_CONFIGURATION = 32789,
  ID_REMINDERS = 32790,
  ID_STOPWATCH = 32800,
  ID_LIST_ADD = 159,
  ID_LIST_DELETE = 160,
  ID_LIST_MODIFY = 161,
  ID_LIST_ACTIVE = 162,
  // File > Import/Export of iCalendar files.
  ID_FILE_IMPORT_ICS = 40020,
  ID_FILE_EXPORT_ICS = 40021,
  // Commands reached only through global hotkeys; no menu names them.
  ID_QUICK_PASTE_1 = 40001,  // to 40003
  ID_CHANGE_WALLPAPER_NOW = 40010,
  // The stopwatch's own keys (Ctrl+F2 restarts, Ctrl+F3 holds), for the desktop's key bindings.
  ID_STOPWATCH_RESTART = 40011,
  ID_STOPWATCH_HOLD = 40012,
};

inline constexpr int kRecentFileCount = 4;

// Global hotkeys, registered in this order.
enum HotkeyId : int {
  HOTKEY_CLOCK = 10001,
  HOTKEY_PASTE_1 = 10002,
  HOTKEY_PASTE_2 = 10003,
  HOTKEY_PASTE_3 = 10004,
  HOTKEY_TURN_OFF = 10010,
  HOTKEY_SHOW_HIDE = 10011,
  HOTKEY_WALLPAPER = 10012,
};

// One key of the program: a global hotkey (Ctrl+Shift+key, everywhere) or a key of the main
// window. The menus show its name beside the command it runs.
struct CommandShortcut {
  int command;
  QKeySequence keys;
  int hotkeyId;         // 0: a key of the main window only
  unsigned keysym = 0;  // the X keysym of a global hotkey's key
};

// Every key of the program, in the order the global hotkeys are registered.
inline const CommandShortcut kCommandShortcuts[] = {
    {ID_SHOW_CLOCK, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Q), HOTKEY_CLOCK, 0x71},
    {ID_QUICK_PASTE_1, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_1), HOTKEY_PASTE_1, 0x31},
    {ID_QUICK_PASTE_1 + 1, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_2), HOTKEY_PASTE_2, 0x32},
    {ID_QUICK_PASTE_1 + 2, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_3), HOTKEY_PASTE_3, 0x33},
    {ID_TURN_OFF, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Minus), HOTKEY_TURN_OFF, 0x2d},
    {ID_SHOW_HIDE, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A), HOTKEY_SHOW_HIDE, 0x61},
    {ID_CHANGE_WALLPAPER_NOW, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W), HOTKEY_WALLPAPER, 0x77},
    {ID_FILE_NEW, QKeySequence(Qt::CTRL | Qt::Key_N), 0},
    {ID_FILE_OPEN, QKeySequence(Qt::CTRL | Qt::Key_O), 0},
    {ID_FILE_SAVE, QKeySequence(Qt::CTRL | Qt::Key_S), 0},
    {ID_REMINDERS, QKeySequence(Qt::SHIFT | Qt::Key_R), 0},
    {ID_STOPWATCH, QKeySequence(Qt::CTRL | Qt::Key_F2), 0},
    {ID_LANGUAGE_RUSSIAN, QKeySequence(Qt::ALT | Qt::Key_Plus), 0},
};

// The shortcut of a command, if it has one.
inline std::optional<CommandShortcut> shortcutFor(int command) {
  for (const CommandShortcut& shortcut : kCommandShortcuts)
    if (shortcut.command == command) return shortcut;
  return std::nullopt;
}

// The interface language a language command chooses (0 Russian, 1 English, 2 Ukrainian), and
// back; -1 and 0 for anything else.
inline constexpr struct {
  int command;
  int language;
} kLanguageCommands[] = {{ID_LANGUAGE_RUSSIAN, 0}, {ID_LANGUAGE_ENGLISH, 1}, {ID_LANGUAGE_UKRAINIAN, 2}};

inline int languageOfCommand(int command) {
  for (const auto& entry : kLanguageCommands)
    if (entry.command == command) return entry.language;
  return -1;
}

}  // namespace kalvory
