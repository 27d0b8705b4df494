// Kalvory: a resident reminder program for the desktop.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

#include "desktop/alarms/alarm_controller.h"
#include "desktop/app/alarm_app.h"
#include "desktop/app/command_line.h"
#include "desktop/app/desktop_integration.h"
#include "desktop/app/desktop_program.h"
#include "desktop/app/quick_add_handler.h"
#include "desktop/app/render_command.h"
#include "desktop/app/session_end_watcher.h"
#include "desktop/common/message_box_reporter.h"
#include "desktop/hotkeys/bus_commands.h"
#include "platform/dbus/logind_power_manager.h"
#include "platform/media/desktop_media_player.h"
#include "platform/media/desktop_program_launcher.h"
#include "platform/media/player_song_cache.h"
#include "platform/media/shared_object_speech_library.h"
#include "platform/session/command_bus.h"
#include "platform/session/desktop_session.h"
#include "platform/session/remote_desktop_paste.h"
#include "platform/session/virtual_keyboard_paste.h"
#include "platform/settings/ini_settings_store.h"
#include "platform/wayland/layer_surface.h"
#include "platform/x11/hotkey_service.h"
#include "platform/x11/synthetic_paste.h"

namespace {

constexpr const char* kUsage =
    "Usage: kalvory [DOCUMENT.alr]\n"
    "       kalvory [DOCUMENT.alr] --add TEXT (--at WHEN [--daily] [--weekdays mon,tue,...] | --timer MINUTES)\n"
    "       kalvory --autostart\n"
    "       kalvory --register\n"
    "       kalvory --command NAME|list\n"
    "       kalvory --render KIND [OPTIONS] --out FILE.png\n"
    "       kalvory --help\n"
    "\n"
    "Keeps reminders and day notes and lives in the notification area.\n"
    "Only one copy runs per user; starting it again shows the running copy.\n"
    "\n"
    "  DOCUMENT.alr  open this document instead of a new one; while a copy runs, that copy opens it\n"
    "  --autostart   as the desktop session starts it: reopen the last document and start in the\n"
    "                notification area; ends at once, leaving it be, while a copy runs\n"
    "  --register    install the desktop menu entry and the \"*.alr\" file type for this user\n"
    "  --add TEXT    add a reminder to the running copy's document (or, when none runs, to the\n"
    "                document this copy opens) and mark it modified; it is saved at once when\n"
    "                \"SaveDocumentOnExit\" is on and the document has a file\n"
    "  --at WHEN     when it rings: \"HH:MM\" (tomorrow once passed today), \"YYYY-MM-DD HH:MM\",\n"
    "                \"in 10 min\", \"in 2 h\", \"tomorrow 9:00\", \"friday 18:30\"; also Russian\n"
    "                (\"через 10 мин\", \"завтра 9:00\") and Ukrainian (\"через 2 год\", \"п'ятниця 18:30\")\n"
    "  --daily       every day at the time of --at; --weekdays mon,fri only on those days\n"
    "  --timer MIN   a timer that rings MIN minutes from now\n"
    "  --command NAME  run a command of the running copy (what its hotkeys do), e.g. show-clock,\n"
    "                quick-paste-1, turn-off; bind it to any key in the desktop's keyboard settings;\n"
    "                \"--command list\" names them all\n"
    "  --help        show this text and which way each service works in this session\n"
    "Qt's own options (-session ID, -platform NAME, -style NAME, ...) are left to Qt.\n";

}  // namespace

// Drawing a window to a file needs no display and no running copy.
static int renderWindow(int argc, char** argv, const QStringList& arguments) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Q_INIT_RESOURCE(kalvory_icons);
  return kalvory::runRenderCommand(arguments);
}

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  arguments = kalvory::withoutToolkitOptions(arguments);

  if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
    std::fputs(kUsage, stdout);
    std::fputs(kalvory::kRenderUsage, stdout);
    // The backends are found as the running program finds them; the bus needs an application.
    QCoreApplication app(argc, argv);
    std::printf("\nIn this session:\n%s",
                kalvory::describeBackends(kalvory::detectDesktopSession(true)).toLocal8Bit().constData());
    return 0;
  }
  if (const qsizetype at = arguments.indexOf(QStringLiteral("--command")); at >= 0) {
    if (at + 1 >= arguments.size()) {
      std::fprintf(stderr, "kalvory: --command needs a name; \"kalvory --command list\" names them\n");
      return 2;
    }
    QCoreApplication app(argc, argv);
    return kalvory::runCommandOption(arguments[at + 1]);
  }
  if (arguments.contains(QStringLiteral("--render"))) return renderWindow(argc, argv, arguments);
  // The quick add's options leave `arguments`, so that its text is not taken for a document.
  auto quickAdd = kalvory::QuickAddHandler::takeArguments(arguments, kalvory::systemNow());
  if (!quickAdd.ok()) {
    std::fprintf(stderr, "kalvory: %s\n", quickAdd.error().c_str());
    return 1;
  }
  for (const QString& argument : arguments) {
    if (argument.startsWith(QLatin1Char('-')) && argument != QStringLiteral("--register") &&
        argument != QStringLiteral("--autostart")) {
      std::fprintf(stderr, "kalvory: unknown option %s\n%s", argument.toLocal8Bit().constData(), kUsage);
      return 2;
    }
  }
  if (arguments.contains(QStringLiteral("--register"))) {
    QCoreApplication app(argc, argv);
    Q_INIT_RESOURCE(kalvory_icons);
    const QString failed = kalvory::DesktopIntegration::install(kalvory::DesktopIntegration::userDataHome(),
                                                                QCoreApplication::applicationFilePath());
    if (!failed.isEmpty()) {
      std::fprintf(stderr, "kalvory: cannot write %s\n", failed.toLocal8Bit().constData());
      return 1;
    }
    std::printf("kalvory: registered the desktop entry and the *.alr file type in %s\n",
                kalvory::DesktopIntegration::userDataHome().toLocal8Bit().constData());
    return 0;
  }

  // On X, Qt hands window contents to the server through shared memory and then, before it may
  // draw into that memory again, waits for the server with a round trip: one extra wake-up for
  // every redraw, and the clocks redraw every second. The program's redraws are small (a clock,
  // a line of text), so sending them over the connection costs less. A user's own setting wins.
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
  // A compositor without a layer shell (GNOME) neither keeps a Wayland window on top nor lets it
  // stand at its stored place, but places and stacks X11 windows as they ask: the on-screen clock,
  // message, notifier and stopwatch then work as on X11 through XWayland.
  if (kalvory::runThroughXWayland(QProcessEnvironment::systemEnvironment(), kalvory::compositorOffersLayerShell))
    qputenv("QT_QPA_PLATFORM", "xcb");

  QApplication app(argc, argv);
  Q_INIT_RESOURCE(kalvory_icons);
  QApplication::setApplicationName(QStringLiteral("Kalvory"));
  QApplication::setOrganizationName(QStringLiteral("Kalvory"));
  QApplication::setDesktopFileName(QStringLiteral("kalvory"));
  // The program lives on in the tray when its window is hidden or closed.
  QApplication::setQuitOnLastWindowClosed(false);

  kalvory::MessageBoxReporter errors;
  kalvory::IniSettingsStore store(kalvory::defaultSettingsFilePath());
  if (!store.problem().empty()) errors.reportError({}, store.problem());
  // The hotkeys' way (X11 grabs or the desktop's shortcuts portal) and the paste's (XTest, the
  // desktop's RemoteDesktop portal or the user's own Ctrl+V) follow the session.
  kalvory::DesktopSession session = kalvory::detectDesktopSession(false);
  if (session.kind == kalvory::SessionKind::Wayland) {
    session.portals = kalvory::probeDesktopPortals(QDBusConnection::sessionBus());
    session.virtualKeyboard = kalvory::compositorOffersVirtualKeyboard();
  }
  const std::unique_ptr<kalvory::HotkeyService> hotkeys = kalvory::createHotkeyService(session);
  const std::unique_ptr<kalvory::PasteInjector> paste = kalvory::createPasteInjector(session);
  kalvory::LogindPowerManager power;
  kalvory::DesktopProgramLauncher launcher;
  // The spoken time is in the program's language; the library is told it when it is called.
  kalvory::CAlarmApp* program = nullptr;
  kalvory::SharedObjectSpeechLibrary speech(kalvory::SharedObjectSpeechLibrary::programLibraryFolders(),
                                            [&program] { return program ? program->settings().app.language : 1; });

  kalvory::CAlarmApp::Environment environment;
  environment.store = &store;
  environment.saveStore = [&store] { return store.save(); };
  environment.hotkeys = hotkeys.get();
  environment.paste = paste.get();
  environment.power = &power;
  environment.errors = &errors;
  environment.actionServices.createPlayer = [](const kalvory::AlarmSettings& settings) {
    return std::unique_ptr<kalvory::MediaPlayer>(kalvory::createMediaPlayer(settings));
  };
  // The song codes read the player that "WinampPath" names, as the alarm sounds do.
  kalvory::PlayerSongCache songs(
      [&program] { return program ? program->settings().sound.winamp_path : std::string(); });
  environment.songs = &songs;
  environment.actionServices.launcher = &launcher;
  environment.actionServices.speech = &speech;
  environment.quickAdd = quickAdd.value();

  kalvory::CAlarmApp alarmApp(environment);
  program = &alarmApp;
  QObject::connect(&alarmApp, &kalvory::CAlarmApp::finished, &app, &QApplication::quit, Qt::QueuedConnection);
  if (!alarmApp.InitInstance(arguments)) {
    if (alarmApp.secondInstance() && environment.quickAdd) {
      const auto& answer = alarmApp.instanceAnswer();
      const auto added = answer ? kalvory::QuickAddHandler::parseAnswer(*answer)
                                : kalvory::Result<std::string>(kalvory::Failure{"the running copy did not answer"});
      if (!added.ok()) {
        std::fprintf(stderr, "kalvory: %s\n", added.error().c_str());
        return 1;
      }
      std::printf("kalvory: added %s\n", added.value().c_str());
      return 0;
    }
    // A document handed to the running copy, which opens it as File > Open would.
    const bool namedDocument = std::any_of(arguments.begin(), arguments.end(), [](const QString& argument) {
      return !argument.startsWith(QLatin1Char('-'));
    });
    if (alarmApp.secondInstance() && namedDocument && !alarmApp.instanceAnswer()) {
      std::fprintf(stderr, "kalvory: the running copy did not answer\n");
      return 1;
    }
    return alarmApp.secondInstance() ? 0 : 1;
  }
  // The hotkeys' commands for any key binding of the desktop's own, "kalvory --command NAME".
  QString busProblem;
  const auto commandBus = kalvory::publishBusCommands(alarmApp.program()->actions(), &busProblem);
  if (!commandBus)
    std::fprintf(stderr, "kalvory: --command will not reach this copy: %s\n", busProblem.toLocal8Bit().constData());
  // Signals, logout and shutdown keep the settings and unsaved changes.
  kalvory::SessionEndWatcher sessionEnd;
  QObject::connect(&sessionEnd, &kalvory::SessionEndWatcher::sessionEnding, &alarmApp,
                   &kalvory::CAlarmApp::sessionEnding);
  return app.exec();
}
