#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "core/model/alarm_doc.h"
#include "core/wallpaper/desktop_wallpaper.h"
#include "desktop/alarms/alarm_controller.h"
#include "desktop/app/desktop_program.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/osd/on_screen_display.h"
#include "desktop/shell/document_controller.h"
#include "desktop/shell/main_frame.h"
#include "desktop/tray/system_tray.h"
#include "desktop/tray/tray_feature.h"
#include "desktop/wallpaper/wallpaper_feature.h"
#include "platform/x11/hotkey_service.h"
#include "platform/x11/synthetic_paste.h"

namespace kalvory::test {

// A main window over fakes: settings in memory, recorded errors, fake hotkeys and paste, a
// recorded desktop wallpaper with an empty data folder, a fixed clock, and prompts that answer
// as the test says.
struct FrameFixture {
  // `actions`: the backends behind sounds, programs and speech; without them these are logged.
  // `adjust` changes the program's other services before it is made (a private bus).
  explicit FrameFixture(int language = 1, AlarmActionServices actions = {},
                        const std::function<void(DesktopProgram::Services&)>& adjust = {}) {
    settings = defaultSettings(SettingsEnvironment{});
    settings.app.language = language;
    settings.app.main_position_x = 100;
    settings.app.main_position_y = 100;
    prompts.saveChanges = [this](const std::string& question) {
      lastQuestion = question;
      return answer;
    };
    prompts.savePath = [this](const std::string&) { return savePath; };
    prompts.openPath = [this] { return openPath; };
    prompts.importCalendarPath = [this] { return calendarPath; };
    prompts.exportCalendarPath = [this](const std::string&) { return calendarPath; };
    prompts.allowPrograms = [this](const std::string& question) {
      return allowPrograms ? allowPrograms(question) : false;
    };
    documents = std::make_unique<DocumentController>(document, settings, errors, prompts,
                                                     [this] { return settings.app.uiLanguage(); });
    DesktopProgram::Services services;
    services.hotkeys = &hotkeys;
    services.paste = &paste;
    services.errors = &errors;
    services.wallpaper = &wallpaper;
    services.dataFolder = dataFolder.path();
    services.clock = [this] { return now; };
    services.actionServices = std::move(actions);
    if (adjust) adjust(services);
    program = std::make_unique<DesktopProgram>(settings, *documents, services);
    frame = &program->frame();
    QObject::connect(program.get(), &DesktopProgram::exitRequested, [this] { ++exitRequests; });
  }

  // Lets the wallpaper worker finish what the last tick or command gave it, and delivers its
  // answer.
  void settle() {
    program->wallpaper().waitUntilIdle();
    QCoreApplication::processEvents();
  }
  void tick() {
    program->alarms().tick();
    settle();
  }

  ApplicationSettings settings;
  CAlarmDoc document;
  RecordingErrorReporter errors;
  FakeHotkeyService hotkeys;
  FakePasteInjector paste;
  RecordingDesktopWallpaper wallpaper;
  QTemporaryDir dataFolder;
  DocumentPrompts prompts;
  SaveChangesAnswer answer = SaveChangesAnswer::Cancel;
  std::string lastQuestion;
  std::string savePath;
  std::string openPath;
  // The iCalendar file that File > Import/Export is given.
  std::string calendarPath;
  std::function<bool(const std::string& question)> allowPrograms;  // unset: programs are refused
  COleDateTime now{2026, 5, 7, 9, 30, 0};
  std::unique_ptr<DocumentController> documents;
  std::unique_ptr<DesktopProgram> program;
  CMainFrame* frame = nullptr;
  int exitRequests = 0;
};

}  // namespace kalvory::test
