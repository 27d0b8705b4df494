// A day note for today with a sticker, from the day note editor to the composed wallpaper file:
// through the editor, the document file, the alarm check's day refresh, the wallpaper worker, the
// hotkey and the changer, as the user meets it. It once did not appear, was lost on a restart
// and went away when a second note was added for the same day.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QScreen>

#include "desktop/common/frame_fixture.h"
#include "desktop/editors/edit_day.h"

namespace kalvory::test {
namespace {

QString writePicture(const QString& path, QColor color, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(color);
  EXPECT_TRUE(image.save(path, "BMP")) << path.toStdString();
  return path;
}

// The composed picture's colour at the middle of the screen, where the sticker is drawn.
QColor composedMiddle(const FrameFixture& fixture) {
  const QImage image(fixture.dataFolder.filePath("KalvoryCurWP.bmp"));
  if (image.isNull()) return {};
  return image.pixelColor(image.width() / 2, image.height() / 2);
}

// The sticker "Note": a blue square drawn opaque in the middle of the screen, the default one.
void addNoteSticker(FrameFixture& fixture) {
  CWPStickerContext sticker;
  sticker.name = "Note";
  sticker.isDefault = true;
  sticker.skinPath = writePicture(fixture.dataFolder.filePath("note.bmp"), Qt::blue, QSize(40, 30)).toStdString();
  sticker.transparency = 100;
  fixture.document.stickers = {sticker};
}

// The changer over one red picture, enabled, its last change just now (so not due).
void setUpChanger(FrameFixture& fixture) {
  const QString data = fixture.dataFolder.path();
  QDir(data).mkdir("walls");
  const QScreen* screen = QGuiApplication::primaryScreen();
  writePicture(data + "/walls/red.bmp", Qt::red, screen->geometry().size() / 8);
  fixture.settings.wallpaper.enabled = 1;
  fixture.settings.wallpaper.folders = (data + "/walls/*").toStdString();
  fixture.settings.wallpaper.interval = COleDateTimeSpan::fromSeconds(3600);
  fixture.settings.wallpaper.last_changed = fixture.now;
}

// The day note editor as the user fills it in: text, the sticker box (the default sticker),
// then the type and the repetition.
CDayInfo noteFromTheEditor(FrameFixture& fixture, const QString& text, bool sticker) {
  CEditDay editor(fixture.document, UiLanguage::English);
  editor.setDayInfo(CDayInfo(fixture.now));
  editor.noteEdit()->setText(text);
  if (sticker) editor.stickerBox()->click();
  editor.typeList()->setCurrentIndex(CDayInfo::Anniversary);
  editor.repeatList()->setCurrentIndex(CDayInfo::Once);
  editor.accept();
  EXPECT_EQ(editor.result(), QDialog::Accepted);
  return editor.dayInfo();
}

TEST(DayNoteSticker, FromTheEditorToTheComposedWallpaperAndBackAfterARestart) {
  FrameFixture fixture;
  addNoteSticker(fixture);
  setUpChanger(fixture);
  fixture.program->activate();
  fixture.tick();
  EXPECT_TRUE(fixture.wallpaper.calls.empty()) << "nothing to show yet";

  const CDayInfo birthday = noteFromTheEditor(fixture, "Mum's birthday", true);
  EXPECT_EQ(birthday.sticker, "Note") << "the change of type must not drop the chosen sticker";
  fixture.document.AddDayInfo(birthday);
  fixture.tick();
  EXPECT_EQ(composedMiddle(fixture), QColor(Qt::blue)) << "the note's sticker on the composed wallpaper";
  EXPECT_EQ(fixture.wallpaper.calls.size(), 1u);

  // Ctrl+Shift+W composes the next picture with the sticker on it.
  QFile::remove(fixture.dataFolder.filePath("KalvoryCurWP.bmp"));
  ASSERT_TRUE(fixture.hotkeys.press(HOTKEY_WALLPAPER));
  fixture.settle();
  EXPECT_EQ(composedMiddle(fixture), QColor(Qt::blue));

  // A second note for the same day, without a sticker, leaves the first one's in place.
  fixture.document.AddDayInfo(noteFromTheEditor(fixture, "Buy flowers", false));
  fixture.tick();
  ASSERT_EQ(fixture.program->wallpaper().compositor().placedStickers().size(), 1u);
  EXPECT_EQ(fixture.program->wallpaper().compositor().placedStickers()[0].text, "Mum's birthday");
  EXPECT_EQ(composedMiddle(fixture), QColor(Qt::blue));

  // Saved, and opened again in a program started afresh: the sticker is still the note's and
  // on the wallpaper from the first tick, and a changer step keeps it there.
  fixture.savePath = fixture.dataFolder.filePath("notes.alr").toStdString();
  ASSERT_TRUE(fixture.documents->saveAs());
  FrameFixture restarted;
  addNoteSticker(restarted);
  setUpChanger(restarted);
  ASSERT_TRUE(restarted.documents->openDocument(fixture.savePath));
  ASSERT_EQ(restarted.document.dayInfoCount(), 2u);
  EXPECT_EQ(restarted.document.GetDayInfoAt(0)->sticker, "Note");
  restarted.program->activate();
  restarted.tick();
  EXPECT_EQ(composedMiddle(restarted), QColor(Qt::blue));
  restarted.now = COleDateTime(2026, 5, 7, 10, 30, 1);  // the changer's interval has passed
  QFile::remove(restarted.dataFolder.filePath("KalvoryCurWP.bmp"));
  restarted.tick();
  EXPECT_EQ(composedMiddle(restarted), QColor(Qt::blue));

  // Deleting the note takes its sticker off the wallpaper.
  restarted.document.RemoveDayInfo(0);
  restarted.tick();
  EXPECT_TRUE(restarted.program->wallpaper().compositor().placedStickers().empty());
  EXPECT_EQ(composedMiddle(restarted), QColor(Qt::red));
  restarted.document.SetModifiedFlag(false);
  fixture.document.SetModifiedFlag(false);
}

}  // namespace
}  // namespace kalvory::test
