#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QTest>

#include "core/common/error_reporter.h"
#include "core/model/alarm_doc.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/hotkeys/bus_commands.h"
#include "desktop/hotkeys/global_hotkeys.h"
#include "platform/x11/hotkey_service.h"
#include "platform/x11/synthetic_paste.h"

namespace kalvory {
namespace {

struct HotkeysFixture {
  CAlarmDoc document;
  UiLanguage language = UiLanguage::English;
  ActionRegistry actions{[this] { return language; }};
  FakeHotkeyService keys;
  RecordingErrorReporter errors;
  QStringList notices;
  bool onlyInX11Programs = false;
  FakePasteInjector paste;

  std::unique_ptr<GlobalHotkeys> make() {
    GlobalHotkeys::Services services;
    services.hotkeys = &keys;
    services.errors = &errors;
    services.notice = [this](const QString& text) { notices << text; };
    services.keysOnlyInX11Programs = onlyInX11Programs;
    services.paste = &paste;
    auto hotkeys = std::make_unique<GlobalHotkeys>(document, actions, services);
    return hotkeys;
  }
};

TEST(GlobalHotkeys, ASessionWithoutGlobalKeysIsToldOnceWithTheCommandLineInstead) {
  HotkeysFixture fixture;
  fixture.keys.unavailable = true;
  auto hotkeys = fixture.make();
  hotkeys->registerAll();
  // Not seven error boxes, one per key: one notice naming the way out.
  EXPECT_TRUE(fixture.errors.entries.empty());
  ASSERT_EQ(fixture.notices.size(), 1);
  EXPECT_TRUE(fixture.notices[0].contains(QStringLiteral("kalvory --command NAME")))
      << fixture.notices[0].toStdString();
  EXPECT_TRUE(fixture.notices[0].contains(QStringLiteral("no X11 display")));
  EXPECT_TRUE(fixture.keys.registered.empty());
  // A later refusal from the desktop adds nothing.
  emit fixture.keys.failed(QStringLiteral("declined"));
  EXPECT_EQ(fixture.notices.size(), 1);
  hotkeys->unregisterAll();
}

TEST(GlobalHotkeys, ADesktopsRefusalIsToldOnceInTheUsersLanguage) {
  HotkeysFixture fixture;
  fixture.language = UiLanguage::Russian;
  auto hotkeys = fixture.make();
  hotkeys->registerAll();
  EXPECT_EQ(fixture.keys.registered.size(), 7U);
  EXPECT_TRUE(fixture.notices.empty());
  emit fixture.keys.failed(QStringLiteral("BindShortcuts answered 2"));
  emit fixture.keys.failed(QStringLiteral("BindShortcuts answered 2"));
  ASSERT_EQ(fixture.notices.size(), 1);
  EXPECT_TRUE(fixture.notices[0].startsWith(QStringLiteral("Глобальные горячие клавиши")));
  EXPECT_TRUE(fixture.notices[0].contains(QStringLiteral("BindShortcuts answered 2")));
  hotkeys->unregisterAll();
}

TEST(GlobalHotkeys, ThroughXWaylandTheKeysAreTakenAndTheirLimitToldOnce) {
  HotkeysFixture fixture;
  fixture.onlyInX11Programs = true;
  auto hotkeys = fixture.make();
  hotkeys->registerAll();
  EXPECT_EQ(fixture.keys.registered.size(), 7U);
  EXPECT_TRUE(fixture.errors.entries.empty());
  ASSERT_EQ(fixture.notices.size(), 1);
  EXPECT_TRUE(fixture.notices[0].contains(QStringLiteral("XWayland")));
  EXPECT_TRUE(fixture.notices[0].contains(QStringLiteral("kalvory --command NAME")));
  hotkeys->unregisterAll();
}

TEST(GlobalHotkeys, WithoutACatcherTheNoticeIsAMessageThatDoesNotBlock) {
  CAlarmDoc document;
  ActionRegistry actions([] { return UiLanguage::English; });
  FakeHotkeyService keys;
  keys.unavailable = true;
  GlobalHotkeys::Services services;
  services.hotkeys = &keys;
  services.keysOnlyInX11Programs = false;
  GlobalHotkeys hotkeys(document, actions, services);
  hotkeys.registerAll();
  QMessageBox* box = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QStringLiteral("hotkeysUnavailable")) box = qobject_cast<QMessageBox*>(widget);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->windowModality(), Qt::NonModal);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  box->close();
  hotkeys.unregisterAll();
}

QString clipboardText() { return QApplication::clipboard()->text(QClipboard::Clipboard); }

TEST(GlobalHotkeys, APasteNothingCanTypeStaysOnTheClipboardAndTheUserIsToldOnce) {
  HotkeysFixture fixture;
  fixture.paste.delivers = false;
  fixture.document.paste_formats = {"first", "second", "third"};
  auto hotkeys = fixture.make();
  hotkeys->QuickPaste(0);
  EXPECT_EQ(clipboardText(), QStringLiteral("first"));
  ASSERT_EQ(fixture.notices.size(), 1);
  EXPECT_TRUE(fixture.notices[0].contains(QStringLiteral("Ctrl+V"))) << fixture.notices[0].toStdString();
  EXPECT_TRUE(fixture.notices[0].contains(QStringLiteral("lets no program type")));
  EXPECT_EQ(hotkeys->pasteNotice(), fixture.notices[0]);
  // Every later paste still fills the clipboard and asks for the keystroke, but says nothing more.
  hotkeys->QuickPaste(1);
  hotkeys->QuickPaste(0);
  EXPECT_EQ(clipboardText(), QStringLiteral("first"));
  EXPECT_EQ(fixture.paste.count, 3);
  EXPECT_EQ(fixture.notices.size(), 1);
}

TEST(GlobalHotkeys, APasteTheDesktopRefusesLaterIsToldOnceInTheUsersLanguage) {
  HotkeysFixture fixture;
  fixture.language = UiLanguage::Ukrainian;
  fixture.document.paste_formats = {"text", "text", "text"};
  auto hotkeys = fixture.make();
  hotkeys->QuickPaste(0);
  EXPECT_TRUE(fixture.notices.empty()) << "a paste that may still be typed is not told";
  ASSERT_TRUE(fixture.paste.undelivered);
  fixture.paste.undelivered(QStringLiteral("the user did not allow typing"));
  fixture.paste.undelivered(QStringLiteral("the user did not allow typing"));
  ASSERT_EQ(fixture.notices.size(), 1);
  EXPECT_TRUE(fixture.notices[0].startsWith(QStringLiteral("Текст у буфері обміну")));
  EXPECT_TRUE(fixture.notices[0].contains(QStringLiteral("the user did not allow typing")));
  // The notice of the keys is another, told once of its own.
  fixture.keys.unavailable = true;
  hotkeys->registerAll();
  EXPECT_EQ(fixture.notices.size(), 2);
  hotkeys->unregisterAll();
  hotkeys.reset();
  EXPECT_FALSE(fixture.paste.undelivered) << "a paste refused after the hotkeys are gone must reach nobody";
}

// The desktop's shortcut fires while Ctrl+Shift are still down; typed then, the paste would be
// Ctrl+Shift+V.
TEST(GlobalHotkeys, APasteKeyOfTheDesktopTypesOnceTheUserLetsGo) {
  HotkeysFixture fixture;
  fixture.keys.releases = true;
  fixture.document.paste_formats = {"held", "other", "third"};
  auto hotkeys = fixture.make();
  hotkeys->registerAll();
  ASSERT_TRUE(fixture.keys.press(HOTKEY_PASTE_1));
  EXPECT_EQ(clipboardText(), QStringLiteral("held"));
  EXPECT_EQ(fixture.paste.count, 0) << "typed while the keys were down";
  // Another key's release is not this one's.
  emit fixture.keys.released(HOTKEY_PASTE_2);
  EXPECT_EQ(fixture.paste.count, 0);
  emit fixture.keys.released(HOTKEY_PASTE_1);
  EXPECT_EQ(fixture.paste.count, 1);
  // A key that is not a paste leaves the next paste (from the command line) alone.
  ASSERT_TRUE(fixture.keys.press(HOTKEY_CLOCK));
  hotkeys->QuickPaste(1);
  EXPECT_EQ(fixture.paste.count, 2);
  // Held on and on: typed anyway, a while later.
  ASSERT_TRUE(fixture.keys.press(HOTKEY_PASTE_1));
  EXPECT_EQ(fixture.paste.count, 2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.paste.count == 3; }, 10000));
  EXPECT_TRUE(fixture.notices.empty());
  hotkeys->unregisterAll();
}

TEST(GlobalHotkeys, ATypedPasteSaysNothing) {
  HotkeysFixture fixture;
  fixture.document.paste_formats = {"typed", "typed", "typed"};
  auto hotkeys = fixture.make();
  hotkeys->QuickPaste(0);
  EXPECT_EQ(fixture.paste.count, 1);
  EXPECT_TRUE(fixture.notices.empty());
}

TEST(BusCommands, EveryHotkeyHasACommandNameAndEveryNameIsKnownOnce) {
  for (const CommandShortcut& shortcut : kCommandShortcuts) {
    if (shortcut.hotkeyId == 0) continue;
    const BusCommand* command = busCommandOfHotkey(shortcut.hotkeyId);
    ASSERT_NE(command, nullptr) << shortcut.hotkeyId;
    EXPECT_EQ(command->command, shortcut.command);
  }
  QStringList names = busCommandNames();
  EXPECT_EQ(names.removeDuplicates(), 0);
  EXPECT_EQ(busCommandId(QStringLiteral("show-clock")), ID_SHOW_CLOCK);
  EXPECT_EQ(busCommandId(QStringLiteral("quick-paste-3")), ID_QUICK_PASTE_1 + 2);
  EXPECT_FALSE(busCommandId(QStringLiteral("list")).has_value());
  EXPECT_FALSE(busCommandId(QStringLiteral("Show-Clock")).has_value());
}

}  // namespace
}  // namespace kalvory
