// Shows the reminder editor in Timer Mode with a sound file that is not there (the timer's
// length label and the missing-file warning), or the Wallpaper page with a folder that does not
// exist, and prints the part of the screen to capture ("WxH+X+Y"):
//   editor_screenshot_driver editor-timer|wallpaper-page en|ru|uk
#include <QApplication>
#include <QCheckBox>
#include <QLocale>
#include <QSpinBox>
#include <QTimer>

#include "core/model/alarm_doc.h"
#include "core/settings/app_settings.h"
#include "core/skins/definitions.h"
#include "desktop/app/config_pages.h"
#include "desktop/common/screenshot_driver.h"
#include "desktop/config/settings_dialog.h"
#include "desktop/editors/alarm_dialog.h"

using namespace kalvory;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s editor-timer|wallpaper-page en|ru|uk\n", argv[0]);
    return 2;
  }
  const QString kind = QString::fromLatin1(argv[1]);
  const QString code = QString::fromLatin1(argv[2]);
  const UiLanguage language = code == QLatin1String("ru")   ? UiLanguage::Russian
                              : code == QLatin1String("uk") ? UiLanguage::Ukrainian
                                                            : UiLanguage::English;
  QLocale::setDefault(QLocale(code == QLatin1String("ru")   ? QStringLiteral("ru_RU")
                              : code == QLatin1String("uk") ? QStringLiteral("uk_UA")
                                                            : QStringLiteral("en_US")));
  const std::string dataFolder = KALVORY_RES_DIR;
  ApplicationSettings settings = defaultSettings({});
  settings.app.language = language == UiLanguage::Russian ? 0 : language == UiLanguage::English ? 1 : 2;
  settings.app.default_sticker = "Note";
  settings.wallpaper.folders = "/home/user/Pictures/Wallpapers/*";
  settings.wallpaper.enabled = 1;
  CAlarmDoc document;
  document.notifiers = LoadNotifiers(dataFolder, "Classic", nullptr);
  document.stickers = LoadStickers(dataFolder, settings.app.default_sticker, nullptr);
  test::screenshotBackdrop();

  if (kind == QLatin1String("wallpaper-page")) {
    CSettingsDlg dialog(language, settings, document);
    dialog.addPages(programConfigPages(nullptr, dataFolder));
    dialog.selectPage(6);
    dialog.resize(dialog.sizeHint().expandedTo(QSize(640, 480)));
    dialog.move(40, 40);
    dialog.show();
    QTimer::singleShot(700, [&dialog] { test::printScreenshotArea(dialog.frameGeometry()); });
    return app.exec();
  }

  const char* texts[] = {"Tea is ready", "Чай готов", "Чай готовий"};
  CAlarmLine record(COleDateTime(2026, 12, 8, 10, 49, 0));
  record.text = texts[language == UiLanguage::English ? 0 : language == UiLanguage::Russian ? 1 : 2];
  record.sound_file = "/media/usb/Music/kettle.ogg";  // on a disk that is not mounted
  record.osd = 1;
  CAlarmDlg::Services services;
  services.clock = [] { return COleDateTime(2026, 12, 8, 10, 49, 0); };
  services.chooseSymbol = [] { return std::optional<QString>(); };
  CAlarmDlg dialog(&document, language, services);
  dialog.setRecord(&record);
  dialog.timerBox()->click();
  dialog.move(40, 40);
  dialog.show();
  QTimer::singleShot(700, [&dialog] { test::printScreenshotArea(dialog.frameGeometry()); });
  return app.exec();
}
