#include "platform/session/shortcuts_portal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QLoggingCategory>
#include <QTimer>

namespace {

// One shortcut as the portal takes it: (s id, a{sv} properties).
struct PortalShortcutEntry {
  QString id;
  QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcutEntry& entry) {
  argument.beginStructure();
  argument << entry.id << entry.properties;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcutEntry& entry) {
  argument.beginStructure();
  argument >> entry.id >> entry.properties;
  argument.endStructure();
  return argument;
}

}  // namespace

Q_DECLARE_METATYPE(PortalShortcutEntry)

namespace kalvory {

Q_LOGGING_CATEGORY(lcShortcutsPortal, "kalvory.hotkeys.portal", QtInfoMsg)

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

QString keyName(std::uint32_t keysym) {
  if (keysym == 0x2d) return QStringLiteral("minus");
  if (keysym >= 0x21 && keysym <= 0x7e) return QString(QChar(char16_t(keysym)));
  return QStringLiteral("0x%1").arg(keysym, 0, 16);
}

}  // namespace

QString portalTrigger(unsigned modifiers, std::uint32_t keysym) {
  QStringList parts;
  if (modifiers & kHotkeyControl) parts << QStringLiteral("CTRL");
  if (modifiers & kHotkeyShift) parts << QStringLiteral("SHIFT");
  if (modifiers & kHotkeyAlt) parts << QStringLiteral("ALT");
  if (modifiers & kHotkeySuper) parts << QStringLiteral("LOGO");
  parts << keyName(keysym);
  return parts.join(u'+');
}

PortalHotkeyService::PortalHotkeyService(const QDBusConnection& bus, QObject* parent)
    : HotkeyService(parent), bus_(bus) {
  qDBusRegisterMetaType<PortalShortcutEntry>();
  qDBusRegisterMetaType<QList<PortalShortcutEntry>>();
  const bool listening = bus_.connect(kPortalService, kPortalPath, kShortcutsInterface, QStringLiteral("Activated"),
                                      this, SLOT(shortcutActivated(QDBusMessage)));
  if (!listening) qCWarning(lcShortcutsPortal) << "cannot listen to Activated:" << bus_.lastError().message();
  bus_.connect(kPortalService, kPortalPath, kShortcutsInterface, QStringLiteral("Deactivated"), this,
               SLOT(shortcutDeactivated(QDBusMessage)));
}

PortalHotkeyService::~PortalHotkeyService() { closeSession(); }

bool PortalHotkeyService::registerHotkey(int id, unsigned modifiers, std::uint32_t keysym, HotkeyFailure* failure) {
  if (!bus_.isConnected()) {
    if (failure) *failure = {1, QStringLiteral("no session bus")};
    return false;
  }
  const PortalShortcutText text = texts ? texts(id) : PortalShortcutText{QString::number(id), QString()};
  keys_[id] = Key{text.id, text.description, portalTrigger(modifiers, keysym)};
  // The keys asked for together go to the desktop together, once the caller is done.
  if (!startQueued_) {
    startQueued_ = true;
    QTimer::singleShot(0, this, [this] {
      startQueued_ = false;
      start();
    });
  }
  return true;
}

void PortalHotkeyService::unregisterHotkey(int id) { keys_.erase(id); }

void PortalHotkeyService::unregisterAll() {
  keys_.clear();
  closeSession();
}

void PortalHotkeyService::start() {
  if (keys_.empty()) return;
  if (!session_.isEmpty()) {
    bind();
    return;
  }
  const QString token = QStringLiteral("kalvory_session%1").arg(++tokenCounter_);
  QVariantMap options{{QStringLiteral("handle_token"), QStringLiteral("kalvory%1").arg(tokenCounter_)},
                      {QStringLiteral("session_handle_token"), token}};
  request(QStringLiteral("CreateSession"), {options}, options.value(QStringLiteral("handle_token")).toString(),
          SLOT(sessionCreated(uint, QVariantMap)));
}

void PortalHotkeyService::bind() {
  QList<PortalShortcutEntry> entries;
  for (const auto& [id, key] : keys_)
    entries.push_back(
        {key.id,
         {{QStringLiteral("description"), key.description}, {QStringLiteral("preferred_trigger"), key.trigger}}});
  const QString token = QStringLiteral("kalvory%1").arg(++tokenCounter_);
  request(QStringLiteral("BindShortcuts"),
          {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(entries), QString(),
           QVariantMap{{QStringLiteral("handle_token"), token}}},
          token, SLOT(shortcutsBound(uint, QVariantMap)));
}

void PortalHotkeyService::request(const QString& method, const QList<QVariant>& arguments, const QString& token,
                                  const char* slot) {
  // The answer comes as a signal on a request object whose path is known before the call
  // (sender and token); listening first means it cannot be missed.
  QString sender = bus_.baseService().mid(1);
  sender.replace(u'.', u'_');
  listenForResponse(kPortalPath + QStringLiteral("/request/") + sender + u'/' + token, slot);
  QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kShortcutsInterface, method);
  call.setArguments(arguments);
  // Asynchronous: a slow or hung portal must never hold up the program's clock and windows.
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, 25000), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, method, slot] {
    watcher->deleteLater();
    const QDBusMessage reply = watcher->reply();
    if (reply.type() != QDBusMessage::ReplyMessage) {
      stopListening();
      fail(QStringLiteral("%1: %2").arg(method, reply.errorMessage()));
      return;
    }
    // An older portal may choose its own path.
    const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != pendingRequest_ && !pendingRequest_.isEmpty()) listenForResponse(handle, slot);
  });
}

void PortalHotkeyService::listenForResponse(const QString& path, const char* slot) {
  stopListening();
  pendingRequest_ = path;
  pendingSlot_ = slot;
  bus_.connect(kPortalService, path, kRequestInterface, QStringLiteral("Response"), this, slot);
}

void PortalHotkeyService::stopListening() {
  if (pendingRequest_.isEmpty()) return;
  bus_.disconnect(kPortalService, pendingRequest_, kRequestInterface, QStringLiteral("Response"), this, pendingSlot_);
  pendingRequest_.clear();
  pendingSlot_ = nullptr;
}

void PortalHotkeyService::sessionCreated(uint response, const QVariantMap& results) {
  stopListening();
  const QVariant handle = results.value(QStringLiteral("session_handle"));
  session_ = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path() : handle.toString();
  if (response != 0 || session_.isEmpty()) {
    session_.clear();
    fail(QStringLiteral("CreateSession answered %1").arg(response));
    return;
  }
  bind();
}

void PortalHotkeyService::shortcutsBound(uint response, const QVariantMap& results) {
  stopListening();
  if (response != 0) {
    // 1: the user said no; 2: anything else.
    fail(response == 1 ? QStringLiteral("the user declined the shortcuts")
                       : QStringLiteral("BindShortcuts answered %1").arg(response));
    return;
  }
  boundIds_.clear();
  QList<PortalShortcutEntry> entries;
  const QVariant shortcuts = results.value(QStringLiteral("shortcuts"));
  if (shortcuts.canConvert<QDBusArgument>()) shortcuts.value<QDBusArgument>() >> entries;
  for (const PortalShortcutEntry& entry : entries) boundIds_ << entry.id;
  qCInfo(lcShortcutsPortal) << "bound" << boundIds_;
  emit bound();
}

void PortalHotkeyService::shortcutActivated(const QDBusMessage& message) {
  // (o session_handle, s shortcut_id, t timestamp, a{sv} options); only this session's keys count.
  const QList<QVariant> arguments = message.arguments();
  if (arguments.size() < 2 || arguments[0].value<QDBusObjectPath>().path() != session_) return;
  const QString shortcutId = arguments[1].toString();
  for (const auto& [id, key] : keys_)
    if (key.id == shortcutId) emit activated(id);
}

void PortalHotkeyService::shortcutDeactivated(const QDBusMessage& message) {
  // The key was let go: (o session_handle, s shortcut_id, t timestamp, a{sv} options).
  const QList<QVariant> arguments = message.arguments();
  if (arguments.size() < 2 || arguments[0].value<QDBusObjectPath>().path() != session_) return;
  const QString shortcutId = arguments[1].toString();
  for (const auto& [id, key] : keys_)
    if (key.id == shortcutId) emit released(id);
}

void PortalHotkeyService::fail(const QString& reason) {
  qCWarning(lcShortcutsPortal) << reason;
  emit failed(reason);
}

void PortalHotkeyService::closeSession() {
  if (session_.isEmpty()) return;
  if (bus_.isConnected())
    bus_.send(QDBusMessage::createMethodCall(kPortalService, session_, QStringLiteral("org.freedesktop.portal.Session"),
                                             QStringLiteral("Close")));
  session_.clear();
}

}  // namespace kalvory
