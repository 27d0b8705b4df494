#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

#include "core/common/date_time.h"
#include "core/common/error_reporter.h"

namespace kalvory {

class ActionRegistry;
class CAlarmDoc;
class HotkeyService;
class MediaPlayerInfo;
class PasteInjector;

// The program's keys for the whole desktop (Ctrl+Shift+Q, 1, 2, 3, minus, A and W), each
// running a registered command, and the commands that put dates on the clipboard: "Copy date"
// and the three QuickPaste texts.
class GlobalHotkeys final : public QObject {
  Q_OBJECT
 public:
  struct Services {
    HotkeyService* hotkeys = nullptr;  // null: no global keys
    PasteInjector* paste = nullptr;    // null: QuickPaste only fills the clipboard, silently
    ErrorReporter* errors = nullptr;
    Clock clock;
    MediaPlayerInfo* player = nullptr;  // the song codes of QuickPaste; null: no player
    // Tells the user once that the session gives no global keys, and what to do instead (and,
    // once, that a paste waits on the clipboard for Ctrl+V); null: a message box that does not
    // block.
    std::function<void(const QString&)> notice;
    // Whether the X11 keys are heard only while an X11 program has the focus (Qt on XWayland in
    // a Wayland session); unset: found from the session.
    std::optional<bool> keysOnlyInX11Programs;
    // How long a paste started by a key waits for the user to let it go, where the hotkeys
    // service tells releases (the desktop's shortcuts portal).
    int releasePatienceMilliseconds = 2000;
  };

  GlobalHotkeys(const CAlarmDoc& document, ActionRegistry& actions, Services services, QObject* parent = nullptr);
  ~GlobalHotkeys() override;

  // Takes the keys (once per process, however often the program is activated); a key another
  // program holds is reported and the rest are still taken.
  void registerAll();
  void unregisterAll();
  bool holdsKeys() const { return holdsKeys_; }
  // The text the user was told when the session had no global keys; empty when none was needed.
  const QString& unavailableNotice() const { return unavailableNotice_; }
  // The text the user was told when a paste could not be typed; empty while none failed.
  const QString& pasteNotice() const { return pasteNotice_; }

  void CopyDate();
  void QuickPaste(int index);

 private:
  COleDateTime now() const;
  void pasteNow(int index);
  void reportUnavailable(const QString& reason);
  void reportPasteByHand(const QString& reason);
  void typePaste();
  void showNotice(const QString& text, const QString& objectName);

  const CAlarmDoc& document_;
  ActionRegistry& actions_;
  Services services_;
  bool holdsKeys_ = false;
  QString unavailableNotice_;
  QString pasteNotice_;
  int heldHotkey_ = 0;         // a key whose release a paste waits for
  bool pasteWaiting_ = false;  // the keystroke waits for that release
  QTimer releasePatience_;
};

}  // namespace kalvory
