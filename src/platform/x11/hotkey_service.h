#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace kalvory {

// Modifier bits of a global hotkey.
enum HotkeyModifier : unsigned {
  kHotkeyControl = 1,
  kHotkeyShift = 2,
  kHotkeyAlt = 4,
  kHotkeySuper = 8,
};

// Why a hotkey could not be had: a number and the display server's reason.
struct HotkeyFailure {
  int code = 0;
  QString reason;
};

// Keys that act wherever the keyboard focus is. Keys are X keysyms (XK_q is 0x71).
class HotkeyService : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  // Takes the key for the whole desktop; on failure fills `failure` and returns false, and
  // the key is not held at all.
  virtual bool registerHotkey(int id, unsigned modifiers, std::uint32_t keysym, HotkeyFailure* failure) = 0;
  virtual void unregisterHotkey(int id) = 0;
  virtual void unregisterAll() = 0;
  // False when no key can be had at all in this session (then asking for each is pointless).
  virtual bool available() const { return true; }
  // Whether `released` says when the user lets go of a key that was activated.
  virtual bool tellsReleases() const { return false; }

 signals:
  void activated(int id);
  void released(int id);
  // The keys asked for could not be had after all (a service that answers later).
  void failed(const QString& reason);
};

// Grabs keys on the X root window through Qt's own xcb connection, once for every
// combination of NumLock and CapsLock so that those locks never hide a hotkey.
class XcbHotkeyService final : public HotkeyService {
  Q_OBJECT
 public:
  explicit XcbHotkeyService(QObject* parent = nullptr);
  ~XcbHotkeyService() override;

  // False when the program has no X11 connection (offscreen, or Wayland without XWayland).
  bool hasDisplay() const;

  bool registerHotkey(int id, unsigned modifiers, std::uint32_t keysym, HotkeyFailure* failure) override;
  void unregisterHotkey(int id) override;
  void unregisterAll() override;
  bool available() const override { return hasDisplay(); }

 private:
  class EventFilter;
  friend class EventFilter;
  struct Grab {
    unsigned modifiers = 0;  // X modifier mask without the lock bits
    std::vector<std::uint8_t> keycodes;
  };
  bool handleKeyPress(std::uint8_t keycode, std::uint16_t state);
  std::vector<std::uint16_t> lockVariants() const;
  void ungrab(const Grab& grab);

  void* connection_ = nullptr;  // xcb_connection_t*, owned by Qt
  std::uint32_t root_ = 0;
  std::uint16_t numLockMask_ = 0;
  std::map<int, Grab> grabs_;
  EventFilter* filter_ = nullptr;
};

// A stand-in for tests: keys listed in `taken` fail as if another program held them.
class FakeHotkeyService final : public HotkeyService {
  Q_OBJECT
 public:
  using HotkeyService::HotkeyService;
  bool registerHotkey(int id, unsigned modifiers, std::uint32_t keysym, HotkeyFailure* failure) override;
  void unregisterHotkey(int id) override { registered.erase(id); }
  void unregisterAll() override { registered.clear(); }
  // Delivers a press of the registered hotkey `id`; false when it is not registered.
  bool press(int id);
  bool available() const override { return !unavailable; }
  bool tellsReleases() const override { return releases; }

  bool unavailable = false;
  bool releases = false;
  struct Key {
    unsigned modifiers;
    std::uint32_t keysym;
    auto operator<=>(const Key&) const = default;
  };
  std::set<Key> taken;
  std::map<int, Key> registered;
  std::vector<int> registrationOrder;
};

}  // namespace kalvory
