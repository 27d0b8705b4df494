#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <map>

#include "platform/x11/hotkey_service.h"

namespace kalvory {

// The name and description a hotkey has in the desktop's shortcut settings.
struct PortalShortcutText {
  QString id;  // stable: the desktop remembers the user's own key under it
  QString description;
};

// The preferred trigger of a key in the portal's notation: "CTRL+SHIFT+q", "CTRL+SHIFT+minus".
QString portalTrigger(unsigned modifiers, std::uint32_t keysym);

// Global hotkeys on a Wayland session through org.freedesktop.portal.GlobalShortcuts: the keys
// asked for one after another are bound together, in one session, once the caller is done (the
// desktop shows the user one question for all of them). The desktop may give other keys than the
// preferred ones; Activated runs the command whatever key the user chose. A refusal arrives later
// and is told through `failed`.
class PortalHotkeyService final : public HotkeyService {
  Q_OBJECT
 public:
  explicit PortalHotkeyService(const QDBusConnection& bus, QObject* parent = nullptr);
  ~PortalHotkeyService() override;

  std::function<PortalShortcutText(int id)> texts;

  bool registerHotkey(int id, unsigned modifiers, std::uint32_t keysym, HotkeyFailure* failure) override;
  void unregisterHotkey(int id) override;
  void unregisterAll() override;
  bool tellsReleases() const override { return true; }

  // The shortcut ids the desktop confirmed, once bound.
  const QStringList& boundIds() const { return boundIds_; }

 signals:
  void bound();

 private slots:
  void sessionCreated(uint response, const QVariantMap& results);
  void shortcutsBound(uint response, const QVariantMap& results);
  void shortcutActivated(const QDBusMessage& message);
  void shortcutDeactivated(const QDBusMessage& message);

 private:
  struct Key {
    QString id;
    QString description;
    QString trigger;
  };
  void start();
  void bind();
  // Calls a portal method that answers through a Request object; `slot` gets its Response.
  void request(const QString& method, const QList<QVariant>& arguments, const QString& token, const char* slot);
  void listenForResponse(const QString& path, const char* slot);
  void stopListening();
  void fail(const QString& reason);
  void closeSession();

  QDBusConnection bus_;
  std::map<int, Key> keys_;
  bool startQueued_ = false;
  QString session_;
  QString pendingRequest_;  // the request object whose Response is awaited
  const char* pendingSlot_ = nullptr;
  QStringList boundIds_;
  int tokenCounter_ = 0;
};

}  // namespace kalvory
