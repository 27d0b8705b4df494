#pragma once

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

}  // namespace kalvory
