#include "core/wallpaper/wallpaper_changer.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>

#include "core/model/alarm_line.h"
#include "core/model/day_info.h"
#include "wallpaper_test_support.h"

namespace kalvory {
namespace {

using test::Colour;

// A picture folder, a data folder, the settings, a compositor and a changer with a clock and a
// random source the test turns.
class ChangerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pictures = root.file("Wallpapers");
    data = root.file("data");
    std::filesystem::create_directories(pictures);
    std::filesystem::create_directories(data);
    settings.enabled = 1;
    settings.style = 2;
    settings.origin = kWallpaperOriginChanger;
    settings.background_color = makeColorRef(10, 20, 30);
    settings.interval = intervalFromMinutes(1440);
    settings.folders = pictures + "/*";
    settings.last_changed = COleDateTime(2026, 5, 1, 7, 30, 0);
    now = COleDateTime(2026, 5, 12, 10, 17, 23);
    compositor = std::make_unique<CWallpaperCompositor>(32, 24, data, placed);
    changer = std::make_unique<CWallpaperChanger>(
        settings, *compositor, desktop, [this] { return now; },
        [this] {
          if (draws.empty()) return 0;
          const int r = draws.front();
          draws.pop_front();
          return r;
        });
  }

  void AddThreePictures() {
    test::WriteSolidBmp(pictures + "/a.bmp", 4, 3, Colour{255, 0, 0});
    test::WriteJpeg(pictures + "/b.jpg", 8, 6, Colour{20, 200, 20});
    test::WritePng(pictures + "/c.png", 2, 2, Colour{0, 0, 255});
    test::WriteText(pictures + "/notes.txt", "not a picture");
  }

  std::string composed() const { return data + "/KalvoryCurWP.bmp"; }

  test::TemporaryFolder root;
  std::string pictures;
  std::string data;
  CWallpaperContext settings;
  COleDateTime now;
  std::deque<int> draws;
  std::vector<CWPStickerContext> placed;
  RecordingDesktopWallpaper desktop;
  std::unique_ptr<CWallpaperCompositor> compositor;
  std::unique_ptr<CWallpaperChanger> changer;
};

TEST_F(ChangerTest, SequentialChangesWalkTheFolderAndWriteBackThePosition) {
  AddThreePictures();
  const std::vector<std::string> expected{pictures + "/a.bmp", pictures + "/b.jpg", pictures + "/c.png",
                                          pictures + "/a.bmp"};
  const std::vector<int> positions{1, 2, 3, 1};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    changer->ChangeWallpaper(false);
    ASSERT_EQ(desktop.calls.size(), i + 1) << compositor->currentRequest().picture;
    EXPECT_EQ(desktop.calls.back(), (RecordingDesktopWallpaper::Call{composed(), 2}));
    EXPECT_EQ(compositor->currentRequest().picture, expected[i]);
    EXPECT_EQ(settings.position, positions[i]);
    EXPECT_EQ(settings.last_changed, now);
    // Nothing more until the interval has passed.
    changer->ChangeWallpaper(false);
    EXPECT_EQ(desktop.calls.size(), i + 1);
    now += COleDateTimeSpan(1.0 + 1.0 / 86400.0);
  }
  EXPECT_FALSE(changer->busy());
}

TEST_F(ChangerTest, TheIntervalMustBeStrictlyExceeded) {
  AddThreePictures();
  settings.last_changed = COleDateTime(2026, 5, 11, 10, 17, 23);  // exactly one day before now
  changer->ChangeWallpaper(false);
  EXPECT_TRUE(desktop.calls.empty());
  EXPECT_EQ(settings.position, 0);
  EXPECT_EQ(settings.last_changed, COleDateTime(2026, 5, 11, 10, 17, 23));

  now += COleDateTimeSpan::fromSeconds(1);
  changer->ChangeWallpaper(false);
  EXPECT_EQ(desktop.calls.size(), 1u);
  EXPECT_EQ(settings.position, 1);

  // The hotkey does not wait for the interval.
  changer->ChangeWallpaper(true);
  EXPECT_EQ(desktop.calls.size(), 2u);
  EXPECT_EQ(settings.position, 2);
}

TEST_F(ChangerTest, AnUnreadableOrFutureLastChangeDoesNotStopTheChanger) {
  AddThreePictures();
  settings.last_changed = COleDateTime::makeInvalid();
  changer->ChangeWallpaper(false);
  EXPECT_EQ(desktop.calls.size(), 1u);
  EXPECT_EQ(settings.last_changed, now);

  settings.last_changed = now + COleDateTimeSpan(400.0);  // the clock was set back
  changer->ChangeWallpaper(false);
  EXPECT_EQ(desktop.calls.size(), 2u);
  EXPECT_EQ(settings.last_changed, now);
}

TEST_F(ChangerTest, ShuffleDrawsAPositionAndTheTopDrawWrapsToTheFirst) {
  AddThreePictures();
  settings.shuffle = 1;
  settings.position = 2;
  draws = {32767, 16383, 32766, 0};
  const std::vector<int> positions{1, 2, 3, 1};  // 3 × r / 32767 + 1, with 4 becoming 1
  for (int position : positions) {
    changer->ChangeWallpaper(true);
    EXPECT_EQ(settings.position, position);
  }
  EXPECT_EQ(compositor->currentRequest().picture, pictures + "/a.bmp");
  EXPECT_EQ(desktop.calls.size(), 4u);
}

TEST_F(ChangerTest, PositionsOutsideTheListStartItAgain) {
  AddThreePictures();
  settings.position = 3;
  changer->ChangeWallpaper(true);
  EXPECT_EQ(settings.position, 1);
  settings.position = -7;  // a damaged setting
  changer->ChangeWallpaper(true);
  EXPECT_EQ(settings.position, 1);
}

TEST_F(ChangerTest, NothingHappensWhenDisabledEmptyOrAlreadyBusy) {
  settings.enabled = 0;
  AddThreePictures();
  changer->ChangeWallpaper(true);
  EXPECT_TRUE(desktop.calls.empty());

  settings.enabled = 1;
  settings.folders = root.file("empty") + "*" + root.file("missing") + "*";
  std::filesystem::create_directories(root.file("empty"));
  changer->ChangeWallpaper(true);
  EXPECT_TRUE(desktop.calls.empty());
  EXPECT_EQ(settings.position, 0);
  EXPECT_EQ(settings.last_changed, COleDateTime(2026, 5, 1, 7, 30, 0));
  EXPECT_FALSE(changer->busy());

  // A change started while one runs (a nested event loop) does nothing.
  class ReenteringDesktop final : public DesktopWallpaper {
   public:
    Result<void> SetWallpaper(const std::string&, int) override {
      ++calls;
      wasBusy = changer->busy();
      changer->ChangeWallpaper(true);
      return {};
    }
    CWallpaperChanger* changer = nullptr;
    int calls = 0;
    bool wasBusy = false;
  };
  ReenteringDesktop reentering;
  settings.folders = pictures + "/*";
  CWallpaperChanger nested(
      settings, *compositor, reentering, [this] { return now; }, [] { return 0; });
  reentering.changer = &nested;
  nested.ChangeWallpaper(true);
  EXPECT_EQ(reentering.calls, 1);
  EXPECT_TRUE(reentering.wasBusy);
  EXPECT_FALSE(nested.busy());
  EXPECT_EQ(settings.position, 1);
}

TEST_F(ChangerTest, AnUnreadablePictureAppliesThePreviousOneAndStillAdvances) {
  test::WriteSolidBmp(pictures + "/a.bmp", 4, 3, Colour{255, 0, 0});
  test::WriteText(pictures + "/b.jpg", "broken");
  changer->ChangeWallpaper(true);
  ASSERT_EQ(desktop.calls.size(), 1u);
  const std::vector<char> first = test::ReadBytes(composed());

  now += COleDateTimeSpan::fromMinutes(1);
  changer->ChangeWallpaper(true);
  ASSERT_EQ(desktop.calls.size(), 2u);
  EXPECT_EQ(desktop.calls[1].path, composed());
  EXPECT_EQ(test::ReadBytes(composed()), first);
  EXPECT_EQ(settings.position, 2);
  EXPECT_EQ(settings.last_changed, now);
  EXPECT_EQ(compositor->appliedRequest().position, 1);
}

TEST_F(ChangerTest, ADayNoteThatBlocksTheChangerHoldsUntilMidnight) {
  AddThreePictures();
  CDayInfo note(COleDateTime(2026, 5, 12, 0, 0, 0));
  note.repeat = CDayInfo::Once;
  note.text = "Holiday";
  note.wallpaper = pictures + "/c.png";
  note.block_changer = true;

  changer->ApplyDayNoteWallpaper(&note, now);
  ASSERT_EQ(desktop.calls.size(), 1u);
  EXPECT_EQ(compositor->currentRequest().picture, pictures + "/c.png");
  EXPECT_EQ(compositor->appliedRequest().origin, kWallpaperOriginReminder);
  EXPECT_TRUE(changer->blockedOn(now));

  changer->ChangeWallpaper(true);
  changer->SetReminderWallpaper(pictures + "/a.bmp");
  now = COleDateTime(2026, 5, 12, 23, 59, 59);
  changer->ChangeWallpaper(true);
  changer->ApplyDayNoteWallpaper(&note, now);  // once a day
  EXPECT_EQ(desktop.calls.size(), 1u);
  EXPECT_EQ(settings.position, 0);

  now = COleDateTime(2026, 5, 13, 0, 0, 0);
  changer->ChangeWallpaper(true);
  EXPECT_EQ(desktop.calls.size(), 2u);
  EXPECT_EQ(settings.position, 1);
}

TEST_F(ChangerTest, DayNotePictureIsAppliedOnceADayAndOnlyWhenThereIsOne) {
  AddThreePictures();
  changer->ApplyDayNoteWallpaper(nullptr, now);
  CDayInfo note(COleDateTime(2026, 5, 12, 0, 0, 0));
  note.repeat = CDayInfo::Once;
  changer->ApplyDayNoteWallpaper(&note, now);  // no picture: asked again at the next daily run
  EXPECT_TRUE(desktop.calls.empty());
  EXPECT_FALSE(changer->dayNotePictureDate().isValid());

  note.wallpaper = pictures + "/b.jpg";
  changer->ApplyDayNoteWallpaper(&note, now);
  changer->ApplyDayNoteWallpaper(&note, now + COleDateTimeSpan::fromMinutes(5));
  EXPECT_EQ(desktop.calls.size(), 1u);
  EXPECT_FALSE(changer->blockedOn(now));
  // The changer's own settings ("ID", "LastChanged") are not touched by a note's picture.
  EXPECT_EQ(settings.position, 0);
  EXPECT_EQ(settings.last_changed, COleDateTime(2026, 5, 1, 7, 30, 0));
}

TEST_F(ChangerTest, ReminderPictureIgnoresTheEnabledSettingAndKeepsItsOwnOrigin) {
  AddThreePictures();
  settings.enabled = 0;
  settings.style = 0;
  changer->SetReminderWallpaper(pictures + "/b.jpg");
  ASSERT_EQ(desktop.calls.size(), 1u);
  EXPECT_EQ(desktop.calls[0], (RecordingDesktopWallpaper::Call{composed(), 0}));
  EXPECT_EQ(compositor->appliedRequest().origin, kWallpaperOriginReminder);
  EXPECT_EQ(compositor->appliedRequest().enabled, 1);
  // Only a changer request records when it was applied.
  EXPECT_EQ(compositor->appliedRequest().last_changed, COleDateTime(2026, 5, 1, 7, 30, 0));

  CWallpaperContext changerRequest = compositor->appliedRequest();
  changerRequest.origin = kWallpaperOriginChanger;
  changer->ApplyWallpaper(changerRequest);
  EXPECT_EQ(changerRequest.last_changed, now);
  EXPECT_EQ(desktop.calls.size(), 2u);

  CWallpaperContext off = changerRequest;
  off.enabled = 0;
  changer->ApplyWallpaper(off);
  CWallpaperContext empty = changerRequest;
  empty.picture.clear();
  changer->ApplyWallpaper(empty);
  EXPECT_EQ(desktop.calls.size(), 2u);

  // The desktop's refusal is kept, not shown.
  desktop.succeed = false;
  changer->ApplyWallpaper(changerRequest);
  EXPECT_EQ(changer->lastDesktopError(), "refused");
}

TEST_F(ChangerTest, StickerChangesAreAppliedOrReplacedByAForcedChange) {
  AddThreePictures();
  CWPStickerContext definition;
  definition.name = "Note";
  std::vector<CWPStickerContext> definitions{definition};
  CAlarmLine reminder(now, 60);
  reminder.time = now;
  reminder.text = "Call";
  reminder.sticker = "Note";

  // Nothing composed yet: the sticker brings a forced change.
  changer->UpdateReminderSticker(reminder, definitions, now);
  ASSERT_EQ(desktop.calls.size(), 1u);
  EXPECT_EQ(settings.position, 1);
  EXPECT_EQ(placed.size(), 1u);

  // Once composed, a sticker change recomposes the same picture and applies it.
  reminder.state = ReminderState::Inactive;
  changer->UpdateReminderSticker(reminder, definitions, now);
  EXPECT_EQ(desktop.calls.size(), 2u);
  EXPECT_EQ(settings.position, 1);
  EXPECT_TRUE(placed.empty());
  changer->UpdateReminderSticker(reminder, definitions, now);
  changer->UpdateDayNoteStickers(nullptr, definitions, now);
  EXPECT_EQ(desktop.calls.size(), 2u);
}

TEST(WallpaperFileList, FoldersExtensionsOrderAndDuplicates) {
  test::TemporaryFolder root;
  const std::string a = root.file("A");
  const std::string b = root.file("B");
  std::filesystem::create_directories(a + "/h.bmp");  // a folder, not a picture
  std::filesystem::create_directories(b);
  for (const char* name : {"b.JPG", "a.png", "c.tiff", "d.tif", "e.jpeg", "f.bmp", "g.txt", "noextension"}) {
    test::WriteText(a + "/" + name, "x");
  }
  test::WriteText(b + "/z.bmp", "x");

  const std::vector<std::string> inA{a + "/f.bmp", a + "/b.JPG",  a + "/e.jpeg",
                                     a + "/d.tif", a + "/c.tiff", a + "/a.png"};
  std::vector<std::string> expected = inA;
  expected.push_back(b + "/z.bmp");
  expected.insert(expected.end(), inA.begin(), inA.end());
  EXPECT_EQ(WallpaperFileList(a + "*" + b + "/*" + a + "*"), expected);

  // The list ends at the first empty folder.
  EXPECT_EQ(WallpaperFileList(a + "**" + b + "*"), inA);
  EXPECT_TRUE(WallpaperFileList("*" + a + "*").empty());
  EXPECT_TRUE(WallpaperFileList("").empty());
  EXPECT_TRUE(WallpaperFileList(root.file("missing") + "*").empty());

  // Backslashes from settings written elsewhere separate folders.
  std::string windowsStyle = b + "\\";
  std::replace(windowsStyle.begin(), windowsStyle.end(), '/', '\\');
  EXPECT_EQ(WallpaperFileList(windowsStyle + "*"), std::vector<std::string>{b + "/z.bmp"});
}

TEST(RunTimeRandom, GivesTheRunTimeSequence) {
  RunTimeRandom random(1);
  EXPECT_EQ(random(), 41);
  EXPECT_EQ(random(), 18467);
  EXPECT_EQ(random(), 6334);
  EXPECT_EQ(random(), 26500);
  RunTimeRandom other(12345);
  for (int i = 0; i < 1000; ++i) {
    const int r = other();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, kRandomMax);
  }
}

}  // namespace
}  // namespace kalvory
