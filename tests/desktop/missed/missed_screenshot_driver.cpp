// Shows the "While you were away" window with three missed reminders for
// tests/desktop/common/take_screenshots.sh, then prints the window frame's geometry ("WxH+X+Y")
// once it is on screen.
//   missed_screenshot_driver missed-reminders en|ru|uk
#include <QApplication>
#include <QTimer>
#include <cstring>

#include "core/model/alarm_doc.h"
#include "desktop/common/screenshot_driver.h"
#include "desktop/missed/missed_window.h"

int main(int argc, char** argv) {
  using namespace kalvory;
  QApplication app(argc, argv);
  const bool russian = argc > 2 && std::strcmp(argv[2], "ru") == 0;
  const bool ukrainian = argc > 2 && std::strcmp(argv[2], "uk") == 0;
  const UiLanguage language = russian ? UiLanguage::Russian : ukrainian ? UiLanguage::Ukrainian : UiLanguage::English;
  CAlarmDoc document;
  const char* const texts[][3] = {
      {"Call the bank about the card", "Позвонить в банк по поводу карты", "Зателефонувати до банку щодо картки"},
      {"Take the pills", "Принять таблетки", "Прийняти ліки"},
      {"Team meeting in room 4", "Совещание в комнате 4", "Нарада в кімнаті 4"}};
  const COleDateTime times[] = {COleDateTime(2026, 3, 10, 9, 30, 0), COleDateTime(2026, 3, 10, 10, 0, 0),
                                COleDateTime(2026, 3, 10, 11, 15, 0)};
  std::vector<MissedReminder> missed;
  for (std::size_t i = 0; i < 3; ++i) {
    CAlarmLine line(times[i], 60);
    line.time = times[i];
    line.text = texts[i][russian ? 1 : ukrainian ? 2 : 0];
    document.AddAlarm(line);
    missed.push_back({i, times[i]});
  }
  CMissedRemindersWindow window(
      document, [language] { return language; }, [] { return COleDateTime(2026, 3, 10, 12, 0, 0); });
  window.move(120, 120);
  window.addMissed(missed);
  QTimer::singleShot(700, [&window] {
    test::printScreenshotArea(window.frameGeometry());
  });
  return app.exec();
}
