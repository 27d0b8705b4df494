// Shows the taskbar notifier, one page of the configuration dialog (page-0-no-wake: the General
// page where waking cannot work; format-error: the clock format page with a format it does not
// understand; sync: the Sync page with the calendars a server listed; sync-no-secret-store: the same
// where no secret store answers) or the notice of the window manager's close button for a
// screenshot and prints the part of the screen to capture ("WxH+X+Y"); ./scripts/screenshots runs
// it under Xvfb.
//   config_screenshot_driver notifier|page-N|page-0-no-wake|format-error|sync|sync-no-secret-store|close-notice
//   en|ru|uk
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>

#include "core/model/alarm_doc.h"
#include "core/skins/definitions.h"
#include "desktop/app/config_pages.h"
#include "desktop/clock/round_clock_static.h"
#include "desktop/clock/skins_page.h"
#include "desktop/common/language_forms.h"
#include "desktop/common/qt_text.h"
#include "desktop/common/screenshot_driver.h"
#include "desktop/config/definition_pages.h"
#include "desktop/config/general_pages.h"
#include "desktop/config/settings_dialog.h"
#include "desktop/notifier/notifier_feature.h"
#include "desktop/notifier/notifiers_page.h"
#include "desktop/notifier/taskbar_notifier.h"
#include "desktop/osd/time_format_page.h"
#include "desktop/plugins/plugin_host.h"
#include "desktop/plugins/plugins_page.h"
#include "desktop/sync/sync_feature.h"
#include "desktop/sync/sync_page.h"
#include "desktop/tray/close_to_tray.h"

using namespace kalvory;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(
        stderr,
        "usage: %s notifier|page-N|page-0-no-wake|format-error|sync|sync-no-secret-store|close-notice en|ru|uk\n",
        argv[0]);
    return 2;
  }
  QString kind = QString::fromLatin1(argv[1]);
  const QString languageName = QString::fromLatin1(argv[2]);
  const bool russian = languageName == QLatin1String("ru");
  const bool ukrainian = languageName == QLatin1String("uk");
  const UiLanguage language = russian ? UiLanguage::Russian : ukrainian ? UiLanguage::Ukrainian : UiLanguage::English;
  QLocale::setDefault(uiLocale(language));
  const bool formatError = kind == QLatin1String("format-error");
  if (formatError) kind = QStringLiteral("page-%1").arg(CSettingsDlg::kClockFormat);
  const std::string dataFolder = KALVORY_RES_DIR;
  ApplicationSettings settings = defaultSettings({});
  settings.app.language = russian ? 0 : ukrainian ? 2 : 1;
  // The clock format page shows its preview of a format with names of days and months.
  settings.clock.format = formatError ? "%Q %H:%M %" : "%A %d %B %H%~%M";
  settings.app.default_notifier = "Classic";
  settings.app.default_sticker = "Note";
  settings.wallpaper.folders = "/home/user/Pictures/Wallpapers/*/home/user/Pictures/Holidays/*";
  settings.wallpaper.enabled = 1;
  CAlarmDoc document;
  document.notifiers = LoadNotifiers(dataFolder, settings.app.default_notifier, nullptr);
  document.stickers = LoadStickers(dataFolder, settings.app.default_sticker, nullptr);
  QLabel* desktop = test::screenshotBackdrop();

  if (kind == QLatin1String("notifier")) {
    CTaskbarNotifier popup(desktop);
    configureNotifier(popup, document.notifiers.at(0));
    popup.Show(toQString(loadString(StringId::NotifierTestMessage, language)), 500, 600000, 500);
    while (popup.state() != CTaskbarNotifier::Showing) popup.appearStep();
    const QRect area = popup.geometry();
    test::printScreenshotArea(area.adjusted(-40, -40, 0, 0).intersected(QGuiApplication::primaryScreen()->geometry()));
    return app.exec();
  }

  if (kind == QLatin1String("close-notice")) {
    // Where a tray shows the icon and no notification server runs: the small message.
    CloseToTray close(settings, QDBusConnection(QString()), {[] { return true; }, [] { return false; }});
    close.keepRunning();
    QWidget* notice = close.noticeBox();
    notice->move(60, 60);
    QApplication::processEvents();
    test::printScreenshotArea(notice->frameGeometry().adjusted(-20, -20, 20, 20));
    return app.exec();
  }

  // Plug-ins: the sample twice and a file that is no library.
  QTemporaryDir plugins;
  QFile::copy(SAMPLE_PLUGIN, plugins.path() + "/kalsample.so");
  QFile::copy(SAMPLE_PLUGIN, plugins.path() + "/kalclock.so");
  QFile broken(plugins.path() + "/kalbroken.so");
  if (broken.open(QIODevice::WriteOnly)) broken.write("text");
  broken.close();
  PluginHost host({toStdString(plugins.path())});
  host.StartPlugins(0);

  ConfigPageServices pageServices;
  pageServices.clock = [] { return COleDateTime(2026, 12, 8, 10, 48, 0); };
  CSettingsDlg dialog(language, settings, document);
  dialog.addPages(programConfigPages(&host, dataFolder), pageServices);
  dialog.selectPage(kind.mid(5, 1).toInt());
  if (kind.startsWith(QLatin1String("sync"))) {
    // A Radicale server's calendars, found from its address, after a sync a minute ago.
    SyncSettings sync;
    sync.enabled = 1;
    sync.server = "https://calendar.example.org/";
    sync.user = "alice";
    SyncPage::Services services;
    services.findCalendars = [](const QUrl&, const DavAccount&,
                                std::function<void(std::vector<CalendarInfo>, QString)> done) {
      done({{QUrl("https://calendar.example.org/alice/reminders/"), QStringLiteral("Reminders")},
            {QUrl("https://calendar.example.org/alice/family/"), QStringLiteral("Family")}},
           {});
    };
    auto* page = new SyncPage(language, sync, QStringLiteral("secret"), services);
    dialog.addPage(toQString(loadString(StringId::SyncPage, language)), page);
    page->findCalendars();
    const bool noStore = kind == QLatin1String("sync-no-secret-store");
    page->setSecretStoreProblem(noStore ? QStringLiteral("The name org.freedesktop.secrets was not provided by any "
                                                         ".service files")
                                        : QString());
    SyncStatus status;
    status.kind = SyncStatus::Kind::Done;
    status.at = QDateTime(QDate(2026, 12, 8), QTime(10, 48));
    status.sent = 2;
    status.received = 1;
    page->setStatus(syncStatusText(status, {}, language));
    page->setDocument(QStringLiteral("/home/user/reminders.alr"));
    dialog.selectPage(dialog.titles()->count() - 1);
  }
  // Debian 12's user manager, which cannot wake the computer.
  if (kind == QLatin1String("page-0-no-wake"))
    dialog.findPage<CSetCommonDlgBar>()->setWakeUnavailable(
        toQString(loadString(StringId::WakeNeedsNewerSystemd, language)).arg(QStringLiteral("252.19-1~deb12u1")));
  if (dialog.currentPage() == CSettingsDlg::kPlugins)
    dialog.findPage<CSetPluginsDlgBar>()->list()->topLevelItem(1)->setSelected(true);
  // The skin preview's clock stands still at a time that shows every hand.
  dialog.findPage<CSetSkinsDlgBar>()->clockPreview()->setClock([] { return COleDateTime(2026, 5, 7, 10, 8, 37); });
  // Typed again, so that the preview formats the fixed time rather than the time of loading.
  dialog.findPage<CSetTimeFormatDlgBar>()->formatEdit()->clear();
  dialog.findPage<CSetTimeFormatDlgBar>()->formatEdit()->setText(toQString(settings.clock.format));
  dialog.resize(dialog.sizeHint().expandedTo(QSize(640, 480)));
  dialog.move(40, 40);
  dialog.show();
  const QRect frame = dialog.frameGeometry();
  test::printScreenshotArea(frame);
  return app.exec();
}
