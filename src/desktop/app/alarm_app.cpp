#include "desktop/app/alarm_app.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>

#include "core/alarms/action_services.h"
#include "core/settings/data_folder.h"
#include "core/settings/settings_store.h"
#include "core/skins/definitions.h"
#include "desktop/common/commands.h"
#include "desktop/common/menu_resources.h"
#include "desktop/shell/main_frame.h"
#include "platform/instance/single_instance.h"
#include "platform/settings/user_folders.h"

namespace kalvory {

namespace {

QString utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string toUtf8(const QString& text) { return text.toUtf8().toStdString(); }

// The document filter from the document template string: "Kalvory files(*.alr)".
QString documentFilter(UiLanguage language) {
  const std::vector<std::string> parts = [&] {
    std::vector<std::string> out;
    std::string text = loadString(128, language);
    std::size_t start = 0;
    for (std::size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1)
      out.push_back(text.substr(start, at - start));
    out.push_back(text.substr(start));
    return out;
  }();
  return parts.size() > 3 && !parts[3].empty() ? utf8(parts[3]) : QStringLiteral("Kalvory files(*.alr)");
}

}  // namespace

CAlarmApp::CAlarmApp(Environment environment, QObject* parent) : QObject(parent), environment_(std::move(environment)) {
  DocumentPrompts prompts = environment_.prompts;
  auto language = [this] { return settings_.app.uiLanguage(); };
  if (!prompts.openPath)
    prompts.openPath = [this, language] {
      return toUtf8(QFileDialog::getOpenFileName(frame_ && frame_->isVisible() ? frame_.get() : nullptr,
                                                 utf8(desktopText(DesktopText::OpenDocumentTitle, language())),
                                                 QString(), documentFilter(language())));
    };
  if (!prompts.savePath)
    prompts.savePath = [this, language](const std::string& suggested) {
      return toUtf8(QFileDialog::getSaveFileName(frame_ && frame_->isVisible() ? frame_.get() : nullptr,
                                                 utf8(desktopText(DesktopText::SaveDocumentTitle, language())),
                                                 utf8(suggested), documentFilter(language())));
    };
  if (!prompts.saveChanges)
    prompts.saveChanges = [this](const std::string& question) {
      const auto answer =
          QMessageBox::question(frame_ && frame_->isVisible() ? frame_.get() : nullptr, QStringLiteral("Kalvory"),
                                utf8(question), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      return answer == QMessageBox::Yes  ? SaveChangesAnswer::Yes
             : answer == QMessageBox::No ? SaveChangesAnswer::No
                                         : SaveChangesAnswer::Cancel;
    };
  if (!prompts.restoreChanges)
    prompts.restoreChanges = [](const std::string& question) {
      return QMessageBox::question(nullptr, QStringLiteral("Kalvory"), utf8(question)) == QMessageBox::Yes;
    };
  documents_ =
      std::make_unique<DocumentController>(document_, settings_, *environment_.errors, std::move(prompts), language);
}

CAlarmApp::~CAlarmApp() = default;

void CAlarmApp::SetLanguage(int language) {
  settings_.app.language = language;
  // Dates, day and month names follow the interface language.
  QLocale::setDefault(QLocale(utf8(std::string(settings_.app.localeName()))));
}

bool CAlarmApp::InitInstance(const QStringList& arguments) {
  // 1-2. One copy per user: a later one asks the first to show itself and ends; a document
  // named on its command line is not passed on.
  if (environment_.singleInstance) {
    instance_ = std::make_unique<SingleInstance>(environment_.instanceName, environment_.instanceDirectory);
    if (instance_->start() == SingleInstance::Role::Secondary) {
      secondInstance_ = true;
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
  if (dataFolder.isEmpty()) dataFolder = utf8(prepareDataFolder(*environment_.errors));
  const std::string folder = toUtf8(dataFolder);
  ErrorReporter* errors = environment_.errors;
  document_.definitionsLoader = [this, folder, errors](CAlarmDoc& doc) {
    doc.notifiers = LoadNotifiers(folder, settings_.app.default_notifier, errors);
    doc.stickers = LoadStickers(folder, settings_.app.default_sticker, errors);
  };
  document_.OnNewDocument();
  document_.SetModifiedFlag(false);
  documents_->setRecoveryFolder(folder);

  CMainFrame::Services services;
  services.hotkeys = environment_.hotkeys;
  services.paste = environment_.paste;
  services.errors = environment_.errors;
  services.power = environment_.power;
  services.wallpaper = environment_.wallpaper;
  services.clock = environment_.clock;
  services.dataFolder = dataFolder;
  services.setLanguage = [this](int language) { SetLanguage(language); };
  services.saveSettings = [this] { saveSettings(); };
  frame_ = std::make_unique<CMainFrame>(settings_, *documents_, services);
  connect(frame_.get(), &CMainFrame::exitRequested, this, [this] { exitCommand(); });
  if (instance_) connect(instance_.get(), &SingleInstance::showRequested, frame_.get(), &CMainFrame::showInstance);

  // 9. The command line: a document path opens it; one that cannot be read ends start-up.
  const QStringList documents = [&] {
    QStringList paths;
    for (const QString& argument : arguments)
      if (!argument.startsWith(QLatin1Char('-'))) paths << argument;
    return paths;
  }();
  if (!documents.isEmpty() && !documents_->loadFile(toUtf8(documents.first()))) {
    frame_.reset();
    return false;
  }
  frame_->ActivateFrame();

  // 11. Plug-ins.
  startPlugins();

  // 12. The last document, when asked for and when there is one.
  if (settings_.app.load_last_document) {
    const std::string last = settings_.recent_files.files[0];
    if (!last.empty()) documents_->openDocument(last);
  }
  // Unsaved changes an ended session kept.
  documents_->offerRecoveryCopy();

  // 13. The main window, or only the tray icon.
  if (settings_.app.main_frame_visible)
    frame_->show();
  else
    frame_->hide();
  return true;
}

void CAlarmApp::saveSettings() {
  SaveSettings(settings_, *environment_.store);
  if (environment_.saveStore) environment_.saveStore();
}

void CAlarmApp::startPlugins() { qCInfo(lcFrame) << "plug-ins would start here"; }
void CAlarmApp::stopPlugins() { qCInfo(lcFrame) << "plug-ins would stop here"; }

void CAlarmApp::sessionEnding(bool quit) {
  if (exited_) return;  // the exit command has settled everything already
  saveSettings();
  documents_->keepUnsavedChanges(quit);
  if (quit && frame_) exitCommand();
}

bool CAlarmApp::exitCommand() {
  if (exited_) return true;
  // 1. The window stores its positions, asks about unsaved changes and tears down.
  if (!frame_->closeFrame()) return false;
  exited_ = true;
  // 2-3. Settings, then the plug-ins.
  saveSettings();
  stopPlugins();
  // 4-7. A power-off or restart an exit action asked for.
  const AlarmEngine& engine = frame_->engine();
  if (!secondInstance_ && engine.exitWindowsPending()) {
    const unsigned flags = engine.exitWindowsFlags();
    if (environment_.power) {
      // Failures are not shown: the program has already closed itself.
      if (flags == kExitWindowsReboot)
        environment_.power->reboot();
      else
        environment_.power->powerOff();
    } else {
      qCInfo(lcFrame) << "would" << (flags == kExitWindowsReboot ? "restart" : "power off") << "the computer";
    }
  }
  emit finished();
  return true;
}

}  // namespace kalvory
