// Shows "Turn off alarm" for tests/desktop/common/take_screenshots.sh, then prints the window
// frame's geometry ("WxH+X+Y") once it is on screen:
//   turn_off_screenshot_driver turn-off-dialog en|ru|uk
#include <QApplication>
#include <QTimer>
#include <cstring>

#include "desktop/alarms/postpone_dialog.h"
#include "desktop/common/screenshot_driver.h"

int main(int argc, char** argv) {
  using namespace kalvory;
  QApplication app(argc, argv);
  const bool russian = argc > 2 && std::strcmp(argv[2], "ru") == 0;
  const bool ukrainian = argc > 2 && std::strcmp(argv[2], "uk") == 0;
  CPostPoneDlg dialog(russian ? UiLanguage::Russian : ukrainian ? UiLanguage::Ukrainian : UiLanguage::English,
                      COleDateTime(2026, 12, 8, 9, 30, 0));
  dialog.move(120, 120);
  dialog.show();
  QTimer::singleShot(700, [&dialog] {
    test::printScreenshotArea(dialog.frameGeometry());
  });
  return app.exec();
}
