#include "desktop/sync/sync_feature.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QUrl>
#include <QWidget>

#include "desktop/common/language_forms.h"
#include "desktop/common/qt_text.h"
#include "desktop/shell/document_controller.h"
#include "desktop/sync/sync_page.h"
#include "desktop/sync/sync_runner.h"
#include "platform/caldav/document_sync.h"
#include "platform/ical/ical_document.h"

namespace kalvory {

Q_LOGGING_CATEGORY(lcSync, "kalvory.sync", QtInfoMsg)

namespace {

// How often an outcome that waits for a dialog looks again (milliseconds).
constexpr int kModalRecheck = 250;

QString textOf(StringId id, UiLanguage language) { return toQString(loadString(id, language)); }

std::string stateKey(const std::string& calendar) {
  return QUrl(toQString(calendar)).toString(QUrl::FullyEncoded).toStdString();
}

}  // namespace

QString syncStatusText(const SyncStatus& status, const QString& boundDocument, UiLanguage language) {
  const QString time = shortTime(status.at.time());
  switch (status.kind) {
    case SyncStatus::Kind::Off:
      return {};
    case SyncStatus::Kind::NotYet:
      return textOf(StringId::SyncStatusNever, language);
    case SyncStatus::Kind::Running:
      return textOf(StringId::SyncStatusRunning, language);
    case SyncStatus::Kind::Done:
      return textOf(StringId::SyncStatusDone, language)
          .arg(time, QString::number(status.sent), QString::number(status.received), QString::number(status.deleted),
               QString::number(status.conflicts));
    case SyncStatus::Kind::Failed:
      return textOf(StringId::SyncStatusFailed, language).arg(time, status.failure);
    case SyncStatus::Kind::NeedsSavedDocument:
      return textOf(StringId::SyncNeedsSavedDocument, language);
    case SyncStatus::Kind::OtherDocument:
      return textOf(StringId::SyncOtherDocument, language).arg(boundDocument);
  }
  return {};
}

SyncFeature::SyncFeature(DocumentController& documents, Services services, QObject* parent)
    : QObject(parent), documents_(documents), services_(std::move(services)) {
  vault_ = services_.vault;
  if (vault_ == nullptr) {
    ownVault_ = std::make_unique<KeychainVault>();
    vault_ = ownVault_.get();
  }
  if (services_.store != nullptr) settings_ = loadSyncSettings(*services_.store);
  period_.setInterval(services_.period);
  connect(&period_, &QTimer::timeout, this, &SyncFeature::syncNow);
  settle_.setSingleShot(true);
  settle_.setInterval(services_.settleDelay);
  connect(&settle_, &QTimer::timeout, this, &SyncFeature::syncNow);
  status_.kind = configured() ? SyncStatus::Kind::NotYet : SyncStatus::Kind::Off;
  if (configured()) {
    readPassword();
    period_.start();
    // At once on start, with whatever document is open by then.
    QTimer::singleShot(0, this, &SyncFeature::syncNow);
  }
}

SyncFeature::~SyncFeature() {
  // The runner's thread ends first: no answer can arrive for a feature that is gone.
  runner_.reset();
  delete notice_;
}

UiLanguage SyncFeature::language() const { return services_.language ? services_.language() : UiLanguage::English; }

SyncRunner& SyncFeature::runner() {
  // Its thread is started only when the network is first needed: a program that never syncs
  // keeps no thread for it.
  if (!runner_) {
    runner_ = std::make_unique<SyncRunner>();
    runner_->setTimeout(services_.timeout);
  }
  return *runner_;
}

bool SyncFeature::configured() const { return settings_.enabled != 0 && !settings_.calendar.empty(); }

QString SyncFeature::account() const {
  return passwordAccount(toQString(settings_.user), toQString(settings_.calendar));
}

void SyncFeature::readPassword() {
  // A server without accounts needs no password.
  if (settings_.user.empty()) return;
  passwordState_ = PasswordState::Reading;
  const QString asked = account();
  QPointer<SyncFeature> self(this);
  vault_->read(asked, [self, asked](PasswordVault::Answer answer, QString password, QString why) {
    if (!self || self->passwordState_ != PasswordState::Reading || asked != self->account()) return;
    self->passwordState_ = PasswordState::Known;
    if (answer == PasswordVault::Answer::Found) self->password_ = password;
    self->secretStoreProblem_ = answer == PasswordVault::Answer::Unavailable ? why : QString();
    if (answer == PasswordVault::Answer::Unavailable)
      qCWarning(lcSync) << "no secret store answers:" << why << "- the password is asked for on the Sync page";
    if (self->page_) self->page_->setSecretStoreProblem(self->secretStoreProblem_);
    if (self->again_) {
      self->again_ = false;
      self->syncNow();
    }
  });
}

void SyncFeature::applySettings(SyncSettings settings, const std::optional<QString>& password) {
  const QString oldAccount = account();
  const bool switchedOn = settings.enabled != 0 && settings_.enabled == 0;
  const bool calendarChanged = settings.calendar != settings_.calendar;
  // The document is bound to the calendar when sync is switched on or pointed elsewhere; an OK
  // given for another page leaves the binding as it was.
  settings.document = settings_.document;
  if (settings.enabled != 0 && (switchedOn || calendarChanged || settings.document.empty()))
    settings.document = documents_.path();
  const bool passwordChanged = password && *password != password_;
  const bool changed = !(settings == settings_) || passwordChanged;
  settings_ = std::move(settings);
  if (services_.store != nullptr) {
    saveSyncSettings(settings_, *services_.store);
    if (services_.saveSettings) services_.saveSettings();
  }
  if (password) {
    password_ = *password;
    passwordState_ = PasswordState::Known;
  }
  const bool accountChanged = oldAccount != account();
  if (!settings_.user.empty() && (passwordChanged || (accountChanged && !password_.isEmpty()))) {
    QPointer<SyncFeature> self(this);
    vault_->write(account(), password_, [self](bool kept, QString why) {
      if (!self) return;
      self->secretStoreProblem_ = kept ? QString() : why;
      if (!kept) qCWarning(lcSync) << "the password is kept for this run only:" << why;
      if (self->page_) self->page_->setSecretStoreProblem(self->secretStoreProblem_);
    });
  }
  // The old account's password is not left behind in the store.
  if (accountChanged && !oldAccount.startsWith(QLatin1Char('@'))) vault_->write(oldAccount, {}, [](bool, QString) {});
  if (accountChanged && !password) readPassword();
  if (!configured()) {
    period_.stop();
    settle_.stop();
    return setStatus(SyncStatus::Kind::Off);
  }
  period_.start();
  if (changed || switchedOn) {
    failureNoticeShown_ = false;
    syncNow();
  }
}

ConfigPage* SyncFeature::createPage(UiLanguage language, QWidget* parent) {
  SyncPage::Services pageServices;
  pageServices.findCalendars = [this](const QUrl& server, const DavAccount& account,
                                      std::function<void(std::vector<CalendarInfo>, QString)> done) {
    runner().findCalendars(server, account, std::move(done));
  };
  pageServices.confirmed = [this](const SyncSettings& settings, const std::optional<QString>& password) {
    applySettings(settings, password);
  };
  auto* page = new SyncPage(language, settings_, password_, std::move(pageServices), parent);
  page_ = page;
  page->setStatus(syncStatusText(status_, toQString(settings_.document), language));
  page->setDocument(toQString(settings_.document.empty() ? documents_.path() : settings_.document));
  // The secret store is asked now, so that the page says whether the password can be kept.
  page->setSecretStoreAsking();
  QPointer<SyncPage> shown(page);
  QPointer<SyncFeature> self(this);
  vault_->read(account(), [shown, self](PasswordVault::Answer answer, QString password, QString why) {
    const QString problem = answer == PasswordVault::Answer::Unavailable ? why : QString();
    if (self) self->secretStoreProblem_ = problem;
    if (!shown) return;
    shown->setSecretStoreProblem(problem);
    if (answer == PasswordVault::Answer::Found) shown->offerPassword(password);
  });
  return page;
}

void SyncFeature::documentChanged() {
  if (applying_ || !configured()) return;
  settle_.start();
}

void SyncFeature::documentReplaced() {
  ++generation_;
  if (configured()) QTimer::singleShot(0, this, &SyncFeature::syncNow);
}

void SyncFeature::syncNow() {
  settle_.stop();
  if (!configured()) return;
  if (running_ || passwordState_ == PasswordState::Reading) {
    again_ = true;
    return;
  }
  startSync();
}

void SyncFeature::startSync() {
  const std::string path = documents_.path();
  if (path.empty()) return setStatus(SyncStatus::Kind::NeedsSavedDocument);
  if (settings_.document.empty()) {
    settings_.document = path;
    if (services_.store != nullptr) {
      saveSyncSettings(settings_, *services_.store);
      if (services_.saveSettings) services_.saveSettings();
    }
  } else if (settings_.document != path) {
    return setStatus(SyncStatus::Kind::OtherDocument);
  }
  std::string problem;
  const IcsUids uids = keepIcsUids(documents_.document(), icsUidStoreFile(services_.dataFolder, path), problem);
  if (!problem.empty()) return setStatus(SyncStatus::Kind::Failed, toQString(problem));
  std::vector<LocalItem> items = documentSyncItems(documents_.document(), uids);
  snapshot_ = Snapshot{generation_, path, settings_.calendar, {}};
  for (const LocalItem& item : items) snapshot_.records[item.uid] = syncFingerprint(item.record);
  SyncState state = readSyncState(syncStateFile(services_.dataFolder, path, stateKey(settings_.calendar)), problem);
  if (!problem.empty()) qCWarning(lcSync) << problem.c_str();

  running_ = true;
  setStatus(SyncStatus::Kind::Running);
  QPointer<SyncFeature> self(this);
  runner().sync(QUrl(toQString(settings_.calendar)), DavAccount{toQString(settings_.user), password_}, std::move(items),
                std::move(state), [self](const SyncOutcome& outcome) {
                  if (self) self->finishSync(outcome);
                });
}

void SyncFeature::finishSync(const SyncOutcome& outcome) {
  // An editor (or any dialog) open over the document edits a copy of a record and writes it back
  // when it closes: the outcome waits for it, so that an edit made there is seen for what it is
  // and never lands on top of what the server sent unnoticed.
  if (QApplication::activeModalWidget() != nullptr) {
    if (!held_) {
      held_ = true;
      emit outcomeHeld();
    }
    QTimer::singleShot(kModalRecheck, this, [this, outcome] { finishSync(outcome); });
    return;
  }
  held_ = false;
  running_ = false;
  const bool stale = snapshot_.generation != generation_ || snapshot_.path != documents_.path() ||
                     snapshot_.calendar != settings_.calendar || !configured();
  if (stale) {
    // Another document, or another calendar: what the sync brought belongs to neither.
    again_ = configured();
  } else if (!outcome.ok) {
    const QString failure = toQString(outcome.failure);
    qCWarning(lcSync) << "sync failed:" << failure;
    setStatus(SyncStatus::Kind::Failed, failure);
    // One notice while the server cannot be used; the page and the log say the rest.
    if (!failureNoticeShown_) {
      failureNoticeShown_ = true;
      showNotice(textOf(StringId::SyncFailedNotice, language()).arg(failure));
    }
    emit syncFinished(false);
  } else if (!applyOutcome(outcome)) {
    again_ = true;
  }
  if (again_) {
    again_ = false;
    QTimer::singleShot(0, this, &SyncFeature::syncNow);
  }
}

bool SyncFeature::applyOutcome(const SyncOutcome& outcome) {
  CAlarmDoc& document = documents_.document();
  const std::string path = documents_.path();
  const std::string uidStore = icsUidStoreFile(services_.dataFolder, path);
  std::string problem;
  IcsUids uids = keepIcsUids(document, uidStore, problem);
  if (!problem.empty()) {
    setStatus(SyncStatus::Kind::Failed, toQString(problem));
    emit syncFinished(false);
    return true;
  }
  // A record edited (or added, or deleted) here while the sync ran, that the server's answer
  // would replace or remove: the answer is dropped, and the next sync settles the two versions.
  std::map<std::string, std::uint64_t> now;
  for (const LocalItem& item : documentSyncItems(document, uids)) now[item.uid] = syncFingerprint(item.record);
  const auto editedMeanwhile = [&](const std::string& uid) {
    const auto before = snapshot_.records.find(uid);
    const auto after = now.find(uid);
    if (before == snapshot_.records.end() || after == now.end())
      return (before == snapshot_.records.end()) != (after == now.end());
    return before->second != after->second;
  };
  for (const IncomingItem& item : outcome.incoming)
    if (editedMeanwhile(item.uid)) return false;
  for (const std::string& uid : outcome.removed)
    if (editedMeanwhile(uid)) return false;

  for (const std::string& note : outcome.notes) qCInfo(lcSync) << note.c_str();
  if (applySyncOutcome(outcome, document, uids)) {
    if (!rememberIcsUids(document, uids, uidStore, problem)) qCWarning(lcSync) << problem.c_str();
    // Saved before the state is written: a state that claims records the file lacks would send
    // their deletion to the server after a restart.
    applying_ = true;
    const bool saved = documents_.save();
    documents_.notifyChanged();
    applying_ = false;
    if (!saved) {
      setStatus(SyncStatus::Kind::Failed, QStringLiteral("the document %1 cannot be saved").arg(toQString(path)));
      emit syncFinished(false);
      return true;
    }
  }
  if (!writeSyncState(syncStateFile(services_.dataFolder, path, stateKey(settings_.calendar)), outcome.state,
                      problem)) {
    setStatus(SyncStatus::Kind::Failed, toQString(problem));
    emit syncFinished(false);
    return true;
  }
  status_.sent = outcome.sent;
  status_.received = outcome.received;
  status_.deleted = outcome.deleted;
  status_.conflicts = outcome.conflicts;
  failureNoticeShown_ = false;
  setStatus(SyncStatus::Kind::Done);
  if (outcome.conflicts > 0) {
    QStringList texts;
    for (const IncomingItem& item : outcome.incoming) {
      const std::string& text = std::holds_alternative<CAlarmLine>(item.record) ? std::get<CAlarmLine>(item.record).text
                                                                                : std::get<CDayInfo>(item.record).text;
      if (text.rfind(kConflictCopyMark, 0) == 0)
        texts << QStringLiteral("\"%1\"").arg(toQString(text.substr(std::string(kConflictCopyMark).size())));
    }
    showNotice(textOf(StringId::SyncConflictNotice, language()).arg(texts.join(QStringLiteral(", "))));
  }
  emit syncFinished(true);
  return true;
}

void SyncFeature::setStatus(SyncStatus::Kind kind, const QString& failure) {
  status_.kind = kind;
  if (kind == SyncStatus::Kind::Done || kind == SyncStatus::Kind::Failed) status_.at = QDateTime::currentDateTime();
  status_.failure = failure;
  if (page_) page_->setStatus(syncStatusText(status_, toQString(settings_.document), language()));
  emit statusChanged();
}

void SyncFeature::showNotice(const QString& text) {
  if (services_.notify) return services_.notify(text);
  if (notice_) {
    static_cast<QMessageBox*>(notice_.data())->setText(text);
    notice_->raise();
    return;
  }
  QWidget* parent = services_.noticeParent ? services_.noticeParent() : nullptr;
  auto* box = new QMessageBox(QMessageBox::Information, textOf(StringId::SyncNoticeTitle, language()), text,
                              QMessageBox::Ok, parent);
  box->setWindowModality(Qt::NonModal);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->show();
  notice_ = box;
}

}  // namespace kalvory
