// Shows one of the on-screen windows or the special symbol dialog for a screenshot and prints
// the part of the screen to capture ("WxH+X+Y"); ./scripts/screenshots runs it under Xvfb.
//   osd_screenshot_driver clock|message|symbols en|ru
// The two configuration pages of these windows are taken with the configuration dialog's.
#include <QApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "desktop/common/language_forms.h"
#include "desktop/common/screenshot_driver.h"
#include "desktop/osd/clock_static.h"
#include "desktop/osd/symbol_dialog.h"
#include "desktop/osd/text_static.h"

using namespace kalvory;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s clock|message|symbols en|ru|uk\n", argv[0]);
    return 2;
  }
  const QString kind = QString::fromLatin1(argv[1]);
  const bool russian = QString::fromLatin1(argv[2]) == QLatin1String("ru");
  const bool ukrainian = QString::fromLatin1(argv[2]) == QLatin1String("uk");
  const UiLanguage language = russian ? UiLanguage::Russian : ukrainian ? UiLanguage::Ukrainian : UiLanguage::English;
  // Dates follow the interface language, as in the program.
  QLocale::setDefault(uiLocale(language));
  ApplicationSettings settings = defaultSettings({});
  std::unique_ptr<QWidget> shown;
  std::unique_ptr<QLabel> desk;
  QRect area;

  if (kind == QLatin1String("clock") || kind == QLatin1String("message")) {
    desk.reset(test::screenshotBackdrop());
    std::unique_ptr<CTextStatic> window;
    if (kind == QLatin1String("clock")) {
      CClockStatic::Sources sources;
      sources.clock = [] { return COleDateTime(2026, 5, 7, 9, 30, 0); };
      // The clock names the day in the interface language, as the program's clock does.
      sources.language = [language] { return language; };
      auto clock = std::make_unique<CClockStatic>(sources);
      clock->SetLooks(looksOf(settings.clock));
      clock->SetFormat("%A %d %B %H%~%M");
      window = std::move(clock);
    } else {
      window = std::make_unique<CTextStatic>();
      window->SetLooks(looksOf(settings.text));
      window->SetText(russian     ? "Пора пить чай! \xC2\x80\xD0\xA2\n%~в пять часов%-"
                      : ukrainian ? "Час пити чай! \xC2\x80\xD0\xA2\n%~о п’ятій%-"
                                  : "Time for tea! \xC2\x80T\n%~at five o'clock%-");
      window->SetDefaultTime(600);
      window->Show(0);
    }
    window->Create(kind == QLatin1String("clock") ? QStringLiteral("AlarmClock") : QStringLiteral("AlarmText"),
                   QRect(60, 60, 400, 30));
    window->Update();
    area = window->geometry().adjusted(-40, -30, 40, 30);
    shown = std::move(window);
  } else if (kind == QLatin1String("symbols")) {
    auto dialog = std::make_unique<CSpecialSymDlg>(language);
    dialog->selectCode(0x54);
    dialog->move(20, 20);
    dialog->show();
    shown = std::move(dialog);
  } else {
    std::fprintf(stderr, "unknown window: %s\n", argv[1]);
    return 2;
  }
  QTimer::singleShot(500, [&] { test::printScreenshotArea(area.isValid() ? area : shown->frameGeometry()); });
  return app.exec();
}
