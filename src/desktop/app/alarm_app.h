#pragma once

#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

#include "core/model/alarm_doc.h"
#include "core/model/quick_add.h"
#include "core/settings/app_settings.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/shell/document_controller.h"

namespace kalvory {

class MediaPlayerInfo;

class CMainFrame;
class DesktopProgram;
class DesktopWallpaper;
class HotkeyService;
class PasteInjector;
class PowerManager;
class QuickAddHandler;
class SettingsStore;
class SingleInstance;

// The application object (CAlarmApp): the single instance, the settings, the language, the
// document and the main window, in the order the program starts and stops them.
class CAlarmApp : public QObject {
  Q_OBJECT
 public:
  // What start-up needs from outside; tests give fakes, main() the real services.
  struct Environment {
    SettingsStore* store = nullptr;   // required
    std::function<bool()> saveStore;  // writes the store to disk
    HotkeyService* hotkeys = nullptr;
    PasteInjector* paste = nullptr;
    PowerManager* power = nullptr;          // null: power requests are only logged
    AlarmActionServices actionServices;     // empty: sound, programs and speech only logged
    DesktopWallpaper* wallpaper = nullptr;  // null: the setter for this session's desktop
    MediaPlayerInfo* songs = nullptr;       // the song codes; null: none
    ErrorReporter* errors = nullptr;        // required
    Clock clock;
    QString instanceName = QStringLiteral("Orlendix Alarm");
    QString instanceDirectory;  // empty: the user's runtime folder
    bool singleInstance = true;
    QString dataFolder;       // empty: prepared from the bundle
    DocumentPrompts prompts;  // empty members: real dialogs
    // "--add": handed to a running copy, or added to the document this copy opens.
    std::optional<QuickAddRequest> quickAdd;
  };

  explicit CAlarmApp(Environment environment, QObject* parent = nullptr);
  ~CAlarmApp() override;

  // Start-up. `arguments` are the command-line arguments after the program name. Returns false
  // when the process should end at once (another copy runs and took the request).
  bool InitInstance(const QStringList& arguments);
  // The request that hands a document to the running copy.
  static QByteArray openRequestLine(const QString& path);
  // The exit command: false when the user cancelled the save question.
  bool exitCommand();

  void SetLanguage(int language);
  // The desktop session is ending: the settings and unsaved changes are kept without a question;
  // with `quit` the program then ends.
  void sessionEnding(bool quit);
  bool secondInstance() const { return secondInstance_; }
  // A second copy's quick add: the running copy's answer line, nullopt when it gave none.
  const std::optional<QByteArray>& instanceAnswer() const { return instanceAnswer_; }

  ApplicationSettings& settings() { return settings_; }
  CAlarmDoc& document() { return document_; }
  DocumentController& documents() { return *documents_; }
  CMainFrame* frame() const;
  DesktopProgram* program() const { return program_.get(); }

  // Set when the exit command ran to its end.
  bool exited() const { return exited_; }

 signals:
  void finished();

 private:
  void saveSettings();
  void startPlugins();
  void stopPlugins();

  Environment environment_;
  ApplicationSettings settings_;
  CAlarmDoc document_;
  std::unique_ptr<DocumentController> documents_;
  std::unique_ptr<DesktopProgram> program_;
  std::unique_ptr<SingleInstance> instance_;
  std::unique_ptr<QuickAddHandler> quickAdd_;
  bool secondInstance_ = false;
  std::optional<QByteArray> instanceAnswer_;
  bool exited_ = false;
};

}  // namespace kalvory
