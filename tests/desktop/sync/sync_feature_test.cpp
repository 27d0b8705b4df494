// The program's side of the calendar sync: two computers (two data folders, two documents) and
// one Radicale server; a server that never answers; a desktop without a secret store.
#include "desktop/sync/sync_feature.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>
#include <optional>
#include <thread>
#include <tuple>

#include "core/model/document_file.h"
#include "core/settings/settings_store.h"
#include "desktop/shell/document_controller.h"
#include "desktop/sync/sync_page.h"
#include "platform/caldav/caldav_sync.h"
#include "platform/ical/ical_document.h"
#include "support/missing_tool.h"
#include "support/radicale_server.h"

namespace kalvory::test {
namespace {

// A secret store in memory, or none at all; it answers later, as the real one does.
class MemoryVault final : public PasswordVault {
 public:
  bool available = true;
  std::map<QString, QString> entries;
  QObject alive;  // answers still on their way are dropped with the vault
  void read(const QString& account, std::function<void(Answer, QString, QString)> done) override {
    QTimer::singleShot(0, &alive, [this, account, done] {
      if (!available) return done(Answer::Unavailable, {}, QStringLiteral("no secret service on this bus"));
      const auto at = entries.find(account);
      at == entries.end() ? done(Answer::NotFound, {}, {}) : done(Answer::Found, at->second, {});
    });
  }
  void write(const QString& account, const QString& password, std::function<void(bool, QString)> done) override {
    QTimer::singleShot(0, &alive, [this, account, password, done] {
      if (!available) return done(false, QStringLiteral("no secret service on this bus"));
      entries[account] = password;
      done(true, {});
    });
  }
};

CAlarmLine reminder(const std::string& text, int day) {
  CAlarmLine line(COleDateTime(2027, 3, day, 9, 30, 0));
  line.text = text;
  return line;
}

CDayInfo note(const std::string& text, int day) {
  CDayInfo info(COleDateTime(2027, 4, day, 0, 0, 0));
  info.text = text;
  return info;
}

// One computer: its data folder, its document file, the program's document and the sync.
struct Computer {
  explicit Computer(std::vector<CAlarmLine> lines = {}, std::vector<CDayInfo> notes = {}) {
    for (const CAlarmLine& line : lines) document.AddAlarm(line);
    for (const CDayInfo& info : notes) document.AddDayInfo(info);
    path = (folder.path() + "/reminders.alr").toStdString();
    EXPECT_TRUE(saveDocumentFile(document, path).ok());
    settings = defaultSettings({});
    documents = std::make_unique<DocumentController>(document, settings, errors, DocumentPrompts{},
                                                     [] { return UiLanguage::English; });
    SyncFeature::Services services;
    services.store = &store;
    services.dataFolder = (folder.path() + "/data").toStdString();
    services.vault = &vault;
    services.notify = [this](const QString& text) { notices.push_back(text); };
    services.settleDelay = 100;
    services.period = 3600 * 1000;  // the tests sync when they say so, or after a change
    sync = std::make_unique<SyncFeature>(*documents, services);
    QObject::connect(documents.get(), &DocumentController::documentChanged, sync.get(), &SyncFeature::documentChanged);
    QObject::connect(documents.get(), &DocumentController::documentReplaced, sync.get(),
                     &SyncFeature::documentReplaced);
    EXPECT_TRUE(documents->loadFile(path));
  }

  // Runs `start` and waits for the sync it sets off (or one already under way) to end.
  bool synced(const std::function<void()>& start = {}) {
    QSignalSpy finished(sync.get(), &SyncFeature::syncFinished);
    start ? start() : sync->syncNow();
    if (!QTest::qWaitFor([&] { return !finished.isEmpty(); }, 30000)) return false;
    return finished.last().at(0).toBool();
  }

  void switchOn(const std::string& calendar) {
    SyncSettings on;
    on.enabled = 1;
    on.server = calendar;
    on.user = "alice";
    on.calendar = calendar;
    EXPECT_TRUE(synced([&] { sync->applySettings(on, QStringLiteral("secret")); }));
  }

  // The records of both lists with a fingerprint of all their fields, sorted: received records
  // are appended.
  static std::vector<std::string> listing(const CAlarmDoc& doc) {
    std::vector<std::string> out;
    for (const auto& line : doc.alarms())
      out.push_back("reminder " + line->text + " " + std::to_string(recordFingerprint(*line)));
    for (const auto& info : doc.dayInfos())
      out.push_back("note " + info->text + " " + std::to_string(recordFingerprint(*info)));
    std::sort(out.begin(), out.end());
    return out;
  }
  std::vector<std::string> records() const { return listing(document); }
  std::vector<std::string> recordsOnDisk() const {
    CAlarmDoc saved;
    EXPECT_TRUE(loadDocumentFile(saved, path).ok());
    return listing(saved);
  }
  std::ptrdiff_t reminderAt(const std::string& text) const {
    for (std::size_t i = 0; i < document.alarms().size(); ++i)
      if (document.alarms()[i]->text == text) return static_cast<std::ptrdiff_t>(i);
    return -1;
  }
  // An edit made in the lists window: the record changes and the program hears of it.
  void retext(const std::string& from, const std::string& to) {
    const std::ptrdiff_t at = reminderAt(from);
    ASSERT_GE(at, 0) << from;
    CAlarmLine line = *document.alarms()[static_cast<std::size_t>(at)];
    line.text = to;
    document.ReplaceAlarm(line, at);
    documents->notifyChanged();
  }

  QTemporaryDir folder;
  std::string path;
  CAlarmDoc document;
  ApplicationSettings settings;
  RecordingErrorReporter errors;
  MemorySettingsStore store;
  MemoryVault vault;
  std::vector<QString> notices;
  std::unique_ptr<DocumentController> documents;
  std::unique_ptr<SyncFeature> sync;
};

TEST(SyncFeature, TwoComputersAddEditDeleteConflictOfflineAndRecover) {
  if (!Radicale::installed()) KALVORY_SKIP_WITHOUT_TOOL("Radicale (Debian's radicale) is not installed");
  QTemporaryDir serverFolder;
  Radicale server(serverFolder.path().toStdString());
  ASSERT_TRUE(server.start());
  const std::string url = server.calendar();

  // The first computer is set up through its Sync page: the calendar is found from the server's
  // address on the sync's own thread, and the password goes to the secret store, not the settings.
  Computer a({reminder("Dentist", 3)}, {note("Birthday", 10)});
  Computer b;
  {
    std::unique_ptr<ConfigPage> shown(a.sync->createPage(UiLanguage::English, nullptr));
    auto* page = static_cast<SyncPage*>(shown.get());
    page->serverEdit()->setText(QString::fromStdString(server.root()));
    page->userEdit()->setText("alice");
    QTest::keyClicks(page->passwordEdit(), "secret");
    page->enabledBox()->setChecked(true);
    page->findCalendars();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->calendarBox()->count() > 0; }, 30000))
        << page->findMessage()->text().toStdString();
    EXPECT_EQ(page->calendarBox()->currentData().toString().toStdString(), url);
    EXPECT_EQ(page->findMessage()->text(), "Calendars found: 1");
    EXPECT_EQ(page->secretStoreMessage()->text(), "The password is kept in the desktop's secret store.");
    QSignalSpy finished(a.sync.get(), &SyncFeature::syncFinished);
    ApplicationSettings unused;
    CAlarmDoc none;
    page->store(unused, none);  // OK
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 30000));
    EXPECT_TRUE(finished.last().at(0).toBool()) << a.sync->status().failure.toStdString();
  }
  EXPECT_EQ(a.sync->status().sent, 2);
  EXPECT_EQ(a.vault.entries.size(), 1u);
  for (const auto& [name, section] : a.store.sections())
    for (const auto& [key, value] : section)
      EXPECT_FALSE(std::holds_alternative<std::string>(value) &&
                   std::get<std::string>(value).find("secret") != std::string::npos)
          << name << "/" << key << " holds the password";
  EXPECT_EQ(a.store.readString("CalDavSync", "Document"), a.path);

  // Add: the second computer takes both records at once, and its file has them.
  b.switchOn(url);
  EXPECT_EQ(b.sync->status().received, 2);
  EXPECT_EQ(a.records(), b.records());
  EXPECT_EQ(b.recordsOnDisk(), b.records());

  // Edit: a change made here goes out by itself a moment later.
  EXPECT_TRUE(b.synced([&] { b.retext("Dentist", "Dentist, room 4"); }));
  EXPECT_EQ(b.sync->status().sent, 1);
  EXPECT_TRUE(a.synced());
  EXPECT_EQ(a.records(), b.records());
  EXPECT_GE(a.reminderAt("Dentist, room 4"), 0);

  // Delete.
  EXPECT_TRUE(a.synced([&] {
    a.document.RemoveDayInfo(0);
    a.documents->notifyChanged();
  }));
  EXPECT_TRUE(b.synced());
  EXPECT_EQ(a.records(), b.records());
  EXPECT_TRUE(b.document.dayInfos().empty());

  // Conflict: both change the same reminder; both versions stay, the other marked, told once.
  a.retext("Dentist, room 4", "Dentist at 10");
  EXPECT_TRUE(a.synced());
  b.retext("Dentist, room 4", "Dentist at 11");
  EXPECT_TRUE(b.synced());
  EXPECT_EQ(b.sync->status().conflicts, 1);
  ASSERT_EQ(b.notices.size(), 1u);
  EXPECT_NE(b.notices[0].indexOf("\"Dentist at 10\""), -1) << b.notices[0].toStdString();
  EXPECT_TRUE(a.synced());
  EXPECT_EQ(a.records(), b.records());
  EXPECT_GE(a.reminderAt("Dentist at 11"), 0);
  EXPECT_GE(a.reminderAt(std::string(kConflictCopyMark) + "Dentist at 10"), 0);
  EXPECT_TRUE(a.notices.empty());

  // An edit made here while a sync that brings the other computer's change of the same record is
  // under way: the sync's answer never overwrites it; both versions are kept.
  b.retext("Dentist at 11", "Dentist at noon");
  EXPECT_TRUE(b.synced());
  EXPECT_TRUE(a.synced([&] {
    a.sync->syncNow();
    ASSERT_TRUE(a.sync->running());
    a.retext("Dentist at 11", "Dentist at 11:30");
  }));
  // The dropped answer was followed by a second sync that met the edit.
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return a.reminderAt(std::string(kConflictCopyMark) + "Dentist at noon") >= 0; }, 30000));
  EXPECT_GE(a.reminderAt("Dentist at 11:30"), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !a.sync->running(); }, 30000));
  EXPECT_TRUE(b.synced());
  EXPECT_EQ(a.records(), b.records());

  // The same while an editor is open: what the sync brings waits for the dialog, and the edit
  // made in it meets the other computer's change as a conflict.
  b.retext("Dentist at 11:30", "Dentist at half past eleven");
  EXPECT_TRUE(b.synced());
  {
    QDialog editor;
    editor.setModal(true);
    editor.show();
    QSignalSpy finished(a.sync.get(), &SyncFeature::syncFinished);
    QSignalSpy held(a.sync.get(), &SyncFeature::outcomeHeld);
    a.sync->syncNow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !held.isEmpty(); }, 30000));
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_GE(a.reminderAt("Dentist at 11:30"), 0);
    a.retext("Dentist at 11:30", "Dentist at 11:45");  // the editor's OK
    editor.close();
  }
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return a.reminderAt(std::string(kConflictCopyMark) + "Dentist at half past eleven") >= 0; }, 30000));
  EXPECT_GE(a.reminderAt("Dentist at 11:45"), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !a.sync->running(); }, 30000));
  EXPECT_TRUE(b.synced());
  EXPECT_EQ(a.records(), b.records());

  // Offline: one notice, however often the sync fails; the change waits here.
  server.stop();
  const std::size_t noticesBefore = a.notices.size();
  EXPECT_FALSE(a.synced([&] {
    a.document.AddAlarm(reminder("Call the plumber", 4));
    a.documents->notifyChanged();
  }));
  EXPECT_EQ(a.sync->status().kind, SyncStatus::Kind::Failed);
  EXPECT_FALSE(a.synced());
  ASSERT_EQ(a.notices.size(), noticesBefore + 1);
  EXPECT_TRUE(a.notices.back().startsWith("Sync with the calendar failed: ")) << a.notices.back().toStdString();
  EXPECT_GE(a.reminderAt("Call the plumber"), 0);

  // Recovery: the waiting change goes out once the server answers again.
  ASSERT_TRUE(server.start());
  EXPECT_TRUE(a.synced());
  EXPECT_EQ(a.sync->status().sent, 1);
  EXPECT_TRUE(b.synced());
  EXPECT_EQ(a.records(), b.records());
  // What came in is in the file at once; what was only sent stays the user's to save.
  EXPECT_EQ(b.recordsOnDisk(), a.records());
  EXPECT_EQ(a.notices.size(), noticesBefore + 1);

  // Another document opened on the first computer is not merged into the calendar unasked.
  const std::string other = a.folder.path().toStdString() + "/private.alr";
  CAlarmDoc privateDocument;
  privateDocument.AddAlarm(reminder("Private", 5));
  ASSERT_TRUE(saveDocumentFile(privateDocument, other).ok());
  ASSERT_TRUE(a.documents->loadFile(other));
  a.sync->syncNow();
  EXPECT_EQ(a.sync->status().kind, SyncStatus::Kind::OtherDocument);
  EXPECT_EQ(syncStatusText(a.sync->status(), QString::fromStdString(a.path), UiLanguage::English),
            QString::fromStdString("Sync is set up for another document: " + a.path));
  EXPECT_TRUE(b.synced());
  EXPECT_LT(b.reminderAt("Private"), 0);
}

// A server that takes the request and never answers: the windows' event loop keeps running
// while the sync waits, and the program can end without waiting for the server.
TEST(SyncFeature, AServerThatNeverAnswersNeverHoldsTheWindows) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t length = sizeof address;
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  ASSERT_EQ(listen(listener, 16), 0);  // connections wait in the queue, never accepted
  const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/alice/cal/";

  {
    Computer a({reminder("Dentist", 3)});
    SyncSettings on;
    on.enabled = 1;
    on.calendar = url;
    a.sync->applySettings(on, {});
    ASSERT_TRUE(a.sync->running());
    // The page's search for calendars goes to the same silent server.
    std::unique_ptr<ConfigPage> shown(a.sync->createPage(UiLanguage::English, nullptr));
    auto* page = static_cast<SyncPage*>(shown.get());
    page->serverEdit()->setText(QString::fromStdString(url));
    page->findCalendars();
    EXPECT_EQ(page->findMessage()->text(), "Asking the server for your calendars...");

    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 30; }, 10000));
    EXPECT_TRUE(a.sync->running());
    EXPECT_FALSE(page->findButton()->isEnabled());
    // Edits go on meanwhile and the document is the program's own.
    a.retext("Dentist", "Dentist, room 4");
    EXPECT_TRUE(a.notices.empty());
  }  // ends with the sync still waiting for the server
  close(listener);
}

// A server that refuses the password, or answers with garbage: one notice naming the reason, the
// document and the sync's state untouched, and no second notice for the next failure.
TEST(SyncFeature, AServerThatCannotBeUsedGetsOneNoticeAndChangesNothing) {
  const std::vector<std::pair<std::string, QString>> cases{
      {"HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\nContent-Length: 0\r\n\r\n",
       "the server refused the user name or password (401)"},
      {"HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nContent-Length: 12\r\n\r\n<d:multistat",
       "the server's answer is not XML"},
  };
  for (const auto& [answer, reason] : cases) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    ASSERT_EQ(listen(listener, 16), 0);
    // Every request gets the same answer, after its headers have come in.
    std::thread server([listener, answer = answer] {
      for (int client; (client = accept(listener, nullptr, nullptr)) >= 0; close(client)) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
          const ssize_t got = recv(client, buffer, sizeof buffer, 0);
          if (got <= 0) break;
          request.append(buffer, static_cast<std::size_t>(got));
        }
        send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
      }
    });
    {
      Computer a({reminder("Dentist", 3)});
      const std::string before = a.recordsOnDisk().front();
      SyncSettings on;
      on.enabled = 1;
      on.user = "alice";
      on.calendar = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/alice/cal/";
      EXPECT_FALSE(a.synced([&] { a.sync->applySettings(on, QStringLiteral("wrong")); }));
      EXPECT_FALSE(a.synced([&] { a.retext("Dentist", "Dentist, room 4"); }));
      ASSERT_EQ(a.notices.size(), 1u) << reason.toStdString();
      EXPECT_NE(a.notices[0].indexOf(reason), -1) << a.notices[0].toStdString();
      EXPECT_NE(a.sync->status().failure.indexOf(reason), -1);
      EXPECT_EQ(a.recordsOnDisk(), std::vector<std::string>{before});
      EXPECT_FALSE(QDir(a.folder.path() + "/data/caldav-sync").exists());
      EXPECT_GE(a.reminderAt("Dentist, room 4"), 0);  // the edit waits here
    }
    shutdown(listener, SHUT_RDWR);
    close(listener);
    server.join();
  }
}

// Without a secret store the page says so, and the password lives only in the program's memory.
TEST(SyncFeature, WithoutASecretStoreThePasswordIsKeptForTheRunOnly) {
  Computer a;
  a.vault.available = false;
  std::unique_ptr<ConfigPage> shown(a.sync->createPage(UiLanguage::English, nullptr));
  auto* page = static_cast<SyncPage*>(shown.get());
  EXPECT_EQ(page->secretStoreMessage()->text(), "Asking the desktop's secret store...");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !a.sync->secretStoreProblem().isEmpty(); }, 5000));
  EXPECT_EQ(page->secretStoreMessage()->text(),
            "No secret store answers (no secret service on this bus). The password is kept only until the program "
            "ends and must be typed again after a restart; it is never written to the settings file.");
  page->userEdit()->setText("alice");
  QTest::keyClicks(page->passwordEdit(), "hunter2");
  ApplicationSettings unused;
  CAlarmDoc none;
  page->store(unused, none);
  EXPECT_EQ(a.store.readString("CalDavSync", "User"), "alice");
  for (const auto& [name, section] : a.store.sections())
    for (const auto& [key, value] : section)
      EXPECT_FALSE(std::holds_alternative<std::string>(value) &&
                   std::get<std::string>(value).find("hunter2") != std::string::npos);
  // Opened again in the same run, the page still has it.
  std::unique_ptr<ConfigPage> again(a.sync->createPage(UiLanguage::English, nullptr));
  EXPECT_EQ(static_cast<SyncPage*>(again.get())->passwordEdit()->text(), "hunter2");
}

}  // namespace
}  // namespace kalvory::test

namespace kalvory::test {
namespace {

// The real secret store: GNOME Keyring's Secret Service on a private session bus, with an
// unlocked login keyring in the test's home. Before the keyring answers, the same bus has no
// secret service, which is what a desktop without one looks like.
TEST(SyncFeature, ThePasswordGoesToTheSecretServiceAndComesBackAfterARestart) {
  if (QStandardPaths::findExecutable("gnome-keyring-daemon").isEmpty() ||
      QStandardPaths::findExecutable("dbus-daemon").isEmpty())
    KALVORY_SKIP_WITHOUT_TOOL("gnome-keyring-daemon or dbus-daemon is not installed");
  QTemporaryDir runtime;
  QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  // A session bus that starts no services of the machine's own (gnome-keyring would be started by
  // its activation file): the keyring runs only when the test starts it.
  QFile config(runtime.path() + "/bus.conf");
  ASSERT_TRUE(config.open(QIODevice::WriteOnly));
  config.write("<busconfig><type>session</type><listen>unix:tmpdir=" + runtime.path().toUtf8() +
               "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/>"
               "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy></busconfig>");
  config.close();
  QProcess bus;
  bus.start("dbus-daemon", {"--config-file=" + config.fileName(), "--nofork", "--print-address=1"});
  ASSERT_TRUE(bus.waitForStarted());
  ASSERT_TRUE(QTest::qWaitFor([&] { return bus.canReadLine(); }, 10000));
  const QByteArray address = bus.readLine().trimmed();
  const QByteArray previousAddress = qgetenv("DBUS_SESSION_BUS_ADDRESS");
  qputenv("DBUS_SESSION_BUS_ADDRESS", address);
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());

  const QString account = passwordAccount("alice", "http://127.0.0.1:5232/alice/cal/");
  KeychainVault vault;
  const auto read = [&] {
    std::optional<std::tuple<PasswordVault::Answer, QString, QString>> answer;
    vault.read(account,
               [&](PasswordVault::Answer kind, QString password, QString why) { answer.emplace(kind, password, why); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 20000));
    return answer.value_or(std::make_tuple(PasswordVault::Answer::NotFound, QString(), QString()));
  };
  const auto write = [&](const QString& password) {
    std::optional<bool> kept;
    vault.write(account, password, [&](bool ok, QString) { kept = ok; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return kept.has_value(); }, 20000));
    return kept.value_or(false);
  };

  // No secret service on the bus yet, where a call may go unanswered for long: said so in time,
  // nothing kept.
  const auto [none, nothing, why] = read();
  EXPECT_EQ(none, PasswordVault::Answer::Unavailable);
  EXPECT_FALSE(why.isEmpty());
  EXPECT_FALSE(write("s3cret"));

  QProcess keyring;
  keyring.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  keyring.start("gnome-keyring-daemon", {"--unlock", "--components=secrets", "--foreground"});
  ASSERT_TRUE(keyring.waitForStarted());
  keyring.write("login password");
  keyring.closeWriteChannel();
  QDBusConnection connection = QDBusConnection::connectToBus(QString::fromUtf8(address), "keyring-watch");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return connection.interface()->isServiceRegistered("org.freedesktop.secrets").value(); }, 20000));

  EXPECT_TRUE(write("s3cret"));
  const auto [found, password, problem] = read();
  EXPECT_EQ(found, PasswordVault::Answer::Found) << problem.toStdString();
  EXPECT_EQ(password, "s3cret");

  // The program started again: the page finds the password in the store.
  {
    Computer restarted;
    SyncSettings settings;
    settings.user = "alice";
    settings.calendar = "http://127.0.0.1:5232/alice/cal/";
    saveSyncSettings(settings, restarted.store);
    SyncFeature::Services services;
    services.store = &restarted.store;
    services.dataFolder = (restarted.folder.path() + "/data").toStdString();
    SyncFeature sync(*restarted.documents, services);
    // OK pressed before the store handed the password over: the password is not taken for an
    // empty one and removed.
    {
      std::unique_ptr<ConfigPage> hurried(sync.createPage(UiLanguage::English, nullptr));
      ApplicationSettings unused;
      CAlarmDoc none;
      hurried->store(unused, none);
    }
    std::unique_ptr<ConfigPage> shown(sync.createPage(UiLanguage::English, nullptr));
    auto* page = static_cast<SyncPage*>(shown.get());
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->passwordEdit()->text() == "s3cret"; }, 20000));
    EXPECT_EQ(page->secretStoreMessage()->text(), "The password is kept in the desktop's secret store.");
  }

  // An emptied password field takes the password out of the store.
  EXPECT_TRUE(write(QString()));
  EXPECT_EQ(std::get<0>(read()), PasswordVault::Answer::NotFound);

  QDBusConnection::disconnectFromBus("keyring-watch");
  keyring.kill();
  keyring.waitForFinished();
  bus.kill();
  bus.waitForFinished();
  qputenv("DBUS_SESSION_BUS_ADDRESS", previousAddress);
}

}  // namespace
}  // namespace kalvory::test
