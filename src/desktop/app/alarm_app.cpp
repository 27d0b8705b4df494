#include "desktop/app/alarm_app.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

#include "core/alarms/action_services.h"
#include "core/resources/resource_strings.h"
#include "core/settings/data_folder.h"
#include "core/settings/settings_store.h"
#include "core/skins/definitions.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/app/desktop_program.h"
#include "desktop/app/quick_add_handler.h"
#include "desktop/common/commands.h"
#include "desktop/common/language_forms.h"
#include "desktop/common/program_title.h"
#include "desktop/common/qt_text.h"
#include "desktop/plugins/plugin_host.h"
#include "desktop/shell/main_frame.h"
#include "desktop/view/alarm_view.h"
#include "platform/instance/single_instance.h"
#include "platform/settings/user_folders.h"

namespace kalvory {

Q_LOGGING_CATEGORY(lcApp, "kalvory.app", QtInfoMsg)

namespace {

// The document filter from the document template string: "Kalvory files(*.alr)".
QString documentFilter(UiLanguage language) {
  const std::vector<std::string> parts = [&] {
    std::vector<std::string> out;
    std::string text = loadString(StringId::DocumentTemplate, language);
    std::size_t start = 0;
    for (std::size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1)
      out.push_back(text.substr(start, at - start));
    out.push_back(text.substr(start));
    return out;
  }();
  return parts.size() > 3 && !parts[3].empty() ? toQString(parts[3]) : QStringLiteral("Kalvory files(*.alr)");
}

}  // namespace

CAlarmApp::CAlarmApp(Environment environment, QObject* parent) : QObject(parent), environment_(std::move(environment)) {
  DocumentPrompts prompts = environment_.prompts;
  auto language = [this] { return settings_.app.uiLanguage(); };
  if (!prompts.openPath)
    prompts.openPath = [this, language] {
      return toStdString(QFileDialog::getOpenFileName(frame() && frame()->isVisible() ? frame() : nullptr,
                                                      toQString(loadString(StringId::OpenDocumentTitle, language())),
                                                      toQString(documents_ ? documents_->openFolder() : std::string()),
                                                      documentFilter(language())));
    };
  if (!prompts.savePath)
    prompts.savePath = [this, language](const std::string& suggested) {
      return toStdString(QFileDialog::getSaveFileName(frame() && frame()->isVisible() ? frame() : nullptr,
                                                      toQString(loadString(StringId::SaveDocumentTitle, language())),
                                                      toQString(suggested), documentFilter(language())));
    };
  const auto calendarFilter = [language] { return toQString(loadString(StringId::CalendarFileFilter, language())); };
  if (!prompts.importCalendarPath)
    prompts.importCalendarPath = [this, language, calendarFilter] {
      return toStdString(QFileDialog::getOpenFileName(frame() && frame()->isVisible() ? frame() : nullptr,
                                                      toQString(loadString(StringId::ImportCalendarTitle, language())),
                                                      QString(), calendarFilter()));
    };
  if (!prompts.exportCalendarPath)
    prompts.exportCalendarPath = [this, language, calendarFilter](const std::string& suggested) {
      return toStdString(QFileDialog::getSaveFileName(frame() && frame()->isVisible() ? frame() : nullptr,
                                                      toQString(loadString(StringId::ExportCalendarTitle, language())),
                                                      toQString(suggested), calendarFilter()));
    };
  if (!prompts.saveChanges)
    prompts.saveChanges = [this](const std::string& question) {
      const auto answer =
          QMessageBox::question(frame() && frame()->isVisible() ? frame() : nullptr, programTitle(),
                                toQString(question), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      return answer == QMessageBox::Yes  ? SaveChangesAnswer::Yes
             : answer == QMessageBox::No ? SaveChangesAnswer::No
                                         : SaveChangesAnswer::Cancel;
    };
  if (!prompts.restoreChanges)
    prompts.restoreChanges = [](const std::string& question) {
      return QMessageBox::question(nullptr, programTitle(), toQString(question)) == QMessageBox::Yes;
    };
  if (!prompts.allowPrograms)
    prompts.allowPrograms = [this](const std::string& question) {
      QMessageBox box(QMessageBox::Warning, programTitle(), toQString(question), QMessageBox::Yes | QMessageBox::No,
                      frame() && frame()->isVisible() ? frame() : nullptr);
      // Refusing is the safe answer to a key pressed without reading.
      box.setDefaultButton(QMessageBox::No);
      box.setTextInteractionFlags(Qt::TextSelectableByMouse);
      return box.exec() == QMessageBox::Yes;
    };
  documents_ =
      std::make_unique<DocumentController>(document_, settings_, *environment_.errors, std::move(prompts), language);
}

CAlarmApp::~CAlarmApp() = default;

CMainFrame* CAlarmApp::frame() const { return program_ ? &program_->frame() : nullptr; }

void CAlarmApp::SetLanguage(int language) {
  settings_.app.language = language;
  // Dates, day and month names follow the interface language.
  QLocale::setDefault(uiLocale(settings_.app.uiLanguage()));
}

QByteArray CAlarmApp::openRequestLine(const QString& path) {
  // Absolute, since the running copy has a working folder of its own; encoded, so that no line
  // break in a file name can end the request early.
  return QByteArrayLiteral("open ") + QFileInfo(path).absoluteFilePath().toUtf8().toPercentEncoding() + '\n';
}

bool CAlarmApp::InitInstance(const QStringList& arguments) {
  const QStringList documents = [&] {
    QStringList paths;
    for (const QString& argument : arguments)
      if (!argument.startsWith(QLatin1Char('-'))) paths << argument;
    return paths;
  }();
  // Started by the desktop session: the reminders come back and the window waits in the tray.
  const bool autostarted = arguments.contains(QStringLiteral("--autostart"));

  // 1-2. One copy per user: a later one asks the first to show itself, or to open the document
  // named on its command line as File > Open would, and ends. A copy the desktop session starts
  // while one already runs (started by hand before the session's autostart got to it) asks
  // nothing: the window of the running copy stays as the user left it.
  if (environment_.singleInstance) {
    instance_ = std::make_unique<SingleInstance>(environment_.instanceName, environment_.instanceDirectory);
    const QByteArray request = environment_.quickAdd  ? QuickAddHandler::requestLine(*environment_.quickAdd)
                               : !documents.isEmpty() ? openRequestLine(documents.first())
                               : autostarted          ? QByteArray()
                                                      : QByteArrayLiteral("show\n");
    if (instance_->start(request) == SingleInstance::Role::Secondary) {
      secondInstance_ = true;
      instanceAnswer_ = instance_->answer();
      return false;
    }
  }

  // 3-5. The settings (with the recent-file list) and the language.
  SettingsEnvironment settingsEnvironment;
  if (QScreen* screen = QGuiApplication::primaryScreen())
    settingsEnvironment.primary_screen_width = screen->geometry().width();
  settingsEnvironment.pictures_folder = picturesFolder();
  settings_ = LoadSettings(*environment_.store, settingsEnvironment);
  SetLanguage(settings_.app.language);

  // 7. The document, with the definitions of the data folder, and the main window.
  QString dataFolder = environment_.dataFolder;
  if (dataFolder.isEmpty()) dataFolder = toQString(prepareDataFolder(*environment_.errors));
  const std::string folder = toStdString(dataFolder);
  ErrorReporter* errors = environment_.errors;
  document_.definitionsLoader = [this, folder, errors](CAlarmDoc& doc) {
    doc.notifiers = LoadNotifiers(folder, settings_.app.default_notifier, errors);
    doc.stickers = LoadStickers(folder, settings_.app.default_sticker, errors);
  };
  document_.OnNewDocument();
  document_.SetModifiedFlag(false);
  documents_->setRecoveryFolder(folder);

  DesktopProgram::Services services;
  services.hotkeys = environment_.hotkeys;
  services.paste = environment_.paste;
  services.errors = environment_.errors;
  services.power = environment_.power;
  services.actionServices = environment_.actionServices;
  services.wallpaper = environment_.wallpaper;
  services.songs = environment_.songs;
  services.clock = environment_.clock;
  services.dataFolder = dataFolder;
  services.setLanguage = [this](int language) { SetLanguage(language); };
  services.saveSettings = [this] { saveSettings(); };
  services.settingsStore = environment_.store;
  program_ = std::make_unique<DesktopProgram>(settings_, *documents_, services);
  frame()->setStarting(true);
  connect(program_.get(), &DesktopProgram::exitRequested, this, [this] { exitCommand(); });
  if (instance_)
    connect(instance_.get(), &SingleInstance::showRequested, program_.get(), &DesktopProgram::showInstance);

  // 9. The command line: a document path opens it. One that cannot be read is reported and the
  // program runs on with the document it would have had without it: a resident program that
  // ended here would take every reminder with it.
  const bool openedNamed = !documents.isEmpty() && documents_->loadFile(toStdString(documents.first()));
  program_->activate();

  // 11. Plug-ins.
  startPlugins();

  // 12. The last document, when asked for and when there is one (the named one, once opened,
  // is the last one already).
  if ((settings_.app.load_last_document || autostarted) && !openedNamed) {
    const std::string last = settings_.recent_files.files[0];
    if (!last.empty()) documents_->openDocument(last);
  }
  // Unsaved changes an ended session kept.
  documents_->offerRecoveryCopy();

  // A reminder typed on the command line, now or later from a second copy.
  quickAdd_ = std::make_unique<QuickAddHandler>(*documents_, settings_, environment_.clock);
  if (instance_) {
    instance_->setRequestHandler("add", [this](const QByteArray& argument) { return quickAdd_->answer(argument); });
    // Answered at once; the opening itself (with its save question) runs after the answer, so
    // that the second copy never waits on a question the user has not seen yet.
    instance_->setRequestHandler("open", [this](const QByteArray& argument) {
      const QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(argument));
      QTimer::singleShot(0, this, [this, path] {
        if (!program_ || exited_) return;
        program_->showInstance();
        documents_->openDocument(toStdString(path));
      });
      return QByteArrayLiteral("opening");
    });
  }
  if (environment_.quickAdd) {
    Result<std::string> added = quickAdd_->add(*environment_.quickAdd);
    if (!added.ok()) environment_.errors->reportError({}, added.error());
  }

  // 13. The main window, or only the tray icon (always, when the session started the program and
  // a tray shows the icon).
  if (settings_.app.main_frame_visible && !(autostarted && QSystemTrayIcon::isSystemTrayAvailable()))
    frame()->show();
  else
    frame()->hide();
  frame()->setStarting(false);
  return true;
}

void CAlarmApp::saveSettings() {
  SaveSettings(settings_, *environment_.store);
  if (environment_.saveStore) environment_.saveStore();
}

// The plug-ins get the main window's X window id as their way back into the program.
void CAlarmApp::startPlugins() { program_->plugins().StartPlugins(static_cast<unsigned long>(frame()->winId())); }
// Only the exit command stops them; an ended session leaves them be.
void CAlarmApp::stopPlugins() { program_->plugins().StopPlugins(); }

void CAlarmApp::sessionEnding(bool quit) {
  if (exited_) return;  // the exit command has settled everything already
  saveSettings();
  documents_->keepUnsavedChanges(quit);
  if (quit && program_) exitCommand();
}

bool CAlarmApp::exitCommand() {
  if (exited_) return true;
  // 1. The window stores its positions, asks about unsaved changes and tears down.
  if (!program_->close()) return false;
  exited_ = true;
  // 2-3. Settings, then the plug-ins.
  saveSettings();
  stopPlugins();
  // 4-7. A power-off or restart an exit action asked for.
  const AlarmEngine& engine = program_->alarms().engine();
  if (!secondInstance_ && engine.exitWindowsPending()) {
    const unsigned flags = engine.exitWindowsFlags();
    if (environment_.power) {
      // Failures are not shown: the program has already closed itself.
      const Result<void> requested =
          flags == kExitWindowsReboot ? environment_.power->reboot() : environment_.power->powerOff();
      static_cast<void>(requested);
    } else {
      qCInfo(lcApp) << "would" << (flags == kExitWindowsReboot ? "restart" : "power off") << "the computer";
    }
  }
  emit finished();
  return true;
}

}  // namespace kalvory
