#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

#include "core/model/document_file.h"
#include "core/resources/resource_menus.h"
#include "desktop/alarms/postpone_dialog.h"
#include "desktop/alarms/turn_off_feature.h"
#include "desktop/common/frame_fixture.h"
#include "desktop/shell/caption_bar.h"
#include "desktop/shell/frame_geometry.h"

namespace kalvory::test {
namespace {

TEST(FrameGeometry, SizeAndPositionRules) {
  EXPECT_EQ(mulDiv(380, 120, 96), 475);
  EXPECT_EQ(mulDiv(-7, 3, 2), -11);  // -10.5 rounds away from zero
  EXPECT_EQ(mulDiv(1, 1, 0), -1);
  EXPECT_EQ(initialFrameSize(96, 96), QSize(420, 450));
  EXPECT_EQ(initialFrameSize(120, 120), QSize(525, 563));

  // The minimum and maximum size are one: 380 wide at 96 dpi, 475 at 120 dpi, never wider
  // than the screen; the height follows the caption and the menu height.
  EXPECT_EQ(fixedFrameSize(120, 120, 1280, 26, 22), QSize(475, mulDiv(270, 120, 96)));
  EXPECT_EQ(fixedFrameSize(96, 96, 1280, 26, 22), QSize(380, 270));
  EXPECT_EQ(fixedFrameSize(96, 96, 1280, 16, 18), QSize(380, 250));
  EXPECT_EQ(fixedFrameSize(96, 96, 300, 20, 19), QSize(300, 264));

  const QSize screen(1280, 1024);
  EXPECT_EQ(initialFramePosition(5000, 100, screen), QPoint(490, 100));
  EXPECT_EQ(initialFramePosition(-1, -5, screen), QPoint(490, 50));
  EXPECT_EQ(initialFramePosition(1280, 1024, screen), QPoint(1280, 1024));  // on the edge still counts
  EXPECT_EQ(initialFramePosition(200, 1025, screen), QPoint(200, 50));
}

TEST(MainFrame, OpensAtTheStoredPlaceWithItsFixedSize) {
  FrameFixture fixture;
  fixture.settings.app.main_position_x = 5000;
  fixture.frame->placeOnScreen();
  const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
  EXPECT_EQ(fixture.frame->pos().x(), screen.width() / 2 - 150);
  EXPECT_EQ(fixture.frame->minimumSize(), fixture.frame->maximumSize());
  EXPECT_EQ(fixture.frame->width(), 380);
}

TEST(MainFrame, CommandUpdateRules) {
  FrameFixture fixture;
  CMainFrame& frame = *fixture.frame;
  DesktopProgram& program = *fixture.program;
  program.activate();
  EXPECT_TRUE(program.actions().commandState(ID_SHOW_CLOCK).checked);
  frame.show();
  EXPECT_EQ(program.actions().commandState(ID_SHOW_HIDE).text, "Hide");
  frame.hide();
  EXPECT_EQ(program.actions().commandState(ID_SHOW_HIDE).text, "Show");

  // "Turn off" answers only while a reminder rings, in the menus and in the tray; its dialog's
  // default answer silences the reminder.
  EXPECT_FALSE(program.actions().commandState(ID_TURN_OFF).enabled);
  CAlarmLine due(fixture.now);
  due.text = "Ring";
  fixture.document.AddAlarm(due);
  program.alarms().tick();
  EXPECT_TRUE(program.actions().commandState(ID_TURN_OFF).enabled);
  EXPECT_TRUE(program.tray()->alarmRinging());
  program.actions().runCommand(ID_TURN_OFF);
  ASSERT_NE(program.turnOff().dialog(), nullptr);
  program.turnOff().dialog()->accept();
  EXPECT_FALSE(program.actions().commandState(ID_TURN_OFF).enabled);
  EXPECT_FALSE(program.tray()->alarmRinging());
  EXPECT_EQ(fixture.document.GetAlarmAt(0)->state, ReminderState::TurnedOff);

  EXPECT_TRUE(program.actions().commandState(ID_CALENDAR_IN_TRAY).checked);
  program.actions().runCommand(ID_CALENDAR_IN_TRAY);
  EXPECT_EQ(fixture.settings.app.calendar_in_tray, 0);
  EXPECT_FALSE(program.actions().commandState(ID_CALENDAR_IN_TRAY).checked);

  EXPECT_TRUE(program.actions().commandState(ID_LOAD_LAST_DOCUMENT).checked);
  program.actions().runCommand(ID_LOAD_LAST_DOCUMENT);
  EXPECT_FALSE(program.actions().commandState(ID_LOAD_LAST_DOCUMENT).checked);
  EXPECT_EQ(fixture.settings.app.load_last_document, 0);

  const bool clockBefore = program.actions().commandState(ID_SHOW_CLOCK).checked;
  program.actions().runCommand(ID_SHOW_CLOCK);
  EXPECT_NE(program.actions().commandState(ID_SHOW_CLOCK).checked, clockBefore);
  EXPECT_EQ(fixture.settings.clock.is_visible != 0, program.actions().commandState(ID_SHOW_CLOCK).checked);

  EXPECT_FALSE(program.actions().commandState(ID_STATUS_BAR).checked);
  program.actions().runCommand(ID_STATUS_BAR);
  frame.show();
  EXPECT_TRUE(program.actions().commandState(ID_STATUS_BAR).checked);

  // The recent list: an empty list shows one greyed entry.
  EXPECT_FALSE(program.actions().commandState(ID_FILE_MRU_FILE1).enabled);
  fixture.settings.recent_files.add("/tmp/a.alr");
  EXPECT_TRUE(program.actions().commandState(ID_FILE_MRU_FILE1).enabled);
  EXPECT_TRUE(program.actions().commandState(ID_FILE_MRU_FILE1).text.startsWith("&1 "));
  EXPECT_FALSE(program.actions().commandState(ID_FILE_MRU_FILE1 + 1).enabled);

  // Opening a menu applies the rules to its items.
  QAction* turnOffInTray = program.tray()->actionFor(ID_TURN_OFF);
  ASSERT_NE(turnOffInTray, nullptr);
  EXPECT_FALSE(turnOffInTray->isEnabled());
}

TEST(MainFrame, LanguageSwitchingReloadsMenusWithTheCheckMark) {
  FrameFixture fixture;
  CMainFrame& frame = *fixture.frame;
  DesktopProgram& program = *fixture.program;
  EXPECT_TRUE(program.actions().commandState(ID_LANGUAGE_ENGLISH).checked);
  EXPECT_FALSE(program.actions().commandState(ID_LANGUAGE_RUSSIAN).checked);

  program.actions().runCommand(ID_LANGUAGE_RUSSIAN);
  EXPECT_EQ(fixture.settings.app.language, 0);
  EXPECT_TRUE(program.actions().commandState(ID_LANGUAGE_RUSSIAN).checked);
  EXPECT_FALSE(program.actions().commandState(ID_LANGUAGE_ENGLISH).checked);
  const QList<QAction*> bar = frame.menuBar()->actions();
  ASSERT_FALSE(bar.isEmpty());
  EXPECT_EQ(bar.first()->text(), "&Файл");
  EXPECT_EQ(program.tray()->actionFor(ID_APP_EXIT)->text(), "Выход");
  frame.show();
  EXPECT_EQ(program.actions().commandState(ID_SHOW_HIDE).text, "Скрыть");

  program.actions().runCommand(ID_LANGUAGE_UKRAINIAN);
  EXPECT_EQ(fixture.settings.app.language, 2);
  EXPECT_TRUE(program.actions().commandState(ID_LANGUAGE_UKRAINIAN).checked);
  EXPECT_EQ(frame.menuBar()->actions().first()->text(), "&Файл");
  EXPECT_EQ(program.tray()->actionFor(ID_APP_EXIT)->text(), "Вихід");

  // A stored language of 5 reads as English and marks no item.
  FrameFixture odd(5);
  EXPECT_EQ(odd.program->actions().uiLanguage(), UiLanguage::English);
  for (int id : {ID_LANGUAGE_RUSSIAN, ID_LANGUAGE_ENGLISH, ID_LANGUAGE_UKRAINIAN})
    EXPECT_FALSE(odd.program->actions().commandState(id).checked) << id;
}

TEST(MainFrame, MinimisingAndTheCaptionButtonsHideToTheTray) {
  FrameFixture fixture;
  CMainFrame& frame = *fixture.frame;
  DesktopProgram& program = *fixture.program;
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  frame.showMinimized();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !frame.isVisible(); }, 2000));

  // The tray's "Show" brings it back, unminimised.
  program.tray()->handleActivation(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(frame.isVisible());
  EXPECT_FALSE(frame.windowState() & Qt::WindowMinimized);

  // The caption's hide button hides; its close button is the exit command.
  CCaptionBar* caption = frame.caption();
  const QPoint hide = caption->partRect(CCaptionBar::Part::HideButton).center();
  QTest::mousePress(caption, Qt::LeftButton, {}, hide);
  QTest::mouseRelease(caption, Qt::LeftButton, {}, hide);
  EXPECT_FALSE(frame.isVisible());
  frame.show();
  const QPoint close = caption->partRect(CCaptionBar::Part::CloseButton).center();
  QTest::mousePress(caption, Qt::LeftButton, {}, close);
  QTest::mouseRelease(caption, Qt::LeftButton, {}, close);
  EXPECT_EQ(fixture.exitRequests, 1);
  // A press on a button released elsewhere does nothing.
  QTest::mousePress(caption, Qt::LeftButton, {}, close);
  QTest::mouseRelease(caption, Qt::LeftButton, {}, QPoint(150, 10));
  EXPECT_EQ(fixture.exitRequests, 1);
}

TEST(MainFrame, HotkeysRegisterInOrderAndATakenOneIsReported) {
  FrameFixture fixture;
  fixture.hotkeys.taken.insert({kHotkeyControl | kHotkeyShift, 0x71});  // Ctrl+Shift+Q
  fixture.program->activate();
  EXPECT_EQ(fixture.hotkeys.registrationOrder,
            (std::vector<int>{HOTKEY_CLOCK, HOTKEY_PASTE_1, HOTKEY_PASTE_2, HOTKEY_PASTE_3, HOTKEY_TURN_OFF,
                              HOTKEY_SHOW_HIDE, HOTKEY_WALLPAPER}));
  ASSERT_EQ(fixture.errors.entries.size(), 1u);
  EXPECT_EQ(fixture.errors.entries[0].title, "Error");
  EXPECT_EQ(fixture.errors.entries[0].message.rfind("RegisterHotKey failed with error 10: ", 0), 0u);
  EXPECT_EQ(fixture.hotkeys.registered.size(), 6u);
  EXPECT_TRUE(fixture.program->alarms().isRunning());

  // Registration happens once per process, however often the window is activated.
  fixture.program->activate();
  EXPECT_EQ(fixture.hotkeys.registrationOrder.size(), 7u);

  // The others work: Ctrl+Shift+A shows and hides, Ctrl+Shift+minus turns off even when
  // nothing rings.
  EXPECT_FALSE(fixture.frame->isVisible());
  EXPECT_TRUE(fixture.hotkeys.press(HOTKEY_SHOW_HIDE));
  EXPECT_TRUE(fixture.frame->isVisible());
  EXPECT_TRUE(fixture.hotkeys.press(HOTKEY_SHOW_HIDE));
  EXPECT_FALSE(fixture.frame->isVisible());
  EXPECT_FALSE(fixture.hotkeys.press(HOTKEY_CLOCK));

  // QuickPaste puts the expanded text on the clipboard and pastes it.
  fixture.document.paste_formats[0] = "%d.%m.%Y";
  EXPECT_TRUE(fixture.hotkeys.press(HOTKEY_PASTE_1));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "07.05.2026");
  EXPECT_EQ(fixture.paste.count, 1);
  // A text that comes out empty (the song, with no player running) leaves the user's clipboard
  // as it was and pastes nothing.
  fixture.document.paste_formats[2] = "%V";
  EXPECT_TRUE(fixture.hotkeys.press(HOTKEY_PASTE_3));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "07.05.2026");
  EXPECT_EQ(fixture.paste.count, 1);

  // Closing gives every key back.
  ASSERT_TRUE(fixture.program->close());
  EXPECT_TRUE(fixture.hotkeys.registered.empty());
  EXPECT_FALSE(fixture.program->alarms().isRunning());
}

TEST(MainFrame, CopyDateUsesTheDocumentFormat) {
  FrameFixture fixture;
  fixture.program->actions().runCommand(ID_COPY_DATE);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "05/07/2026");
  fixture.document.copy_date_format = "%Y-%m-%d";
  fixture.program->actions().runCommand(ID_COPY_DATE);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "2026-05-07");
}

TEST(MainFrame, DroppedDocumentOpens) {
  QTemporaryDir folder;
  CAlarmDoc stored;
  CAlarmLine line(COleDateTime(2026, 5, 7, 10, 0, 0));
  line.text = "Dropped";
  stored.AddAlarm(line);
  const std::string path = (folder.path() + "/dropped.alr").toStdString();
  EXPECT_TRUE(saveDocumentFile(stored, path).ok());

  FrameFixture fixture;
  fixture.frame->show();
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(folder.path() + "/notes.txt"), QUrl::fromLocalFile(QString::fromStdString(path))});
  QDragEnterEvent enter(QPoint(10, 60), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(fixture.frame, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 60), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(fixture.frame, &drop);
  ASSERT_EQ(fixture.document.alarmCount(), 1u);
  EXPECT_EQ(fixture.document.GetAlarmAt(0)->text, "Dropped");
  EXPECT_EQ(fixture.documents->path(), path);
  EXPECT_EQ(fixture.settings.recent_files.files[0], path);

  // Something else than a document is refused.
  QMimeData text;
  text.setUrls({QUrl::fromLocalFile(folder.path() + "/picture.png")});
  QDragEnterEvent refused(QPoint(10, 60), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  refused.setAccepted(false);
  QApplication::sendEvent(fixture.frame, &refused);
  EXPECT_FALSE(refused.isAccepted());
}

TEST(MainFrame, SkinGivesTheCaptionColourAndLogo) {
  QTemporaryDir folder;
  QImage logo(40, 16, QImage::Format_RGB32);
  logo.fill(QColor(255, 0, 255));
  logo.setPixel(5, 5, qRgb(10, 20, 30));
  ASSERT_TRUE(logo.save(folder.path() + "/logo.bmp"));
  QFile skin(folder.path() + "/skin.xml");
  ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
  skin.write(
      "<xml>\r\n\t<UI>\r\n\t\t<CaptionColor>clr102030</CaptionColor>\r\n"
      "\t\t<CaptionLogo>logo.bmp</CaptionLogo>\r\n\t</UI>\r\n</xml>\r\n");
  skin.close();

  FrameFixture fixture;
  fixture.frame->ApplySkin((folder.path() + "/skin.xml").toStdString(), fixture.dataFolder.path().toStdString());
  EXPECT_EQ(fixture.frame->caption()->captionColor(), QColor(0x10, 0x20, 0x30));
  EXPECT_TRUE(fixture.frame->caption()->hasCustomLogo());

  // A missing skin leaves the current one; a missing logo puts the built-in one back.
  fixture.frame->ApplySkin((folder.path() + "/none.xml").toStdString(), fixture.dataFolder.path().toStdString());
  EXPECT_EQ(fixture.frame->caption()->captionColor(), QColor(0x10, 0x20, 0x30));
  QFile::remove(folder.path() + "/logo.bmp");
  fixture.frame->ApplySkin((folder.path() + "/skin.xml").toStdString(), fixture.dataFolder.path().toStdString());
  EXPECT_FALSE(fixture.frame->caption()->hasCustomLogo());
}

}  // namespace
}  // namespace kalvory::test
