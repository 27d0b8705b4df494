#include "desktop/app/desktop_program.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QVBoxLayout>

#include "core/alarms/alarm_ports.h"
#include "core/calendar/calendar_colors.h"
#include "core/common/symbol_font.h"
#include "core/settings/data_folder.h"
#include "core/settings/profile.h"
#include "core/settings/system_colors.h"
#include "core/skins/definitions.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/alarms/turn_off_feature.h"
#include "desktop/app/config_pages.h"
#include "desktop/calendar/cal_wnd.h"
#include "desktop/clock/round_clock_static.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/qt_text.h"
#include "desktop/config/configuration_feature.h"
#include "desktop/dialogs/about_dialog.h"
#include "desktop/editors/alarm_dialog.h"
#include "desktop/editors/edit_day.h"
#include "desktop/hotkeys/global_hotkeys.h"
#include "desktop/lists/lists_feature.h"
#include "desktop/missed/missed_feature.h"
#include "desktop/notifications/reminder_notifications.h"
#include "desktop/notifier/notifier_feature.h"
#include "desktop/osd/on_screen_display.h"
#include "desktop/osd/symbol_dialog.h"
#include "desktop/plugins/plugin_host.h"
#include "desktop/shell/docking.h"
#include "desktop/shell/document_commands.h"
#include "desktop/shell/document_controller.h"
#include "desktop/shell/main_frame.h"
#include "desktop/stopwatch/stopwatch_feature.h"
#include "desktop/sync/sync_feature.h"
#include "desktop/tray/close_to_tray.h"
#include "desktop/tray/system_tray.h"
#include "desktop/tray/tray_feature.h"
#include "desktop/view/alarm_view.h"
#include "desktop/wake/wake_timer.h"
#include "desktop/wallpaper/wallpaper_feature.h"

namespace kalvory {

DesktopProgram::DesktopProgram(ApplicationSettings& settings, DocumentController& documents, Services services,
                               QObject* parent)
    : QObject(parent), settings_(settings), documents_(documents), services_(std::move(services)) {
  if (services_.dataFolder.isEmpty()) services_.dataFolder = toQString(dataFolderPath());
  actions_ = std::make_unique<ActionRegistry>([this] { return settings_.app.uiLanguage(); });
  registerProgramCommands();

  // The window manager's close button leaves the program in the tray; the first time it says so.
  CMainFrame::Services frameServices;
  frameServices.windowCloseKeepsRunning = [this] {
    const bool told = settings_.app.close_notice_shown != 0;
    if (!closeToTray_ || !closeToTray_->keepRunning()) return false;
    if (!told && services_.saveSettings) services_.saveSettings();  // told once, also after a crash
    return true;
  };
  frame_ = std::make_unique<CMainFrame>(settings_, *actions_, documents_, std::move(frameServices));
  registerDocumentCommands(*actions_, documents_, settings_, *frame_);
  registerAboutCommand(*actions_, [this] { return frame_.get(); });

  AlarmController::Services alarmServices;
  alarmServices.power = services_.power;
  alarmServices.clock = services_.clock;
  alarmServices.saveDocument = [this] { documents_.save(); };
  alarmServices.exitProgram = [this] { actions_->runCommand(ID_APP_EXIT); };
  alarmServices.actionServices = services_.actionServices;
  alarmServices.errors = services_.errors;
  alarmServices.programAllowed = [this](const std::string& commandLine) {
    return documents_.programAllowed(commandLine);
  };
  alarms_ = std::make_unique<AlarmController>(settings_, documents_.document(), alarmServices);
  // "Turn off" asks how with the turn-off dialog over the main window.
  TurnOffFeature::Services turnOffServices;
  turnOffServices.dialogParent = [this] { return static_cast<QWidget*>(frame_.get()); };
  turnOff_ = std::make_unique<TurnOffFeature>(*alarms_, *actions_, turnOffServices);

  tray_ = std::make_unique<TrayFeature>(settings_, *actions_);
  connect(tray_.get(), &TrayFeature::dayLookChanged, alarms_.get(), &AlarmController::refreshDay);

  WallpaperFeature::Services wallpaperServices;
  wallpaperServices.desktop = services_.wallpaper;
  wallpaperServices.dataFolder = services_.dataFolder;
  wallpaperServices.clock = services_.clock;
  wallpaperServices.saveSettings = services_.saveSettings;
  wallpaper_ = std::make_unique<WallpaperFeature>(settings_, documents_.document(), *actions_, wallpaperServices);

  // The on-screen clock and alarm message; its dialogs open over the main window.
  OnScreenDisplay::Services osdServices;
  osdServices.clock = services_.clock;
  osdServices.player = services_.songs;
  osdServices.dialogParent = [this] { return static_cast<QWidget*>(frame_.get()); };
  osd_ = std::make_unique<OnScreenDisplay>(settings_, documents_.document(), *actions_, osdServices);

  GlobalHotkeys::Services keyServices;
  keyServices.hotkeys = services_.hotkeys;
  keyServices.paste = services_.paste;
  keyServices.errors = services_.errors;
  keyServices.clock = services_.clock;
  keyServices.player = services_.songs;
  hotkeys_ = std::make_unique<GlobalHotkeys>(documents_.document(), *actions_, keyServices);

  stopwatch_ = std::make_unique<StopwatchFeature>(*actions_);
  // The reminder and note lists window, docked below the main window, with the day note editor
  // and the special symbol chooser of their own features.
  docking_ = new DockingHelper(frame_.get());
  CListsDlg::Services listServices;
  listServices.clock = services_.clock;
  listServices.editDayNote = [this](CDayInfo& note) {
    return CEditDay::edit(note, documents_.document(), settings_.app.uiLanguage(), frame_.get());
  };
  listServices.editReminder = [this](CAlarmLine& line) {
    CAlarmDlg::Services editor;
    editor.clock = services_.clock;
    editor.chooseSymbol = [this]() -> std::optional<QString> {
      CSpecialSymDlg dialog(settings_.app.uiLanguage(), frame_->isVisible() ? frame_.get() : nullptr);
      if (dialog.exec() != QDialog::Accepted || !dialog.selectedCode()) return std::nullopt;
      return toQString(symbolMarkText(*dialog.selectedCode()));
    };
    CAlarmDlg dialog(&documents_.document(), settings_.app.uiLanguage(), editor, lists_->window());
    dialog.setRecord(&line);
    return dialog.exec() == QDialog::Accepted;
  };
  lists_ =
      std::make_unique<ListsFeature>(settings_, documents_.document(), *actions_, frame_.get(), docking_, listServices);
  connect(frame_.get(), &CMainFrame::visibilityChanged, lists_.get(), &ListsFeature::frameVisibilityChanged);

  // The plug-ins of the data folder and of the installation (started by the application), and
  // the configuration dialog, whose OK hands the on-screen windows their new looks at once.
  plugins_ = std::make_unique<PluginHost>(std::vector<std::string>{
      toStdString(services_.dataFolder + QStringLiteral("/plugins")),
      toStdString(QCoreApplication::applicationDirPath() + QStringLiteral("/../lib/kalvory/plugins"))});
  ConfigurationFeature::Services configServices;
  configServices.dialogParent = [this] { return static_cast<QWidget*>(frame_.get()); };
  configServices.applied = [this](bool skinChanged) {
    osd_->settingsChanged();
    if (skinChanged) applySkin();
    // "WakeComputer" may have been switched: the timer is set or taken away now, not at the next
    // change of the reminders. Confirmed settings reach the file at once.
    wakeTimer_->documentChanged();
    if (services_.saveSettings) services_.saveSettings();
  };
  configServices.pages = programConfigPages(
      plugins_.get(), toStdString(services_.dataFolder),
      [this] { return wakeTimer_->unavailableReason(settings_.app.uiLanguage()); },
      ConfigPageSource{StringId::SyncPage, [this](UiLanguage language, const ConfigPageServices&, QWidget* parent) {
                         return sync_->createPage(language, parent);
                       }});
  configServices.runDialog = services_.runConfiguration;
  configServices.pageServices = services_.configPages;
  if (!configServices.pageServices.clock) configServices.pageServices.clock = services_.clock;
  configuration_ = std::make_unique<ConfigurationFeature>(settings_, documents_.document(), *actions_, configServices);

  // The taskbar notifiers: a click runs "Turn off" (the turn-off dialog's command), a click on the
  // close box turns every ringing reminder off.
  NotifierFeature::Services notifierServices;
  notifierServices.postpone = [this] { actions_->runCommand(ID_TURN_OFF); };
  notifierServices.stop = [this] { alarms_->turnOff(); };
  notifierServices.owner = [this] { return static_cast<QWidget*>(frame_.get()); };
  notifiers_ = std::make_unique<NotifierFeature>(documents_.document(), notifierServices);

  AlarmPorts ports;
  ports.text = osd_.get();
  ports.notifier = notifiers_.get();
  ports.wallpaper = wallpaper_.get();
  ports.tray = tray_.get();
  ports.states = lists_.get();
  alarms_->setPorts(ports);

  connect(osd_.get(), &OnScreenDisplay::alarmTextShown, tray_.get(), &TrayFeature::alarmShown);
  connect(alarms_.get(), &AlarmController::ringingChanged, tray_.get(), &TrayFeature::setAlarmRinging);
  connect(frame_.get(), &CMainFrame::visibilityChanged, tray_.get(), &TrayFeature::refreshMenu);

  buildView();

  // Missed reminders: the "While you were away" window lists what the alarm check missed (at
  // start, after a clock jump, after the computer woke); a postponement there changes the view.
  MissedFeature::Services missedServices;
  missedServices.clock = [this] { return alarms_->now(); };
  missedServices.goingToSleep = [this] { alarms_->goingToSleep(); };
  missedServices.catchUp = [this] {
    if (alarms_->isRunning()) alarms_->catchUp();
  };
  missed_ = std::make_unique<MissedFeature>(settings_, documents_.document(), std::move(missedServices));
  connect(alarms_.get(), &AlarmController::remindersMissed, missed_.get(), &MissedFeature::addMissed);
  // A firing reminder also becomes a desktop notification where no tray icon shows.
  const QDBusConnection sessionBus =
      services_.sessionBus.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(services_.sessionBus);
  ReminderNotifications::Services notificationServices;
  notificationServices.isShowing = [this](quintptr reminder) { return alarms_->isShowing(reminder); };
  notificationServices.postpone = [this](std::int64_t seconds) { alarms_->postpone(seconds); };
  notificationServices.turnOff = [this] { alarms_->turnOff(); };
  notifications_ = std::make_unique<ReminderNotifications>(settings_, std::move(notificationServices), sessionBus);
  connect(alarms_.get(), &AlarmController::reminderFired, notifications_.get(), &ReminderNotifications::reminderFired);
  connect(alarms_.get(), &AlarmController::ringingChanged, notifications_.get(),
          &ReminderNotifications::ringingChanged);
  connect(alarms_.get(), &AlarmController::showingsChecked, notifications_.get(),
          &ReminderNotifications::showingsChecked);
  // Whether a tray or a notification server is there when the main window is closed.
  closeToTray_ = std::make_unique<CloseToTray>(settings_, sessionBus, services_.closeToTray);
  // Waking the computer: a systemd user timer at the next reminder with a sound or a program,
  // checked again whenever the reminders may have changed (never on the plain tick).
  wakeTimer_ = std::make_unique<WakeTimer>(settings_, documents_.document(), services_.clock, sessionBus, nullptr,
                                           services_.wakeCapability);

  // The document's sync with a CalDAV calendar, on a thread of its own; its notices go over the
  // main window.
  SyncFeature::Services syncServices;
  syncServices.store = services_.settingsStore;
  syncServices.saveSettings = services_.saveSettings;
  syncServices.dataFolder = toStdString(services_.dataFolder);
  syncServices.language = [this] { return settings_.app.uiLanguage(); };
  syncServices.noticeParent = [this]() -> QWidget* { return frame_->isVisible() ? frame_.get() : nullptr; };
  sync_ = std::make_unique<SyncFeature>(documents_, std::move(syncServices));
  connect(&documents_, &DocumentController::documentChanged, sync_.get(), &SyncFeature::documentChanged);
  connect(&documents_, &DocumentController::documentReplaced, sync_.get(), &SyncFeature::documentReplaced);

  // One path for every change of the document: each source tells the document controller, and
  // its one signal reaches every window that shows the document and the wake timer.
  connect(lists_.get(), &ListsFeature::documentChanged, &documents_, &DocumentController::notifyChanged);
  connect(missed_.get(), &MissedFeature::documentChanged, &documents_, &DocumentController::notifyChanged);
  connect(alarms_.get(), &AlarmController::alarmsSettled, &documents_, &DocumentController::notifyChanged);
  // The alarm check changes states in the middle of its walk over the reminders: the windows
  // follow once the tick is over, once for all the changes of that tick.
  connect(lists_.get(), &ListsFeature::reminderStateChanged, this, [this] {
    if (stateChangesPending_) return;
    stateChangesPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          stateChangesPending_ = false;
          documents_.notifyChanged();
        },
        Qt::QueuedConnection);
  });
  // A reminder starting or ending its showing changes what comes next.
  connect(alarms_.get(), &AlarmController::ringingChanged, this, [this](bool ringing) {
    if (ringing == sawRinging_) return;
    sawRinging_ = ringing;
    documents_.notifyChanged();
  });
  connect(&documents_, &DocumentController::documentReplaced, lists_.get(), &ListsFeature::forgetDeletes);
  connect(&documents_, &DocumentController::documentChanged, this, &DesktopProgram::followDocument);
  connect(&documents_, &DocumentController::titleChanged, frame_.get(), &CMainFrame::refreshTitle);
}

void DesktopProgram::followDocument() {
  lists_->documentReplaced();
  view_->documentChanged();
  // The tray's tooltip lists today's notes.
  if (activated_) alarms_->refreshDay();
  wakeTimer_->documentChanged();
  // The alarm check looks at every reminder again rather than passing over the ones it had found
  // quiet.
  alarms_->documentChanged();
}

DesktopProgram::~DesktopProgram() {
  // The document controller outlives the features its signal reaches.
  disconnect(&documents_, nullptr, this, nullptr);
  disconnect(&documents_, nullptr, frame_.get(), nullptr);
  sync_.reset();  // its thread ends before anything it reports to
  alarms_->stop();
  stopwatch_.reset();
  wakeTimer_.reset();  // takes its timer unit away
  notifications_.reset();
  closeToTray_.reset();
  missed_.reset();
  // The tray menu and the alarm check call into the others: they go first.
  tray_.reset();
  turnOff_.reset();
  alarms_.reset();
  notifiers_.reset();
}

CSystemTray* DesktopProgram::tray() const { return tray_->tray(); }

void DesktopProgram::registerProgramCommands() {
  actions_->add(ID_APP_EXIT, [this] { emit exitRequested(); });
  for (const auto& entry : kLanguageCommands) {
    const int language = entry.language;
    actions_->add(
        entry.command,
        [this, language] {
          if (services_.setLanguage)
            services_.setLanguage(language);
          else
            settings_.app.language = language;
          languageChanged();
        },
        [this, language] {
          // A stored language other than 0, 1 and 2 reads as English but marks no item.
          CommandState state;
          state.checkable = true;
          state.checked = settings_.app.language == language;
          return state;
        });
  }
}

// --- the main view: the clock's place, the calendar and the next-event lines
void DesktopProgram::buildView() {
  view_ = new CAlarmView(
      documents_.document(), [this] { return settings_.app.uiLanguage(); }, services_.clock, frame_->viewHost());
  auto* hostLayout = new QVBoxLayout(frame_->viewHost());
  hostLayout->setContentsMargins(0, 0, 0, 0);
  hostLayout->addWidget(view_);
  // The analog clock takes its place in the view.
  analogClock_ = new CRoundClockStatic();
  analogClock_->setClock(services_.clock);
  view_->setClockWidget(analogClock_);
  // The month calendar takes its place beside it; it follows the document through the view.
  calendar_ = new CCalWnd(&documents_.document(), settings_.app.uiLanguage(), services_.clock);
  const ColorRef buttonFace = systemColor(systemColorIndex("COLOR_BTNFACE").value_or(0));
  calendar_->SetBackgroundColors(buttonFace, buttonFace);
  view_->setCalendarWidget(calendar_);
  connect(calendar_, &CCalWnd::addDayNoteRequested, this, &DesktopProgram::addDayNote);
  connect(view_, &CAlarmView::documentUpdated, calendar_, &CCalWnd::Refresh);
}

// The calendar's "Add day note": the lists window adds it through the day note editor, and the
// change reaches the view and the calendar as every change does.
void DesktopProgram::addDayNote(const COleDateTime& date) { lists_->addDayNote(date); }

void DesktopProgram::applySkin() {
  const std::string dataFolder = toStdString(services_.dataFolder);
  frame_->ApplySkin(settings_.app.skin_path, dataFolder);
  const QFileInfo file(toQString(skinSettingFile(dataFolder, settings_.app.skin_path)));
  analogClock_->applySkinFile(file.absoluteFilePath(), services_.dataFolder);
  lists_->ApplySkin(settings_.app.skin_path, dataFolder);
  if (!file.isFile()) return;
  CProfile skin;
  skin.SetSaveOnClose(false);
  skin.SetStoreDefaults(false);
  skin.SetAddOnWrite(false);
  if (!skin.Load(toStdString(file.absoluteFilePath()))) return;
  view_->applySkin(skin);
  const UiSkin ui = ReadUiSkin(skin);
  calendar_->SetBackgroundColors(ui.lightBackground1, ui.darkBackground1);
  calendar_->setColors(calendarColorsFromSkin(ReadCalendarSkin(skin)));
}

void DesktopProgram::activate() {
  osd_->ShowClock(settings_.clock.is_visible != 0);
  hotkeys_->registerAll();
  alarms_->start();
  alarms_->refreshDay();
  wakeTimer_->documentChanged();
  if (activated_) return;
  activated_ = true;
  frame_->ReloadMenu();
  applySkin();
  lists_->createWindow();
}

void DesktopProgram::languageChanged() {
  frame_->ReloadMenu();
  tray_->refreshMenu();
  stopwatch_->languageChanged();
  calendar_->UpdateLanguage(settings_.app.uiLanguage());
  view_->languageChanged();
  lists_->languageChanged();
  missed_->languageChanged();
  if (activated_) alarms_->refreshDay();
}

void DesktopProgram::showInstance() { frame_->showFromTray(); }

bool DesktopProgram::close() {
  if (closed_) return true;
  osd_->storePositions();  // the on-screen windows' places first, as the main window's
  if (!frame_->closeFrame()) return false;
  closed_ = true;
  lists_->storeHeight();
  lists_->hide();
  alarms_->stop();
  wakeTimer_->remove();
  tray_->remove();
  hotkeys_->unregisterAll();
  wallpaper_->clearStickers();
  return true;
}

}  // namespace kalvory
