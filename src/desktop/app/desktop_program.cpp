#include "desktop/app/desktop_program.h"

#include "core/alarms/alarm_ports.h"
#include "core/settings/data_folder.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/qt_text.h"
#include "desktop/dialogs/about_dialog.h"
#include "desktop/hotkeys/global_hotkeys.h"
#include "desktop/lists/lists_feature.h"
#include "desktop/osd/on_screen_display.h"
#include "desktop/shell/docking.h"
#include "desktop/shell/document_commands.h"
#include "desktop/shell/document_controller.h"
#include "desktop/shell/main_frame.h"
#include "desktop/tray/system_tray.h"
#include "desktop/tray/tray_feature.h"
#include "desktop/wallpaper/wallpaper_feature.h"

namespace kalvory {

DesktopProgram::DesktopProgram(ApplicationSettings& settings, DocumentController& documents, Services services,
                               QObject* parent)
    : QObject(parent), settings_(settings), documents_(documents), services_(std::move(services)) {
  if (services_.dataFolder.isEmpty()) services_.dataFolder = toQString(dataFolderPath());
  actions_ = std::make_unique<ActionRegistry>([this] { return settings_.app.uiLanguage(); });
  registerProgramCommands();

  frame_ = std::make_unique<CMainFrame>(settings_, *actions_, documents_);
  registerDocumentCommands(*actions_, documents_, settings_, *frame_);
  registerAboutCommand(*actions_, [this] { return frame_.get(); });

  AlarmController::Services alarmServices;
  alarmServices.power = services_.power;
  alarmServices.clock = services_.clock;
  alarmServices.saveDocument = [this] { documents_.save(); };
  alarmServices.exitProgram = [this] { actions_->runCommand(ID_APP_EXIT); };
  alarms_ = std::make_unique<AlarmController>(settings_, documents_.document(), *actions_, alarmServices);

  tray_ = std::make_unique<TrayFeature>(settings_, *actions_);
  tray_->refreshDay = [this] { alarms_->refreshDay(); };

  WallpaperFeature::Services wallpaperServices;
  wallpaperServices.desktop = services_.wallpaper;
  wallpaperServices.dataFolder = services_.dataFolder;
  wallpaperServices.clock = services_.clock;
  wallpaperServices.saveSettings = services_.saveSettings;
  wallpaper_ = std::make_unique<WallpaperFeature>(settings_, documents_.document(), *actions_, wallpaperServices);

  osd_ = std::make_unique<OnScreenDisplay>(settings_, *actions_);

  GlobalHotkeys::Services keyServices;
  keyServices.hotkeys = services_.hotkeys;
  keyServices.paste = services_.paste;
  keyServices.errors = services_.errors;
  keyServices.clock = services_.clock;
  hotkeys_ = std::make_unique<GlobalHotkeys>(documents_.document(), *actions_, keyServices);

  // The reminder and note lists window, docked below the main window. The day note editor and
  // the special symbol chooser belong to other features: until they are handed over here
  // (listServices.editDayNote, listServices.editor.chooseSymbol) the note list's Add and
  // Modify and the editor's symbol button are off.
  docking_ = new DockingHelper(frame_.get());
  CListsDlg::Services listServices;
  listServices.clock = services_.clock;
  lists_ =
      std::make_unique<ListsFeature>(settings_, documents_.document(), *actions_, frame_.get(), docking_, listServices);
  connect(frame_.get(), &CMainFrame::visibilityChanged, lists_.get(), &ListsFeature::frameVisibilityChanged);
  // A change made in the lists reaches the tray's notes of today (and the main view, once wired).
  connect(lists_.get(), &ListsFeature::documentChanged, this, [this] {
    if (activated_) alarms_->refreshDay();
  });
  documents_.onChanged = [this, previous = documents_.onChanged] {
    if (previous) previous();
    lists_->documentReplaced();
  };

  AlarmPorts ports;
  ports.text = osd_.get();
  ports.wallpaper = wallpaper_.get();
  ports.tray = tray_.get();
  ports.states = lists_.get();
  alarms_->setPorts(ports);

  connect(osd_.get(), &OnScreenDisplay::alarmTextShown, tray_.get(), &TrayFeature::alarmShown);
  connect(alarms_.get(), &AlarmController::ringingChanged, tray_.get(), &TrayFeature::setAlarmRinging);
  connect(frame_.get(), &CMainFrame::visibilityChanged, tray_.get(), &TrayFeature::refreshMenu);
}

DesktopProgram::~DesktopProgram() {
  alarms_->stop();
  documents_.onChanged = nullptr;
  // The tray menu and the alarm check call into the others: they go first.
  tray_.reset();
  alarms_.reset();
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

void DesktopProgram::activate() {
  osd_->ShowClock(settings_.clock.is_visible != 0);
  hotkeys_->registerAll();
  alarms_->start();
  alarms_->refreshDay();
  if (activated_) return;
  activated_ = true;
  frame_->ReloadMenu();
  frame_->ApplySkin(settings_.app.skin_path, toStdString(services_.dataFolder));
  lists_->ApplySkin(settings_.app.skin_path, toStdString(services_.dataFolder));
  lists_->createWindow();
}

void DesktopProgram::languageChanged() {
  frame_->ReloadMenu();
  tray_->refreshMenu();
  lists_->languageChanged();
  if (activated_) alarms_->refreshDay();
}

void DesktopProgram::showInstance() { frame_->showFromTray(); }

bool DesktopProgram::close() {
  if (closed_) return true;
  if (!frame_->closeFrame()) return false;
  closed_ = true;
  lists_->storeHeight();
  lists_->hide();
  alarms_->stop();
  tray_->remove();
  hotkeys_->unregisterAll();
  wallpaper_->clearStickers();
  return true;
}

}  // namespace kalvory
