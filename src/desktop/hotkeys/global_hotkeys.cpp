#include "desktop/hotkeys/global_hotkeys.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPointer>
#include <optional>
#include <stdexcept>

#include "core/clock/media_player_info.h"
#include "core/clock/time_format.h"
#include "core/common/strftime.h"
#include "core/model/alarm_doc.h"
#include "core/resources/resource_strings.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/now_from.h"
#include "desktop/common/qt_text.h"
#include "platform/session/desktop_session.h"
#include "platform/session/shortcuts_portal.h"
#include "platform/x11/hotkey_service.h"
#include "platform/x11/synthetic_paste.h"

namespace kalvory {

Q_LOGGING_CATEGORY(lcHotkeys, "kalvory.hotkeys", QtInfoMsg)

namespace {

// X grabs belong to the process: a second activation must not ask for them again.
bool keysTakenByThisProcess = false;

void setClipboardText(const QString& text) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text, QClipboard::Clipboard);
}

}  // namespace

GlobalHotkeys::GlobalHotkeys(const CAlarmDoc& document, ActionRegistry& actions, Services services, QObject* parent)
    : QObject(parent), document_(document), actions_(actions), services_(std::move(services)) {
  actions_.add(ID_COPY_DATE, [this] { CopyDate(); });
  for (int index = 0; index < 3; ++index) actions_.add(ID_QUICK_PASTE_1 + index, [this, index] { QuickPaste(index); });
  if (services_.hotkeys) {
    connect(services_.hotkeys, &HotkeyService::activated, this, [this](int hotkeyId) {
      // A desktop's shortcut fires while its keys are down: a paste it starts must not be typed
      // with the user's Shift still held (Ctrl+Shift+V means something else in many programs).
      for (const CommandShortcut& shortcut : kCommandShortcuts) {
        if (shortcut.hotkeyId != hotkeyId) continue;
        const bool pastes = int(shortcut.command) >= ID_QUICK_PASTE_1 && int(shortcut.command) < ID_QUICK_PASTE_1 + 3;
        if (pastes && services_.hotkeys->tellsReleases()) heldHotkey_ = hotkeyId;
        actions_.runCommand(shortcut.command);
      }
    });
    connect(services_.hotkeys, &HotkeyService::released, this, [this](int hotkeyId) {
      if (hotkeyId != heldHotkey_) return;
      heldHotkey_ = 0;
      if (pasteWaiting_) typePaste();
    });
    connect(services_.hotkeys, &HotkeyService::failed, this, [this](const QString& reason) {
      reportUnavailable(toQString(loadString(StringId::HotkeysPortalFailed, actions_.uiLanguage()))
                            .replace(QLatin1String("%s"), reason));
    });
  }
  releasePatience_.setSingleShot(true);
  releasePatience_.setInterval(services_.releasePatienceMilliseconds);
  // A user who keeps holding the keys gets the paste anyway, a while later.
  connect(&releasePatience_, &QTimer::timeout, this, [this] {
    heldHotkey_ = 0;
    if (pasteWaiting_) typePaste();
  });
  // A paste the desktop refuses later (it asked the user) is told like one refused at once.
  if (services_.paste)
    services_.paste->undelivered = [self = QPointer<GlobalHotkeys>(this)](const QString& reason) {
      if (self) self->reportPasteByHand(reason);
    };
}

GlobalHotkeys::~GlobalHotkeys() {
  if (services_.paste) services_.paste->undelivered = nullptr;
  unregisterAll();
}

COleDateTime GlobalHotkeys::now() const { return nowFrom(services_.clock); }

void GlobalHotkeys::registerAll() {
  if (keysTakenByThisProcess || !services_.hotkeys) return;
  keysTakenByThisProcess = true;
  holdsKeys_ = true;
  // A session without any global keys is told once, not once per key.
  if (!services_.hotkeys->available()) {
    reportUnavailable(toQString(loadString(StringId::HotkeysNeedX11, actions_.uiLanguage())));
    return;
  }
  for (const CommandShortcut& shortcut : kCommandShortcuts) {
    if (shortcut.hotkeyId == 0) continue;
    HotkeyFailure failure;
    if (services_.hotkeys->registerHotkey(shortcut.hotkeyId, kHotkeyControl | kHotkeyShift, shortcut.keysym, &failure))
      continue;
    const QString message = QStringLiteral("%1 failed with error %2: %3")
                                .arg(QStringLiteral("RegisterHotKey"))
                                .arg(failure.code)
                                .arg(failure.reason);
    if (services_.errors) services_.errors->reportError("Error", toStdString(message));
  }
  // Through XWayland the grabs are taken, but the compositor hands them only keys pressed in X11
  // programs: the user is told once what to bind instead.
  const bool onlyInX11Programs = services_.keysOnlyInX11Programs.has_value()
                                     ? *services_.keysOnlyInX11Programs
                                     : detectDesktopSession(false).throughXWayland() &&
                                           !dynamic_cast<const PortalHotkeyService*>(services_.hotkeys);
  if (onlyInX11Programs) reportUnavailable(toQString(loadString(StringId::HotkeysXWaylandOnly, actions_.uiLanguage())));
}

void GlobalHotkeys::unregisterAll() {
  if (!holdsKeys_) return;
  services_.hotkeys->unregisterAll();
  keysTakenByThisProcess = false;
  holdsKeys_ = false;
}

void GlobalHotkeys::reportUnavailable(const QString& reason) {
  if (!unavailableNotice_.isEmpty()) return;
  unavailableNotice_ =
      toQString(loadString(StringId::HotkeysUnavailable, actions_.uiLanguage())).replace(QLatin1String("%s"), reason);
  qCWarning(lcHotkeys).noquote() << unavailableNotice_;
  showNotice(unavailableNotice_, QStringLiteral("hotkeysUnavailable"));
}

void GlobalHotkeys::reportPasteByHand(const QString& reason) {
  // Once a run: the text stays on the clipboard at every paste, and the user knows what to do.
  if (!pasteNotice_.isEmpty()) return;
  pasteNotice_ =
      toQString(loadString(StringId::PasteByHand, actions_.uiLanguage())).replace(QLatin1String("%s"), reason);
  qCWarning(lcHotkeys).noquote() << pasteNotice_;
  showNotice(pasteNotice_, QStringLiteral("pasteByHand"));
}

void GlobalHotkeys::showNotice(const QString& text, const QString& objectName) {
  if (services_.notice) {
    services_.notice(text);
    return;
  }
  auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Kalvory"), text, QMessageBox::Ok);
  box->setWindowModality(Qt::NonModal);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setObjectName(objectName);
  box->show();
}

void GlobalHotkeys::CopyDate() {
  Result<std::string> result = formatDateTime(document_.copy_date_format, now());
  // A format the formatter refuses falls back to the document's default.
  if (!result.ok()) result = formatDateTime("%m/%d/%Y", now());
  if (!result.ok()) return;
  setClipboardText(toQString(result.value()));
  if (services_.paste) services_.paste->holdClipboardText(toQString(result.value()));
}

void GlobalHotkeys::QuickPaste(int index) {
  std::string format;
  try {
    format = document_.pasteFormatAt(index);
  } catch (const std::invalid_argument&) {
    qCWarning(lcHotkeys) << "no QuickPaste format" << index;
    return;
  }
  // The song is asked only for a format that shows it, and its answers may come from another
  // thread: the paste then waits for them. The document may change meanwhile; the text is made
  // when they are there.
  if (services_.player != nullptr && format.find("%V") != std::string::npos) {
    services_.player->whenCurrent([self = QPointer<GlobalHotkeys>(this), index] {
      if (self) self->pasteNow(index);
    });
    return;
  }
  pasteNow(index);
}

void GlobalHotkeys::pasteNow(int index) {
  std::optional<Result<std::string>> result;
  try {
    // The program's own codes (song, countdown, today's notes, Russian names) first, then strftime.
    result = quickPasteText(document_, index, now(), services_.player);
  } catch (const std::invalid_argument&) {
    qCWarning(lcHotkeys) << "no QuickPaste format" << index;
    return;
  }
  if (!result->ok()) {
    if (services_.errors) services_.errors->reportError({}, result->error());
    return;
  }
  // Nothing to paste (a song code with no player running): what the user had on the clipboard
  // stays there.
  if (result->value().empty()) {
    qCInfo(lcHotkeys) << "QuickPaste" << index + 1 << "gave no text; the clipboard is left alone";
    return;
  }
  setClipboardText(toQString(result->value()));
  if (!services_.paste) return;
  services_.paste->holdClipboardText(toQString(result->value()));
  if (heldHotkey_ != 0) {
    // Typed once the key is let go; a second paste meanwhile is the same keystroke, as the
    // clipboard holds only the newest text.
    pasteWaiting_ = true;
    if (!releasePatience_.isActive()) releasePatience_.start();
    return;
  }
  typePaste();
}

void GlobalHotkeys::typePaste() {
  pasteWaiting_ = false;
  releasePatience_.stop();
  if (!services_.paste->paste())
    reportPasteByHand(toQString(loadString(StringId::PasteNoTypingHere, actions_.uiLanguage())));
}

}  // namespace kalvory
