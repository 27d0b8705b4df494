// The program itself under a private X server and a private D-Bus session bus: single instance,
// global hotkeys (also with NumLock on and with a key already taken), and the StatusNotifierItem
// tray icon with its exported menu.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"
#include "desktop/shell/program_trust.h"
#include "program_session.h"
// Hidden from moc, which loses track of nested namespaces in included headers.
#ifndef Q_MOC_RUN
#include "platform/private_system_bus.h"
#include "support/missing_tool.h"
#endif

namespace {

// The main window's title ends with the program's name ("Untitled — Kalvory"); a pattern for
// xdotool's search.
const QString kMainWindow = QStringLiteral(".*Kalvory");

using kalvory::test::haveTool;

// Answers for a tray host: the watcher that StatusNotifierItem programs register with.
class FakeWatcher : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
  Q_PROPERTY(int ProtocolVersion READ protocolVersion)
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
 public:
  bool hostRegistered() const { return true; }
  int protocolVersion() const { return 0; }
  QStringList items() const { return items_; }
  QString lastSender;

 public slots:
  void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
    items_ << service;
    lastSender = message.service();
  }
  void RegisterStatusNotifierHost(const QString&) {}

 signals:
  void StatusNotifierItemRegistered(const QString& service);

 private:
  QStringList items_;
};

// One Xvfb display, one private session bus and a home of their own for each test.
class X11Session : public kalvory::test::ProgramSessionTest {
 protected:
  void TearDown() override {
    stop(helper_);
    if (watcher_) {
      QDBusConnection::disconnectFromBus(watcherConnection());
      watcher_.reset();
    }
    ProgramSessionTest::TearDown();
  }

  QProcess& startProgram(const QStringList& arguments = {}, const QString& workingDirectory = {}) {
    return launch(KALVORY_BINARY, arguments, {}, workingDirectory);
  }

  // The lock file that names the running copy, and its socket.
  QString lockPath() const { return home_.path() + "/run/Orlendix Alarm.lock"; }
  QString socketPath() const { return home_.path() + "/run/Orlendix Alarm"; }

  // Waits until `program` is the running copy: the lock file names it and its socket answers.
  // A socket file alone proves nothing, since a killed copy leaves its own behind.
  bool waitRunningCopy(const QProcess& program) {
    const QByteArray pid = QByteArray::number(program.processId());
    return QTest::qWaitFor(
        [&] {
          QFile lock(lockPath());
          if (!lock.open(QIODevice::ReadOnly) || lock.readLine().trimmed() != pid) return false;
          QLocalSocket socket;
          socket.connectToServer(socketPath());
          return socket.waitForConnected(1000);
        },
        15000);
  }

  // A stand-in tray host on the private bus; the program's icon registers with it.
  FakeWatcher& hostTray() {
    watcher_ = std::make_unique<FakeWatcher>();
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress_, watcherConnection());
    EXPECT_TRUE(bus.isConnected());
    EXPECT_TRUE(bus.registerObject(
        "/StatusNotifierWatcher", watcher_.get(),
        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties | QDBusConnection::ExportAllSignals));
    EXPECT_TRUE(bus.registerService("org.kde.StatusNotifierWatcher"));
    return *watcher_;
  }
  QString watcherConnection() const { return "watcher " + busAddress_; }

  // Waits until the program's tray icon has registered with the host and answered a call. The
  // program answers from its event loop, which runs only once it has finished starting.
  bool waitStarted(const QProcess& program) {
    QDBusConnection bus(watcherConnection());
    QString item;
    const bool registered = QTest::qWaitFor(
        [&] {
          for (const QString& name : watcher_->items())
            if (bus.interface()->servicePid(name).value() == static_cast<uint>(program.processId())) item = name;
          return !item.isEmpty();
        },
        15000);
    if (!registered) return false;
    QDBusMessage get =
        QDBusMessage::createMethodCall(item, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get");
    get.setArguments({QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Status")});
    return callProgram(get).type() == QDBusMessage::ReplyMessage;
  }

  // Calls the program without blocking this thread, which alone answers for the stand-in host:
  // the program may be asking the host something at the same moment, and a blocking call
  // would leave both waiting until one of them timed out.
  QDBusMessage callProgram(const QDBusMessage& message) {
    QDBusPendingCall pending = QDBusConnection(watcherConnection()).asyncCall(message, 15000);
    if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 20000))
      return QDBusMessage::createError("org.kalvory.Test.NoAnswer", "no answer from the program");
    return pending.reply();
  }

  // Runs xdotool on the test display; the exit code.
  int xdotool(const QStringList& arguments) {
    QProcess tool;
    tool.setProcessEnvironment(environment_);
    tool.start("xdotool", arguments);
    tool.waitForFinished(10000);
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
  }
  bool windowVisible(const QString& name) {
    return xdotool({"search", "--onlyvisible", "--name", "^" + name + "$"}) == 0;
  }
  bool waitVisible(const QString& name, bool visible) {
    return QTest::qWaitFor([&] { return windowVisible(name) == visible; }, 10000);
  }
  // The ids of the visible windows with this name.
  QStringList visibleWindows(const QString& name) {
    QProcess tool;
    tool.setProcessEnvironment(environment_);
    tool.start("xdotool", {"search", "--onlyvisible", "--name", "^" + name + "$"});
    tool.waitForFinished(10000);
    return QString::fromLatin1(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  }
  // What a window manager's close button does: the WM_DELETE_WINDOW message of ICCCM.
  void closeAsWindowManager(const QString& window) {
    xcb_connection_t* connection = xcb_connect(x_.display().toLocal8Bit().constData(), nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection), 0);
    auto atom = [&](const char* name) {
      xcb_intern_atom_reply_t* reply =
          xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
      const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
      std::free(reply);
      return value;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window.toUInt();
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, event.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    // A round trip before the connection goes: the server may drop the requests it has not yet
    // carried out when a client hangs up, and the close would then never reach the program.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    xcb_disconnect(connection);
  }
  QProcess helper_;
  std::unique_ptr<FakeWatcher> watcher_;
};

TEST_F(X11Session, SecondInstanceShowsTheFirstAndEnds) {
  writeSettings("[AppSettings]\nMainFrameVisible=0\n");
  hostTray();
  QProcess& first = startProgram();
  ASSERT_TRUE(waitRunningCopy(first));
  ASSERT_TRUE(waitStarted(first));
  EXPECT_FALSE(windowVisible(kMainWindow));

  // The desktop session's start of a second copy asks the first for nothing: its window stays
  // in the tray. (The copy sends no request, so nothing can still be on its way once it ended.)
  QProcess& autostarted = startProgram({"--autostart"});
  ASSERT_TRUE(autostarted.waitForFinished(10000));
  EXPECT_EQ(autostarted.exitCode(), 0);
  EXPECT_FALSE(windowVisible(kMainWindow));

  // A document named on the second one's command line goes to the first, which reports that it
  // cannot be read and runs on.
  QProcess& second = startProgram({home_.path() + "/missing.alr"});
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(waitVisible(kMainWindow, true));
  EXPECT_EQ(first.state(), QProcess::Running);

  // A stale socket and lock left by a killed copy do not stop the next start.
  first.kill();
  first.waitForFinished(5000);
  EXPECT_TRUE(waitVisible(kMainWindow, false));
  QProcess& third = startProgram();
  ASSERT_TRUE(waitRunningCopy(third));
  QProcess& fourth = startProgram();
  ASSERT_TRUE(fourth.waitForFinished(10000));
  EXPECT_TRUE(waitVisible(kMainWindow, true));
  EXPECT_EQ(third.state(), QProcess::Running);
}

TEST_F(X11Session, HotkeyReachesTheProgramAlsoWithNumLock) {
  startProgram();
  ASSERT_TRUE(waitVisible(kMainWindow, true));
  ASSERT_EQ(xdotool({"key", "ctrl+shift+a"}), 0);
  EXPECT_TRUE(waitVisible(kMainWindow, false));
  ASSERT_EQ(xdotool({"key", "Num_Lock"}), 0);
  ASSERT_EQ(xdotool({"key", "ctrl+shift+a"}), 0);
  EXPECT_TRUE(waitVisible(kMainWindow, true));
  ASSERT_EQ(xdotool({"key", "Caps_Lock"}), 0);
  ASSERT_EQ(xdotool({"key", "ctrl+shift+a"}), 0);
  EXPECT_TRUE(waitVisible(kMainWindow, false));
}

TEST_F(X11Session, TakenHotkeyIsReportedAndTheOthersWork) {
  helper_.setProcessEnvironment(environment_);
  helper_.start(GRAB_KEY_HELPER, {"0x71"});  // Ctrl+Shift+Q
  ASSERT_TRUE(helper_.waitForStarted());
  ASSERT_TRUE(QTest::qWaitFor([&] { return helper_.canReadLine(); }, 10000));
  ASSERT_EQ(helper_.readLine().trimmed(), "ready");

  startProgram();
  EXPECT_TRUE(waitVisible("Error", true));
  ASSERT_TRUE(waitVisible(kMainWindow, true));
  ASSERT_EQ(xdotool({"key", "ctrl+shift+a"}), 0);
  EXPECT_TRUE(waitVisible(kMainWindow, false));
}

// The dbusmenu layout as (id, properties, children).
struct MenuNode {
  int id = 0;
  QVariantMap properties;
  std::vector<MenuNode> children;
};

MenuNode readNode(const QDBusArgument& argument) {
  MenuNode node;
  argument.beginStructure();
  argument >> node.id >> node.properties;
  argument.beginArray();
  while (!argument.atEnd()) {
    QDBusVariant child;
    argument >> child;
    node.children.push_back(readNode(child.variant().value<QDBusArgument>()));
  }
  argument.endArray();
  argument.endStructure();
  return node;
}

const MenuNode* findLabel(const MenuNode& node, const QString& label) {
  if (node.properties.value("label").toString().remove('_') == label) return &node;
  for (const MenuNode& child : node.children)
    if (const MenuNode* found = findLabel(child, label)) return found;
  return nullptr;
}

TEST_F(X11Session, StatusNotifierItemActivatesAndItsMenuRunsCommands) {
  FakeWatcher& watcher = hostTray();
  ASSERT_FALSE(HasFailure());

  QProcess& program = startProgram();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher.items().isEmpty(); }, 15000));
  const QString item = watcher.lastSender;
  ASSERT_TRUE(waitVisible(kMainWindow, true));

  // A left click on the icon ("Activate") shows and hides the window.
  auto call = [&](const QString& path, const QString& interface, const QString& method, const QVariantList& args) {
    QDBusMessage message = QDBusMessage::createMethodCall(item, path, interface, method);
    message.setArguments(args);
    return callProgram(message);
  };
  EXPECT_NE(call("/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate", {0, 0}).type(),
            QDBusMessage::ErrorMessage);
  EXPECT_TRUE(waitVisible(kMainWindow, false));

  auto layout = [&] {
    const QDBusMessage reply = call("/MenuBar", "com.canonical.dbusmenu", "GetLayout", {0, -1, QStringList()});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    return reply.arguments().size() == 2 ? readNode(reply.arguments()[1].value<QDBusArgument>()) : MenuNode{};
  };
  MenuNode root = layout();
  const MenuNode* turnOff = findLabel(root, "Turn off");
  ASSERT_NE(turnOff, nullptr);
  EXPECT_FALSE(turnOff->properties.value("enabled", true).toBool());
  const MenuNode* show = findLabel(root, "Show");
  ASSERT_NE(show, nullptr);
  auto click = [&](int id) {
    return call("/MenuBar", "com.canonical.dbusmenu", "Event",
                {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
  };
  click(show->id);
  EXPECT_TRUE(waitVisible(kMainWindow, true));
  root = layout();
  EXPECT_NE(findLabel(root, "Hide"), nullptr);

  // "Exit" ends the program and its settings reach the file.
  const MenuNode* exit = findLabel(root, "Exit");
  ASSERT_NE(exit, nullptr);
  click(exit->id);
  // The click's answer is awaited with events running, so the program may have ended already.
  ASSERT_TRUE(program.state() == QProcess::NotRunning || program.waitForFinished(10000));
  EXPECT_EQ(program.exitCode(), 0);
  QFile settings(home_.path() + "/config/Kalvory/Kalvory.conf");
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
  EXPECT_TRUE(settings.readAll().contains("MainPositionX"));
}

// The tray menu of the program's StatusNotifierItem, through the test's stand-in tray host.
class TrayMenu {
 public:
  using Caller = std::function<QDBusMessage(const QDBusMessage&)>;
  TrayMenu(Caller call, QString item) : call_(std::move(call)), item_(std::move(item)) {}
  QDBusMessage call(const QString& path, const QString& interface, const QString& method, const QVariantList& args) {
    QDBusMessage message = QDBusMessage::createMethodCall(item_, path, interface, method);
    message.setArguments(args);
    return call_(message);
  }
  MenuNode layout() {
    const QDBusMessage reply = call("/MenuBar", "com.canonical.dbusmenu", "GetLayout", {0, -1, QStringList()});
    return reply.arguments().size() == 2 ? readNode(reply.arguments()[1].value<QDBusArgument>()) : MenuNode{};
  }
  bool click(const QString& label) {
    const MenuNode root = layout();
    const MenuNode* item = findLabel(root, label);
    if (item == nullptr) return false;
    call("/MenuBar", "com.canonical.dbusmenu", "Event",
         {item->id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
    return true;
  }
  // The check mark of the item with this label: 1 on, 0 off, -1 no such item.
  int toggleState(const QString& label) {
    const MenuNode root = layout();
    const MenuNode* item = findLabel(root, label);
    return item == nullptr ? -1 : item->properties.value("toggle-state", -1).toInt();
  }

 private:
  Caller call_;
  QString item_;
};

// The stand-in logind's inhibitor locks as "who/what/mode".
QStringList inhibitors(QDBusConnection& system) {
  const QDBusMessage reply =
      system.call(QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                 "org.freedesktop.login1.Manager", "ListInhibitors"),
                  QDBus::Block, 5000);
  QStringList locks;
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return locks;
  const QDBusArgument list = reply.arguments()[0].value<QDBusArgument>();
  list.beginArray();
  while (!list.atEnd()) {
    QString what, who, why, mode;
    uint user = 0, process = 0;
    list.beginStructure();
    list >> what >> who >> why >> mode >> user >> process;
    list.endStructure();
    locks << who + "/" + what + "/" + mode;
  }
  list.endArray();
  return locks;
}

TEST_F(X11Session, SessionEndKeepsTheSettings) {
  if (!kalvory::test::PrivateSystemBus::toolsPresent())
    KALVORY_SKIP_WITHOUT_TOOL("dbus-daemon or /usr/bin/python3 missing");
  kalvory::test::PrivateSystemBus system;
  ASSERT_TRUE(system.start()) << system.problem().toStdString();
  ASSERT_TRUE(system.startLogind(home_.path() + "/logind-calls.log")) << system.problem().toStdString();
  environment_.insert("DBUS_SYSTEM_BUS_ADDRESS", system.address());
  QDBusConnection logind = QDBusConnection::connectToBus(system.address(), "logind " + system.address());
  ASSERT_TRUE(logind.isConnected());
  auto prepareForShutdown = [&](bool starting) {
    const QDBusMessage reply =
        logind.call(QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                   "org.freedesktop.DBus.Mock", "EmitSignal")
                        << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("PrepareForShutdown")
                        << QStringLiteral("b") << QVariantList{starting},
                    QDBus::Block, 5000);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
  };
  const QString kalvoryLock = "Kalvory/shutdown/delay";
  auto settingsText = [&] {
    QFile file(home_.path() + "/config/Kalvory/Kalvory.conf");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };

  FakeWatcher& watcher = hostTray();
  ASSERT_FALSE(HasFailure());
  QProcess& program = startProgram();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !watcher.items().isEmpty(); }, 15000));
  TrayMenu tray([this](const QDBusMessage& message) { return callProgram(message); }, watcher.lastSender);
  // The program holds back a shutdown until it has kept its data.
  ASSERT_TRUE(QTest::qWaitFor([&] { return inhibitors(logind).contains(kalvoryLock); }, 10000));

  // A setting changed from the tray menu, then the computer shuts down: logind waits for the lock,
  // which goes only once the settings are in their file. The program itself goes on.
  ASSERT_EQ(tray.toggleState("Calendar in tray"), 1);
  ASSERT_TRUE(tray.click("Calendar in tray"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return tray.toggleState("Calendar in tray") == 0; }, 5000));
  EXPECT_FALSE(settingsText().contains("CalendarInTray=0"));
  prepareForShutdown(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !inhibitors(logind).contains(kalvoryLock); }, 10000));
  EXPECT_TRUE(settingsText().contains("CalendarInTray=0"));
  EXPECT_EQ(program.state(), QProcess::Running);

  // The shutdown was cancelled: the lock is taken again for the next one.
  prepareForShutdown(false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return inhibitors(logind).contains(kalvoryLock); }, 10000));

  // SIGTERM, as the session sends at its end: the change is kept and the program ends cleanly.
  ASSERT_TRUE(tray.click("Calendar in tray"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return tray.toggleState("Calendar in tray") == 1; }, 5000));
  program.terminate();
  ASSERT_TRUE(program.waitForFinished(10000));
  EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_TRUE(settingsText().contains("CalendarInTray=1"));
  EXPECT_TRUE(settingsText().contains("MainPositionX"));
}

// The whole path of a ringing reminder in the real program: its sound reaches the media player
// on the bus, its program starts (the document's programs were allowed earlier), "Turn off"
// from the hotkey asks with the dialog, and its default answer puts the player back.
using namespace kalvory;

TEST_F(X11Session, RingingReminderPlaysStartsItsProgramAndTheDialogTurnsItOff) {
  if (!haveTool("xdotool")) KALVORY_SKIP_WITHOUT_TOOL("xdotool missing");
  const QString log = home_.path() + "/player.log";
  QProcess& player = *processes_.emplace_back(std::make_unique<QProcess>());
  player.setProcessEnvironment(environment_);
  player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  player.start(FAKE_MEDIA_PLAYER,
               {"--log", log, "--audacious", "--state", "playing", "--position", "2", "--time", "61500"});
  ASSERT_TRUE(player.waitForStarted());
  QDBusConnection bus = QDBusConnection::connectToBus(busAddress_, "reminder-actions");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return bus.interface()->isServiceRegistered("org.mpris.MediaPlayer2.audacious").value(); }, 10000));

  // A reminder a few seconds ahead with a sound and a program.
  const QString sound = home_.path() + "/alarm.wav";
  QFile soundFile(sound);
  ASSERT_TRUE(soundFile.open(QIODevice::WriteOnly));
  soundFile.write("RIFF");  // an empty file is no sound: the player would not be asked
  soundFile.close();
  const QString started = home_.path() + "/started";
  const std::string program = "touch \"" + started.toStdString() + "\"";
  const QDateTime due = QDateTime::currentDateTime().addSecs(3);
  const double days = QDate(1899, 12, 30).daysTo(due.date()) + due.time().msecsSinceStartOfDay() / 86400000.0;
  const std::string path = (home_.path() + "/backup.alr").toStdString();
  CAlarmDoc document;
  CAlarmLine line(COleDateTime::fromDays(days), 60);
  line.text = "Backup";
  line.sound_file = sound.toStdString();
  line.program = program;
  document.AddAlarm(line);
  EXPECT_TRUE(saveDocumentFile(document, path).ok());
  const std::string trusted = rememberProgramTrust("", programsFingerprint(path, {program}), true);
  writeSettings(QByteArray("[AppSettings]\nTrustedPrograms=") + trusted.c_str() + "\n");

  startProgram({QString::fromStdString(path)});
  const QString alarmUrl = QUrl::fromLocalFile(sound).toString();
  auto logged = [&] {
    QFile file(log);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return logged().contains(alarmUrl); }, 15000)) << logged().toStdString();
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(started); }, 10000));

  // Ctrl+Shift+- asks; Enter takes the default answer, "Turn off alarm".
  const qsizetype before = logged().size();
  ASSERT_EQ(xdotool({"key", "ctrl+shift+minus"}), 0);
  ASSERT_TRUE(waitVisible("Turn off alarm", true));
  ASSERT_EQ(xdotool({"search", "--onlyvisible", "--name", "^Turn off alarm$", "windowfocus", "--sync"}), 0);
  ASSERT_EQ(xdotool({"key", "Return"}), 0);
  EXPECT_TRUE(waitVisible("Turn off alarm", false));
  EXPECT_TRUE(QTest::qWaitFor([&] { return logged().mid(before).contains("aud.Jump 2"); }, 10000))
      << logged().mid(before).toStdString();
}

// A document whose only reminder starts `touch MARK` `seconds` from now, its program allowed
// in the settings text returned.
// A document whose reminders ring the given number of seconds from now, each touching its mark
// file; the settings text that trusts their programs.
struct Ring {
  QString mark;
  int seconds;
};
QByteArray ringingDocument(const QString& path, const std::vector<Ring>& rings, const QByteArray& settings = {}) {
  CAlarmDoc document;
  for (const Ring& ring : rings) {
    const std::string program = "touch \"" + ring.mark.toStdString() + "\"";
    const QDateTime due = QDateTime::currentDateTime().addSecs(ring.seconds);
    const double days = QDate(1899, 12, 30).daysTo(due.date()) + due.time().msecsSinceStartOfDay() / 86400000.0;
    CAlarmLine line(COleDateTime::fromDays(days), 60);
    line.text = "Stretch";
    line.osd = 0;
    line.program = program;
    document.AddAlarm(line);
  }
  EXPECT_TRUE(saveDocumentFile(document, path.toStdString()).ok());
  const std::string trusted = rememberProgramTrust(
      settings.toStdString(), programsFingerprint(path.toStdString(), documentPrograms(document)), true);
  return QByteArray::fromStdString(trusted);
}

// The window manager's close button hides the window to the tray and the program rings on; the
// first time a small message says how to quit, and the settings remember that it was said.
TEST_F(X11Session, WindowManagersCloseKeepsTheProgramInTheTray) {
  const QString path = home_.path() + "/stretch.alr";
  // The test needs a reminder that falls due after the close, which comes once the program has
  // started: on a loaded machine that can take longer than the first one leaves, so a later one
  // stands by.
  const std::vector<Ring> rings{{home_.path() + "/rang-first", 8}, {home_.path() + "/rang-second", 25}};
  const QDateTime created = QDateTime::currentDateTime();
  const QByteArray trusted = ringingDocument(path, rings);
  writeSettings("[AppSettings]\nTrustedPrograms=" + trusted + "\n");
  hostTray();
  QProcess& program = startProgram({path});
  ASSERT_TRUE(waitStarted(program));
  // Closed once the document is open and named in the title, as the user sees the window.
  ASSERT_TRUE(waitVisible(QStringLiteral("stretch\\.alr.*Kalvory"), true));
  const QStringList windows = visibleWindows(kMainWindow);
  ASSERT_EQ(windows.size(), 1);
  const QString frame = windows[0];

  // The main window goes; the notice (also named "Kalvory") comes in its place.
  closeAsWindowManager(frame);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const QStringList now = visibleWindows(kMainWindow);
        return now.size() == 1 && now[0] != frame;
      },
      10000));
  // The first reminder still to come when the window had gone (a second's margin for the time
  // the ring takes) must ring.
  const qint64 closedAfter = created.secsTo(QDateTime::currentDateTime()) + 1;
  const auto later =
      std::find_if(rings.begin(), rings.end(), [&](const Ring& ring) { return ring.seconds > closedAfter; });
  ASSERT_NE(later, rings.end()) << "the close came " << closedAfter << " s after the start, after every reminder";
  ASSERT_FALSE(QFile::exists(later->mark)) << "a reminder rang before its time";
  EXPECT_TRUE(QTest::qWaitFor([&] { return settingsText().contains("CloseNoticeShown=1"); }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(later->mark); }, 35000)) << "the reminder rings on";
  EXPECT_EQ(program.state(), QProcess::Running);

  // File > Exit (here from the tray's menu, the same command) still quits.
  TrayMenu tray([this](const QDBusMessage& message) { return callProgram(message); }, watcher_->lastSender);
  ASSERT_TRUE(tray.click("Exit"));
  ASSERT_TRUE(program.state() == QProcess::NotRunning || program.waitForFinished(10000));
  EXPECT_EQ(program.exitCode(), 0);
}

// With neither a tray nor a notification server nothing could bring the window back: the close
// button quits, as the exit command does.
TEST_F(X11Session, WindowManagersCloseQuitsWhereNothingCouldBringTheWindowBack) {
  QProcess& program = startProgram();
  ASSERT_TRUE(waitRunningCopy(program));
  ASSERT_TRUE(waitVisible(kMainWindow, true));
  const QStringList windows = visibleWindows(kMainWindow);
  ASSERT_EQ(windows.size(), 1);
  closeAsWindowManager(windows[0]);
  ASSERT_TRUE(program.state() == QProcess::NotRunning || program.waitForFinished(10000));
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_FALSE(settingsText().contains("CloseNoticeShown=1"));
}

// A damaged document named on the command line: the message shows and the program runs on with
// the last document, whose reminder rings.
TEST_F(X11Session, DamagedDocumentOnTheCommandLineLeavesTheProgramRunning) {
  const QString last = home_.path() + "/daily.alr";
  const QString mark = home_.path() + "/last-rang";
  // A second reminder stands by for a machine so loaded that the program starts after the first.
  const QByteArray trusted = ringingDocument(last, std::vector<Ring>{{mark, 6}, {mark, 20}});
  writeSettings("[AppSettings]\nTrustedPrograms=" + trusted + "\n[Recent%20File%20List]\nFile1=" + last.toUtf8() +
                "\n");
  const QString damaged = home_.path() + "/damaged.alr";
  QFile file(damaged);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("\x05\x00\x00\x00not a document");
  file.close();
  hostTray();
  QProcess& program = startProgram({damaged});
  ASSERT_TRUE(waitStarted(program));
  // The main window and the message.
  EXPECT_TRUE(QTest::qWaitFor([&] { return visibleWindows(kMainWindow).size() == 2; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(mark); }, 30000)) << "the last document's reminder rings";
  EXPECT_EQ(program.state(), QProcess::Running);
}

// "kalvory other.alr" while a copy runs: the running copy asks about its unsaved changes and
// opens the other document, whose reminder then rings there.
TEST_F(X11Session, DocumentNamedToASecondCopyOpensInTheRunningOne) {
  const QString first = home_.path() + "/first.alr";
  CAlarmDoc empty;
  EXPECT_TRUE(saveDocumentFile(empty, first.toStdString()).ok());
  const QString other = home_.path() + "/other.alr";
  const QString mark = home_.path() + "/other-rang";
  // A second reminder stands by for a machine so loaded that the document opens after the first.
  const QByteArray trusted = ringingDocument(other, std::vector<Ring>{{mark, 10}, {mark, 25}});
  writeSettings("[AppSettings]\nSaveDocumentOnExit=0\nTrustedPrograms=" + trusted + "\n");
  hostTray();
  QProcess& program = startProgram({first});
  ASSERT_TRUE(waitStarted(program));
  ASSERT_TRUE(waitVisible(kMainWindow, true));
  // An unsaved change: a reminder added from the command line.
  QProcess& add = startProgram({"--add", "Tea", "--at", "in 30 min"});
  ASSERT_TRUE(add.waitForFinished(10000));
  ASSERT_EQ(add.exitCode(), 0);

  const QStringList before = visibleWindows(kMainWindow);
  ASSERT_EQ(before.size(), 1);
  QProcess& second = startProgram({"other.alr"}, home_.path());  // a path relative to the second copy
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitCode(), 0);
  // The save question, over the shown window; its default answer saves the first document.
  QString question;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (const QString& window : visibleWindows(kMainWindow))
          if (window != before[0]) question = window;
        return !question.isEmpty();
      },
      10000));
  ASSERT_EQ(xdotool({"windowfocus", "--sync", question}), 0);
  ASSERT_EQ(xdotool({"key", "Return"}), 0);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        QFile file(first);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains("Tea");
      },
      10000))
      << "the first document was not saved";
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(mark); }, 35000)) << "the other document's reminder rings";
  EXPECT_EQ(program.state(), QProcess::Running);
}

}  // namespace

extern "C" const char* __lsan_default_suppressions() { return "leak:libQt6\nleak:libdbus\nleak:libglib\n"; }

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "x11_test.moc"

namespace {

// "kalvory --command ..." on the test's session bus and display: its exit code, and what it
// printed on stdout and stderr.
struct CommandRun {
  int exitCode = -1;
  QString output;
  QString error;
};

CommandRun runCommandLine(const QProcessEnvironment& environment, const QStringList& arguments) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(KALVORY_BINARY, arguments);
  CommandRun run;
  if (!process.waitForFinished(15000)) {
    process.kill();
    process.waitForFinished(3000);
    return run;
  }
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.output = QString::fromUtf8(process.readAllStandardOutput());
  run.error = QString::fromUtf8(process.readAllStandardError());
  return run;
}

}  // namespace

TEST_F(X11Session, CommandLineRunsTheRunningCopysCommandsOverTheBus) {
  // With no copy running the caller is told so, and fails.
  CommandRun run = runCommandLine(environment_, {"--command", "show-hide"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.error.contains("not running")) << run.error.toStdString();

  QProcess& program = startProgram();
  ASSERT_TRUE(waitVisible(kMainWindow, true));
  QDBusConnection bus = QDBusConnection::connectToBus(busAddress_, "commands " + busAddress_);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return bus.interface()->isServiceRegistered("org.kalvory.Kalvory").value(); }, 15000));

  // The same command a hotkey runs: the main window hides and comes back.
  run = runCommandLine(environment_, {"--command", "show-hide"});
  EXPECT_EQ(run.exitCode, 0) << run.error.toStdString();
  EXPECT_TRUE(waitVisible(kMainWindow, false));
  run = runCommandLine(environment_, {"--command", "show-hide"});
  EXPECT_EQ(run.exitCode, 0) << run.error.toStdString();
  EXPECT_TRUE(waitVisible(kMainWindow, true));

  // An unknown name is refused with the names there are; the program goes on.
  run = runCommandLine(environment_, {"--command", "show-everything"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(run.error.contains("quick-paste-1")) << run.error.toStdString();
  // The program itself also refuses a name it does not know, when called directly.
  QDBusMessage call =
      QDBusMessage::createMethodCall("org.kalvory.Kalvory", "/org/kalvory/Kalvory", "org.kalvory.Kalvory", "Command");
  call << QStringLiteral("rm -rf");
  const QDBusMessage refused = bus.call(call, QDBus::Block, 10000);
  EXPECT_EQ(refused.errorName(), "org.kalvory.Kalvory.Error.UnknownCommand");
  EXPECT_EQ(program.state(), QProcess::Running);

  run = runCommandLine(environment_, {"--command", "list"});
  EXPECT_EQ(run.exitCode, 0);
  for (const char* name : {"show-clock", "quick-paste-3", "turn-off", "change-wallpaper", "copy-date"})
    EXPECT_TRUE(run.output.contains(QLatin1String(name))) << name;

  // Exit, too: the program ends as from its menu.
  run = runCommandLine(environment_, {"--command", "exit"});
  EXPECT_EQ(run.exitCode, 0) << run.error.toStdString();
  ASSERT_TRUE(program.waitForFinished(15000));
  EXPECT_EQ(program.exitCode(), 0);
  QDBusConnection::disconnectFromBus("commands " + busAddress_);
}
