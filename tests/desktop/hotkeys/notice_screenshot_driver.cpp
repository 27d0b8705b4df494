// Shows the notice of a paste nothing could type (paste-by-hand) or of a desktop that did not take
// the picture (wallpaper-not-set: a Wayland desktop without any way to set it) for a screenshot
// and prints the part of the screen to capture ("WxH+X+Y"); ./scripts/screenshots runs it under
// Xvfb.
//   notice_screenshot_driver paste-by-hand|wallpaper-not-set en|ru|uk
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QTemporaryDir>
#include <cstdio>

#include "core/model/alarm_doc.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/language_forms.h"
#include "desktop/common/screenshot_driver.h"
#include "desktop/hotkeys/global_hotkeys.h"
#include "desktop/wallpaper/wallpaper_feature.h"
#include "platform/session/session_wallpaper.h"
#include "platform/x11/synthetic_paste.h"

using namespace kalvory;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s paste-by-hand|wallpaper-not-set en|ru|uk\n", argv[0]);
    return 2;
  }
  const QString kind = QString::fromLatin1(argv[1]);
  const QString languageName = QString::fromLatin1(argv[2]);
  const UiLanguage language = languageName == QLatin1String("ru")   ? UiLanguage::Russian
                              : languageName == QLatin1String("uk") ? UiLanguage::Ukrainian
                                                                    : UiLanguage::English;
  QLocale::setDefault(uiLocale(language));
  test::screenshotBackdrop();
  CAlarmDoc document;
  ActionRegistry actions([language] { return language; });
  QTemporaryDir data;

  // Both notices are the program's own non-modal message boxes.
  FakePasteInjector paste;
  paste.delivers = false;
  std::unique_ptr<GlobalHotkeys> hotkeys;
  std::unique_ptr<SessionWallpaper> desktop;
  std::unique_ptr<WallpaperFeature> wallpaper;
  ApplicationSettings settings;
  settings.app.language = language == UiLanguage::Russian ? 0 : language == UiLanguage::Ukrainian ? 2 : 1;
  QString name;
  if (kind == QLatin1String("paste-by-hand")) {
    GlobalHotkeys::Services services;
    services.paste = &paste;
    services.keysOnlyInX11Programs = false;
    hotkeys = std::make_unique<GlobalHotkeys>(document, actions, services);
    hotkeys->QuickPaste(0);
    name = QStringLiteral("pasteByHand");
  } else {
    // sway without a wallpaper portal, as the program finds it.
    DesktopSession sway;
    sway.kind = SessionKind::Wayland;
    sway.platformName = QStringLiteral("wayland");
    sway.currentDesktop = QStringLiteral("sway");
    desktop = std::make_unique<SessionWallpaper>(sway, data.path().toStdString(), QStringLiteral("no bus"));
    WallpaperFeature::Services services;
    services.desktop = desktop.get();
    services.dataFolder = data.path();
    wallpaper = std::make_unique<WallpaperFeature>(settings, document, actions, services);
    const QString picture = data.filePath(QStringLiteral("reminder.bmp"));
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.save(picture);
    wallpaper->SetReminderWallpaper(picture.toStdString());
    wallpaper->waitUntilIdle();
    name = QStringLiteral("wallpaperNotSet");
  }
  QWidget* notice = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == name) notice = widget;
  if (!notice) {
    std::fprintf(stderr, "no notice was shown\n");
    return 1;
  }
  notice->move(60, 60);
  QApplication::processEvents();
  test::printScreenshotArea(notice->frameGeometry().adjusted(-20, -20, 20, 20));
  return app.exec();
}
