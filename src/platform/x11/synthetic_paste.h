#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace kalvory {

// Makes whatever window has the keyboard focus, in any program, paste the clipboard.
class PasteInjector {
 public:
  virtual ~PasteInjector() = default;
  // Asks for the paste once the clipboard holds the text to paste; the keystroke itself may
  // follow a moment later. False when no keystroke can be sent (no X11 display, a session that
  // lets no program type into another).
  virtual bool paste() = 0;

  // Holds `text` as the clipboard's selection by the injector's own means, for sessions whose
  // compositor refuses the toolkit's clipboard to a program without the keyboard focus (a
  // hotkey's program never has it); nothing where the toolkit's clipboard is enough.
  virtual void holdClipboardText(const QString& /*text*/) {}

  // Called, with the reason, when a paste that paste() accepted could not be typed after all (a
  // desktop that asks the user first and was refused); set by whoever asks for pastes.
  std::function<void(const QString& reason)> undelivered;
};

// A session where no program may type into another: the text stays on the clipboard for the
// user's own Ctrl+V.
class ClipboardOnlyPaste final : public PasteInjector {
 public:
  bool paste() override { return false; }
};

// Sends Ctrl+V through the XTest extension, but only once the keyboard is free. The paste is
// started by a Ctrl+Shift hotkey whose keys are still down when it fires, and while the hotkey's
// own key is down the X server sends every key to this program (the key grab is active), while
// Shift turns the keystroke into Ctrl+Shift+V, which means something else in most programs.
// A key the user holds cannot be let go by XTest on a real keyboard (the server ignores a
// release from another device), so the keystroke waits until no key is down and the clipboard
// is this program's to serve; a user who keeps holding the keys gets the paste after a while
// anyway, with the grab ended and whatever XTest can let go released. A paste asked for while
// one waits is the same paste: the clipboard holds only the newest text.
class XTestPasteInjector final : public QObject, public PasteInjector {
  Q_OBJECT
 public:
  // `patience`: how long the keystroke waits for the keys to be let go.
  explicit XTestPasteInjector(int patienceMilliseconds = 2000, QObject* parent = nullptr);
  bool paste() override;

  bool waiting() const { return poll_.isActive(); }

 signals:
  // The keystroke went out.
  void sent();

 private:
  void check();
  bool send(bool keysStillDown);

  int patience_;
  QTimer poll_;
  QDeadlineTimer deadline_;
};

// Counts requests; for tests. `delivers` false: a session where nothing can type.
class FakePasteInjector final : public PasteInjector {
 public:
  bool paste() override {
    ++count;
    return delivers;
  }
  int count = 0;
  bool delivers = true;
};

}  // namespace kalvory
