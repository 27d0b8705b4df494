#include "desktop/plugins/plugin_host.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "core/model/alarm_doc.h"
#include "core/wallpaper/desktop_wallpaper.h"
#include "desktop/app/alarm_app.h"
#include "desktop/app/desktop_program.h"
#include "desktop/plugins/plugins_page.h"
#include "platform/settings/ini_settings_store.h"
#include "platform/x11/hotkey_service.h"

namespace kalvory::test {
namespace {

// A plug-in folder with two copies of the sample (both named "Twin"), a "kal*.so" that is no
// library and a library whose name does not match; the calls go to log.txt.
struct PluginFolder {
  PluginFolder() {
    QDir().mkpath(folder());
    EXPECT_TRUE(QFile::copy(SAMPLE_PLUGIN, folder() + "/kalone.so"));
    EXPECT_TRUE(QFile::copy(SAMPLE_PLUGIN, folder() + "/kaltwo.so"));
    EXPECT_TRUE(QFile::copy(SAMPLE_PLUGIN, folder() + "/other.so"));
    QFile broken(folder() + "/kalbroken.so");
    EXPECT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a library\n");
    broken.close();
    qputenv("KALVORY_PLUGIN_LOG", logPath().toLocal8Bit());
    qputenv("KALVORY_PLUGIN_NAME", "Twin");
  }
  ~PluginFolder() {
    qunsetenv("KALVORY_PLUGIN_LOG");
    qunsetenv("KALVORY_PLUGIN_NAME");
  }
  QString folder() const { return home.path() + "/data/plugins"; }
  QString logPath() const { return home.path() + "/log.txt"; }
  QStringList log() const {
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  }
  QTemporaryDir home;
};

TEST(PluginHost, LoadsInNameOrderKeepsFailuresAndConfiguresEverySameName) {
  PluginFolder plugins;
  PluginHost host({plugins.folder().toStdString(), "/nonexistent/plugins"});
  host.StartPlugins(77);
  ASSERT_EQ(host.plugins().size(), 3U);
  EXPECT_EQ(host.plugins()[0].file, "kalbroken.so");
  EXPECT_FALSE(host.plugins()[0].loaded());
  EXPECT_EQ(host.plugins()[0].name, "");
  EXPECT_EQ(host.plugins()[2].name, "Twin");
  EXPECT_EQ(plugins.log(), (QStringList{"GetPluginName kalone.so", "StartPlugin kalone.so 1 window",
                                        "GetPluginName kaltwo.so", "StartPlugin kaltwo.so 1 window"}));

  QString message;
  ConfigPageServices services;
  services.showMessage = [&](const QString& text, QWidget*) { message = text; };
  CSetPluginsDlgBar page(UiLanguage::English, &host, services);
  page.load(ApplicationSettings{}, CAlarmDoc{});
  QTreeWidget* list = page.list();
  ASSERT_EQ(list->topLevelItemCount(), 3);  // newest found first
  EXPECT_EQ(list->topLevelItem(0)->text(1), "kaltwo.so");
  EXPECT_EQ(list->topLevelItem(2)->text(1), "kalbroken.so");
  EXPECT_EQ(list->topLevelItem(2)->text(0), "");
  EXPECT_FALSE(page.configureButton()->isEnabled());
  EXPECT_EQ(page.descriptionField()->text(), "N/A");
  page.configureSelected();
  EXPECT_EQ(message, "Plugin is not selected");

  list->topLevelItem(0)->setSelected(true);
  EXPECT_TRUE(page.configureButton()->isEnabled());
  EXPECT_EQ(page.descriptionField()->text(), "Writes its calls to a file.");
  const qsizetype before = plugins.log().size();
  page.configureButton()->click();
  EXPECT_EQ(plugins.log().mid(before), (QStringList{"ConfigurePlugin kalone.so", "ConfigurePlugin kaltwo.so"}));

  // The library that did not load: no description, and "Configure" calls nobody.
  list->clearSelection();
  list->topLevelItem(2)->setSelected(true);
  EXPECT_EQ(page.descriptionField()->text(), "N/A");
  const qsizetype beforeBroken = plugins.log().size();
  page.configureButton()->click();
  EXPECT_EQ(plugins.log().size(), beforeBroken);

  host.StopPlugins();
  EXPECT_EQ(plugins.log().mid(plugins.log().size() - 2), (QStringList{"StopPlugin kalone.so", "StopPlugin kaltwo.so"}));
  EXPECT_TRUE(host.plugins().empty());
}

// The program starts the plug-ins of its data folder; only the exit command stops them.
TEST(PluginHost, OnlyTheExitCommandStopsThePlugins) {
  for (const bool exitCommand : {true, false}) {
    PluginFolder plugins;
    IniSettingsStore store((plugins.home.path() + "/Kalvory.conf").toStdString());
    FakeHotkeyService hotkeys;
    RecordingErrorReporter errors;
    RecordingDesktopWallpaper wallpaper;
    CAlarmApp::Environment environment;
    environment.store = &store;
    environment.hotkeys = &hotkeys;
    environment.errors = &errors;
    environment.wallpaper = &wallpaper;
    environment.singleInstance = false;
    environment.dataFolder = plugins.home.path() + "/data";
    {
      CAlarmApp app(environment);
      ASSERT_TRUE(app.InitInstance({}));
      EXPECT_EQ(app.program()->plugins().plugins().size(), 3U);
      EXPECT_TRUE(plugins.log().contains("StartPlugin kaltwo.so 1 window"));
      if (exitCommand)
        EXPECT_TRUE(app.exitCommand());
      else
        app.sessionEnding(false);
    }
    EXPECT_EQ(plugins.log().filter("StopPlugin").size(), exitCommand ? 2 : 0) << exitCommand;
  }
}

}  // namespace
}  // namespace kalvory::test
