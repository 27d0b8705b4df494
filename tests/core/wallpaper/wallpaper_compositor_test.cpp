#include "core/wallpaper/wallpaper_compositor.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/model/alarm_line.h"
#include "core/model/day_info.h"
#include "core/wallpaper/picture_file.h"
#include "support/result_assertions.h"
#include "wallpaper_test_support.h"

namespace kalvory {
namespace {

using test::Colour;
using test::PixelAt;

constexpr Colour kRed{255, 0, 0};
constexpr Colour kBlue{0, 0, 255};
constexpr Colour kGreen{0, 255, 0};

// Records what it was asked to draw and marks the text rectangle's top-left pixel white, so
// the tests can see that the text went onto the sticker before it was blended.
class FakeTextRenderer final : public StickerTextRenderer {
 public:
  struct Call {
    DefinitionRect rect;
    std::string text;
    StickerTextStyle style;
  };
  void DrawStickerText(PixelSurface& surface, const DefinitionRect& rect, std::string_view text,
                       const StickerTextStyle& style) override {
    calls.push_back({rect, std::string(text), style});
    if (rect.left >= 0 && rect.top >= 0 && rect.left < surface.width && rect.top < surface.height) {
      surface.pixels[rect.top * surface.stride + rect.left] = 0xFFFFFFFFu;
    }
  }
  std::vector<Call> calls;
};

CWallpaperContext Request(const std::string& picture, int style, ColorRef background = makeColorRef(10, 20, 30)) {
  CWallpaperContext request;
  request.picture = picture;
  request.style = style;
  request.background_color = background;
  request.enabled = 1;
  request.origin = 1;
  return request;
}

TEST(WallpaperCompositor, GradientColoursAndStickerOpacity) {
  const GradientColors dark = GradientColorsFor(makeColorRef(10, 20, 30));
  EXPECT_EQ(dark.start, makeColorRef(88, 88, 88));
  EXPECT_EQ(dark.end, makeColorRef(10, 20, 30));
  EXPECT_EQ(dark.frame, makeColorRef(20, 40, 60));

  const GradientColors bright = GradientColorsFor(makeColorRef(200, 100, 16));
  EXPECT_EQ(bright.start, makeColorRef(200, 100, 16));
  EXPECT_EQ(bright.end, makeColorRef(100, 50, 8));
  EXPECT_EQ(bright.frame, makeColorRef(255, 200, 32));

  const GradientColors black = GradientColorsFor(0);
  EXPECT_EQ(black.frame, makeColorRef(128, 128, 128));
  EXPECT_EQ(black.start, makeColorRef(88, 88, 88));
  EXPECT_EQ(black.end, 0u);

  EXPECT_EQ(StickerOpacity(100), 255);
  EXPECT_EQ(StickerOpacity(200), 254);  // the definition files' default
  EXPECT_EQ(StickerOpacity(90), 229);
  EXPECT_EQ(StickerOpacity(0), 0);
}

TEST(WallpaperCompositor, LargePictureIsFittedNotCroppedEvenWhenCentred) {
  test::TemporaryFolder folder;
  const std::string picture = folder.file("wide.bmp");
  // Quadrants: red top-left, blue bottom-right, green elsewhere.
  test::WriteBmp(picture, 1920, 1080, [](int x, int y) {
    if (x < 960 && y < 540) return kRed;
    if (x >= 960 && y >= 540) return kBlue;
    return kGreen;
  });
  std::vector<CWPStickerContext> placed;
  CWallpaperCompositor compositor(1024, 768, folder.path(), placed);
  CWallpaperContext request = Request(picture, 0);
  ASSERT_TRUE(test::Succeeded(compositor.Compose(request)));

  // A = 177, S = 133: the picture is 578 rows high and sits 95 rows down.
  const CDibImage& canvas = compositor.canvas();
  const Colour frame{20, 40, 60};
  EXPECT_EQ(PixelAt(canvas, 0, 95), kRed);  // the picture's corners are all on the screen
  EXPECT_EQ(PixelAt(canvas, 1023, 672), kBlue);
  EXPECT_EQ(PixelAt(canvas, 1023, 95), kGreen);
  EXPECT_EQ(PixelAt(canvas, 512, 94), frame);  // frame lines just outside it
  EXPECT_EQ(PixelAt(canvas, 512, 93), frame);
  EXPECT_EQ(PixelAt(canvas, 512, 673), frame);
  EXPECT_EQ(PixelAt(canvas, 512, 674), frame);
  EXPECT_NE(PixelAt(canvas, 512, 92), frame);  // and bands beyond them
  EXPECT_EQ(PixelAt(canvas, 0, 0), PixelAt(canvas, 0, 767));

  // The file in the data folder is the canvas, and both requests name it.
  const std::string composed = folder.file("KalvoryCurWP.bmp");
  EXPECT_EQ(compositor.composedFilePath(), composed);
  EXPECT_EQ(request.picture, composed);
  EXPECT_EQ(compositor.appliedRequest().picture, composed);
  EXPECT_EQ(compositor.currentRequest().picture, picture);
  CDibImage written;
  ASSERT_TRUE(test::Succeeded(written.Load(composed, kImageFormatBmp)));
  EXPECT_EQ(written.GetBpp(), 24);
  EXPECT_EQ(written.Width(), 1024);
  EXPECT_EQ(written.Height(), 768);
  EXPECT_EQ(PixelAt(written, 0, 95), kRed);
  EXPECT_EQ(PixelAt(written, 512, 93), frame);
}

TEST(WallpaperCompositor, NarrowerPictureGetsSideBandsAndFrameLines) {
  test::TemporaryFolder folder;
  const std::string picture = folder.file("four-three.bmp");
  test::WriteSolidBmp(picture, 400, 300, kRed);
  std::vector<CWPStickerContext> placed;
  // 16:10. A = 133, S = 160: the picture is 266 wide with 27-column margins, 13 bands a side.
  CWallpaperCompositor compositor(320, 200, folder.path(), placed);
  CWallpaperContext request = Request(picture, 2, makeColorRef(10, 20, 30));
  ASSERT_TRUE(test::Succeeded(compositor.Compose(request)));
  const CDibImage& canvas = compositor.canvas();

  const Colour frame{20, 40, 60};
  for (int y : {0, 100, 199}) {
    EXPECT_EQ(PixelAt(canvas, 25, y), frame);
    EXPECT_EQ(PixelAt(canvas, 26, y), frame);
    EXPECT_EQ(PixelAt(canvas, 27, y), kRed);
    EXPECT_EQ(PixelAt(canvas, 292, y), kRed);
    EXPECT_EQ(PixelAt(canvas, 293, y), frame);
    EXPECT_EQ(PixelAt(canvas, 294, y), frame);
  }
  // From grey 88 down by (6, 5, 4) a band: the outermost band, the second, the last one.
  EXPECT_EQ(PixelAt(canvas, 0, 50), (Colour{82, 83, 84}));
  EXPECT_EQ(PixelAt(canvas, 1, 50), (Colour{82, 83, 84}));
  EXPECT_EQ(PixelAt(canvas, 2, 50), (Colour{76, 78, 80}));
  EXPECT_EQ(PixelAt(canvas, 24, 50), (Colour{10, 23, 36}));
  // The right side mirrors the left.
  EXPECT_EQ(PixelAt(canvas, 319, 50), (Colour{82, 83, 84}));
  EXPECT_EQ(PixelAt(canvas, 317, 50), (Colour{76, 78, 80}));
  EXPECT_EQ(PixelAt(canvas, 295, 50), (Colour{10, 23, 36}));
}

TEST(WallpaperCompositor, WiderPictureGetsBandsAboveAndBelow) {
  test::TemporaryFolder folder;
  const std::string picture = folder.file("wide.bmp");
  test::WriteSolidBmp(picture, 300, 100, kBlue);
  std::vector<CWPStickerContext> placed;
  // A = 300, S = 150: 100 rows high, 50-row margins.
  CWallpaperCompositor compositor(300, 200, folder.path(), placed);
  CWallpaperContext request = Request(picture, 1, makeColorRef(200, 100, 16));
  ASSERT_TRUE(test::Succeeded(compositor.Compose(request)));
  const CDibImage& canvas = compositor.canvas();
  const Colour frame{255, 200, 32};
  EXPECT_EQ(PixelAt(canvas, 150, 48), frame);
  EXPECT_EQ(PixelAt(canvas, 150, 49), frame);
  EXPECT_EQ(PixelAt(canvas, 150, 50), kBlue);
  EXPECT_EQ(PixelAt(canvas, 150, 149), kBlue);
  EXPECT_EQ(PixelAt(canvas, 150, 150), frame);
  EXPECT_EQ(PixelAt(canvas, 150, 151), frame);
  // 25 bands fading (200, 100, 16) to (100, 50, 8): steps 4, 2 and 1 (the least step).
  EXPECT_EQ(PixelAt(canvas, 0, 0), (Colour{196, 98, 15}));
  EXPECT_EQ(PixelAt(canvas, 299, 199), (Colour{196, 98, 15}));
  EXPECT_EQ(PixelAt(canvas, 7, 2), (Colour{192, 96, 14}));
}

TEST(WallpaperCompositor, CentredPictureGetsRectangleBandsAndAFrame) {
  test::TemporaryFolder folder;
  const std::string picture = folder.file("small.bmp");
  test::WriteSolidBmp(picture, 100, 40, kGreen);
  std::vector<CWPStickerContext> placed;
  CWallpaperCompositor compositor(200, 100, folder.path(), placed);
  CWallpaperContext request = Request(picture, 0, makeColorRef(10, 20, 30));
  ASSERT_TRUE(test::Succeeded(compositor.Compose(request)));
  const CDibImage& canvas = compositor.canvas();
  // x = 50, y = 30: a 2-pixel frame, then 25 rectangles fading from grey 88.
  const Colour frame{20, 40, 60};
  EXPECT_EQ(PixelAt(canvas, 50, 30), kGreen);
  EXPECT_EQ(PixelAt(canvas, 149, 69), kGreen);
  EXPECT_EQ(PixelAt(canvas, 48, 28), frame);
  EXPECT_EQ(PixelAt(canvas, 49, 50), frame);
  EXPECT_EQ(PixelAt(canvas, 151, 71), frame);
  EXPECT_EQ(PixelAt(canvas, 100, 28), frame);
  // Steps: red (78 × 10 / 25) / 10 = 3, green 2, blue 2.
  EXPECT_EQ(PixelAt(canvas, 0, 0), (Colour{85, 86, 86}));
  EXPECT_EQ(PixelAt(canvas, 199, 99), (Colour{85, 86, 86}));
  EXPECT_EQ(PixelAt(canvas, 100, 0), (Colour{85, 86, 86}));
  EXPECT_EQ(PixelAt(canvas, 2, 50), (Colour{82, 84, 84}));
  EXPECT_EQ(PixelAt(canvas, 100, 3), (Colour{82, 84, 84}));
}

TEST(WallpaperCompositor, MarginsNarrowerThanTwoPixelsGetOnlyTheFrame) {
  test::TemporaryFolder folder;
  const std::string picture = folder.file("square.bmp");
  test::WriteSolidBmp(picture, 100, 100, kRed);
  std::vector<CWPStickerContext> placed;
  // A = 100, S = 102: margins of one column.
  CWallpaperCompositor compositor(102, 100, folder.path(), placed);
  CWallpaperContext request = Request(picture, 2, makeColorRef(10, 20, 30));
  ASSERT_TRUE(test::Succeeded(compositor.Compose(request)));
  EXPECT_EQ(PixelAt(compositor.canvas(), 0, 10), (Colour{20, 40, 60}));
  EXPECT_EQ(PixelAt(compositor.canvas(), 1, 10), kRed);
  EXPECT_EQ(PixelAt(compositor.canvas(), 100, 10), kRed);
  EXPECT_EQ(PixelAt(compositor.canvas(), 101, 10), (Colour{20, 40, 60}));
}

TEST(WallpaperCompositor, PatternFillTilesThePatternAndFramesThePicture) {
  test::TemporaryFolder folder;
  const std::string picture = folder.file("small.bmp");
  test::WriteSolidBmp(picture, 20, 10, kRed);
  const std::string patternFile = folder.file("pattern.bmp");
  test::WriteBmp(patternFile, 3, 2, [](int x, int y) { return Colour{x * 50, y * 100, 7}; });
  std::vector<CWPStickerContext> placed;
  CWallpaperCompositor compositor(60, 30, folder.path(), placed);
  CWallpaperContext request = Request(picture, 0, makeColorRef(1, 2, 3));
  request.background_style = 1;
  request.pattern = patternFile;
  ASSERT_TRUE(test::Succeeded(compositor.Compose(request)));
  const CDibImage& canvas = compositor.canvas();
  EXPECT_EQ(PixelAt(canvas, 0, 0), (Colour{0, 0, 7}));
  EXPECT_EQ(PixelAt(canvas, 4, 1), (Colour{50, 100, 7}));
  EXPECT_EQ(PixelAt(canvas, 59, 29), (Colour{100, 100, 7}));
  // The picture at (20, 10) in a 2-pixel frame of the background colour.
  EXPECT_EQ(PixelAt(canvas, 20, 10), kRed);
  EXPECT_EQ(PixelAt(canvas, 18, 8), (Colour{1, 2, 3}));
  EXPECT_EQ(PixelAt(canvas, 41, 21), (Colour{1, 2, 3}));
  EXPECT_EQ(PixelAt(canvas, 17, 8), (Colour{100, 0, 7}));

  // A fitted picture's frame reaches the canvas edge on the sides without a margin.
  // (A request's picture is the composed file once composed, so each composition gets a new one.)
  CWallpaperContext stretched = Request(picture, 2, makeColorRef(1, 2, 3));
  stretched.background_style = 1;
  stretched.pattern = patternFile;
  ASSERT_TRUE(test::Succeeded(compositor.Compose(stretched)));
  // A = 200, S = 200: no margin at all, no pattern.
  EXPECT_EQ(PixelAt(canvas, 0, 0), kRed);
  test::WriteSolidBmp(picture, 10, 10, kRed);
  stretched.picture = picture;
  ASSERT_TRUE(test::Succeeded(compositor.Compose(stretched)));  // 30 wide, margins of 15
  EXPECT_EQ(PixelAt(canvas, 13, 0), (Colour{1, 2, 3}));
  EXPECT_EQ(PixelAt(canvas, 13, 29), (Colour{1, 2, 3}));
  EXPECT_EQ(PixelAt(canvas, 12, 0), (Colour{0, 0, 7}));
  EXPECT_EQ(PixelAt(canvas, 46, 15), (Colour{1, 2, 3}));

  // A missing pattern file falls back to the built-in pattern.
  CWallpaperContext builtIn = Request(picture, 0, makeColorRef(1, 2, 3));
  builtIn.background_style = 1;
  builtIn.pattern = folder.file("no-such-pattern.bmp");
  ASSERT_TRUE(test::Succeeded(compositor.Compose(builtIn)));
  const CDibImage pattern = BuiltInWallpaperPattern();
  ASSERT_TRUE(pattern.IsValid());
  EXPECT_EQ(PixelAt(canvas, 0, 0), PixelAt(pattern, 0, 0));
  EXPECT_EQ(PixelAt(canvas, 5 + pattern.Width(), 3), PixelAt(pattern, 5, 3));
}

TEST(WallpaperCompositor, PictureIsChosenByItsLowerCasedExtension) {
  test::TemporaryFolder folder;
  const std::string jpeg = folder.file("Photo.JPG");
  test::WriteJpeg(jpeg, 40, 30, Colour{200, 40, 90});
  std::vector<CWPStickerContext> placed;
  CWallpaperCompositor compositor(40, 30, folder.path(), placed);
  CWallpaperContext request = Request(jpeg, 2);
  ASSERT_TRUE(test::Succeeded(compositor.Compose(request)));
  EXPECT_TRUE(test::Near(PixelAt(compositor.canvas(), 20, 15), Colour{200, 40, 90}, 4));

  EXPECT_EQ(PictureFormatFromPath("a.Jpeg"), kImageFormatJpeg);
  EXPECT_EQ(PictureFormatFromPath("a.TIF"), kImageFormatTiff);
  EXPECT_EQ(PictureFormatFromPath("a.ico"), kImageFormatIco);
  EXPECT_EQ(PictureFormatFromPath("a.gif"), kImageFormatGif);
  EXPECT_EQ(PictureFormatFromPath("a.png"), kImageFormatPng);
  EXPECT_EQ(PictureFormatFromPath("noextension"), -1);
  EXPECT_EQ(PictureFormatFromPath("a.webp"), -1);
}

TEST(WallpaperCompositor, FailedCompositionLeavesTheFileAndTheAppliedRequestAlone) {
  test::TemporaryFolder folder;
  const std::string good = folder.file("good.bmp");
  test::WriteSolidBmp(good, 8, 8, kRed);
  std::vector<CWPStickerContext> placed;
  CWallpaperCompositor compositor(16, 16, folder.path(), placed);
  EXPECT_FALSE(compositor.Compose().ok());  // nothing to compose again yet
  CWallpaperContext request = Request(good, 2);
  ASSERT_TRUE(test::Succeeded(compositor.Compose(request)));
  const std::vector<char> before = test::ReadBytes(compositor.composedFilePath());

  const std::string broken = folder.file("broken.jpg");
  test::WriteText(broken, "not a picture at all");
  const std::string unknown = folder.file("picture.xyz");
  test::WriteSolidBmp(unknown, 8, 8, kBlue);
  for (const std::string& path : {broken, unknown, folder.file("missing.bmp"), std::string()}) {
    CWallpaperContext failing = Request(path, 2);
    EXPECT_FALSE(compositor.Compose(failing).error().empty()) << path;
    EXPECT_EQ(failing.picture, path);
    EXPECT_EQ(compositor.currentRequest().picture, path);
    EXPECT_EQ(compositor.appliedRequest().picture, compositor.composedFilePath());
    EXPECT_EQ(test::ReadBytes(compositor.composedFilePath()), before);
  }

  // A data folder that cannot be written is a failure too, not a silent success.
  CWallpaperCompositor nowhere(16, 16, folder.file("no/such/folder"), placed);
  CWallpaperContext again = Request(good, 2);
  EXPECT_FALSE(nowhere.Compose(again).ok());
  EXPECT_EQ(again.picture, good);
}

CWPStickerContext StickerDefinition(const std::string& name, const std::string& picture) {
  CWPStickerContext sticker;
  sticker.name = name;
  sticker.skinPath = picture;
  sticker.transparency = 100;
  sticker.transparentColor = makeColorRef(255, 0, 255);
  sticker.xShift = 10;
  sticker.yShift = 5;
  sticker.placement = kPlaceRight | kPlaceTop;
  sticker.textRect = {1, 1, 7, 4};
  sticker.fontName = "Arial";
  sticker.fontSize = 120;
  sticker.textStyle = kTextStyleBold | kTextStyleUnderline;
  sticker.normalTextColor = makeColorRef(1, 2, 3);
  return sticker;
}

TEST(WallpaperCompositor, StickersAreKeyedPlacedBlendedAndLettered) {
  test::TemporaryFolder folder;
  const std::string picture = folder.file("back.bmp");
  test::WriteSolidBmp(picture, 100, 50, Colour{0, 0, 200});
  const std::string stickerPicture = folder.file("sticker.bmp");
  // 8 × 6: the left half is the see-through magenta, the right half yellow.
  test::WriteBmp(stickerPicture, 8, 6, [](int x, int) { return x < 4 ? Colour{255, 0, 255} : Colour{255, 255, 0}; });

  std::vector<CWPStickerContext> placed;
  FakeTextRenderer text;
  CWallpaperCompositor compositor(100, 50, folder.path(), placed, &text, 120);

  CWPStickerContext opaque = StickerDefinition("Opaque", stickerPicture);
  opaque.text = std::string("Call \xC2\x80J mum\xC2\x81up\xC2\x82");
  placed.push_back(opaque);
  CWPStickerContext half = StickerDefinition("Half", stickerPicture);
  half.transparency = 50;  // opacity 127
  half.placement = kPlaceLeft | kPlaceBottom;
  half.text = "x";
  placed.push_back(half);
  CWPStickerContext centred = StickerDefinition("Centred", stickerPicture);
  centred.placement = kPlaceHorizontalCentre | kPlaceVerticalCentre;
  centred.transparency = 200;  // opacity 254
  placed.push_back(centred);
  CWPStickerContext missing = StickerDefinition("Missing", folder.file("gone.bmp"));
  missing.text = "skipped";
  placed.push_back(missing);

  CWallpaperContext request = Request(picture, 2);
  ASSERT_TRUE(test::Succeeded(compositor.Compose(request)));
  const CDibImage& canvas = compositor.canvas();

  // Right/top: x = 100 - 10 - 8 = 82, y = 5. See-through half shows the wallpaper.
  EXPECT_EQ(PixelAt(canvas, 82, 5), (Colour{0, 0, 200}));
  EXPECT_EQ(PixelAt(canvas, 86, 5), (Colour{255, 255, 0}));
  EXPECT_EQ(PixelAt(canvas, 89, 10), (Colour{255, 255, 0}));
  EXPECT_EQ(PixelAt(canvas, 90, 5), (Colour{0, 0, 200}));
  EXPECT_EQ(PixelAt(canvas, 83, 6), (Colour{255, 255, 255}));  // the text mark at (1, 1), drawn before blending
  // Left/bottom: x = 10, y = 50 - 5 - 6 = 39, blended at 127 of 255.
  EXPECT_EQ(PixelAt(canvas, 14, 39), (Colour{127, 127, 100}));
  EXPECT_EQ(PixelAt(canvas, 10, 39), (Colour{0, 0, 200}));
  // Centred: x = 46, y = 22, at 254 of 255.
  EXPECT_EQ(PixelAt(canvas, 50, 22), (Colour{254, 254, 1}));

  // The text went out without its marks, in the definition's font at the screen's resolution.
  ASSERT_EQ(text.calls.size(), 2u);  // the centred sticker has no text, the missing one no picture
  EXPECT_EQ(text.calls[0].text, "Call  mumup");
  EXPECT_EQ(text.calls[0].rect, (DefinitionRect{1, 1, 7, 4}));
  EXPECT_EQ(text.calls[0].style.pixelHeight, 120 * 120 / 720);
  EXPECT_EQ(text.calls[0].style.weight, 700);
  EXPECT_FALSE(text.calls[0].style.italic);
  EXPECT_TRUE(text.calls[0].style.underline);
  EXPECT_EQ(text.calls[0].style.fontName, "Arial");
  EXPECT_EQ(text.calls[0].style.color, makeColorRef(1, 2, 3));

  // A sticker partly off the screen is clipped on both sides.
  placed.clear();
  CWPStickerContext offScreen = StickerDefinition("Off", stickerPicture);
  offScreen.placement = kPlaceLeft | kPlaceTop;
  offScreen.xShift = 94;
  offScreen.yShift = -3;
  placed.push_back(offScreen);
  ASSERT_TRUE(test::Succeeded(compositor.Compose()));
  EXPECT_EQ(PixelAt(canvas, 99, 0), (Colour{255, 255, 0}));
  EXPECT_EQ(PixelAt(canvas, 98, 2), (Colour{255, 255, 0}));
  EXPECT_EQ(PixelAt(canvas, 99, 3), (Colour{0, 0, 200}));
  EXPECT_EQ(PixelAt(canvas, 97, 0), (Colour{0, 0, 200}));
}

CAlarmLine DueReminder(const COleDateTime& now, const std::string& text, const std::string& sticker) {
  CAlarmLine reminder(now, 60);
  reminder.time = now;
  reminder.text = text;
  reminder.sticker = sticker;
  return reminder;
}

TEST(WallpaperCompositor, ReminderStickersArePlacedSharedAndRemoved) {
  test::TemporaryFolder folder;
  const std::string picture = folder.file("back.bmp");
  test::WriteSolidBmp(picture, 10, 10, kBlue);
  std::vector<CWPStickerContext> definitions{StickerDefinition("Note", folder.file("none.bmp")),
                                             StickerDefinition("Tag", folder.file("none.bmp")),
                                             StickerDefinition("Note", folder.file("none.bmp"))};
  definitions[2].xShift = 77;  // a second definition of the same name
  std::vector<CWPStickerContext> placed;
  CWallpaperCompositor compositor(10, 10, folder.path(), placed);
  const COleDateTime now(2026, 5, 12, 9, 0, 0);

  // Nothing composed yet: the change is there but cannot be shown.
  CAlarmLine first = DueReminder(now, "Dentist", "Note");
  EXPECT_EQ(compositor.UpdateReminderSticker(first, definitions, now), StickerUpdate::ComposeFailed);
  ASSERT_EQ(placed.size(), 2u);  // one copy per definition of that name
  EXPECT_EQ(placed[0].text, "Dentist");
  EXPECT_EQ(placed[0].name, "Note");
  EXPECT_EQ(placed[0].placedBy, kPlacedByReminder);
  EXPECT_EQ(placed[0].until, first.endTime(now));
  EXPECT_EQ(placed[1].xShift, 77);

  CWallpaperContext request = Request(picture, 2);
  ASSERT_TRUE(test::Succeeded(compositor.Compose(request)));

  // A second reminder with the same message and sticker shares the placed one.
  CAlarmLine second = DueReminder(now, "Dentist", "Note");
  EXPECT_EQ(compositor.UpdateReminderSticker(second, definitions, now), StickerUpdate::Unchanged);
  EXPECT_EQ(placed.size(), 2u);
  // A reminder that is not due, or names no definition, places nothing.
  CAlarmLine later = DueReminder(now + COleDateTimeSpan::fromMinutes(5), "Later", "Tag");
  EXPECT_EQ(compositor.UpdateReminderSticker(later, definitions, now), StickerUpdate::Unchanged);
  CAlarmLine unknown = DueReminder(now, "Unknown", "No such sticker");
  EXPECT_EQ(compositor.UpdateReminderSticker(unknown, definitions, now), StickerUpdate::Unchanged);
  CAlarmLine tag = DueReminder(now, "Later", "Tag");
  EXPECT_EQ(compositor.UpdateReminderSticker(tag, definitions, now), StickerUpdate::Composed);
  EXPECT_EQ(placed.size(), 3u);

  // Switching the reminder off takes its stickers away, and the change is composed.
  second.state = ReminderState::Inactive;
  EXPECT_EQ(compositor.UpdateReminderSticker(second, definitions, now), StickerUpdate::Composed);
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(placed[0].name, "Tag");

  // Past its until-time a sticker goes, whichever reminder's update sees it first.
  const COleDateTime afterwards = tag.endTime(now) + COleDateTimeSpan::fromSeconds(1);
  EXPECT_EQ(compositor.UpdateReminderSticker(unknown, definitions, afterwards), StickerUpdate::Composed);
  EXPECT_TRUE(placed.empty());
}

TEST(WallpaperCompositor, DayNoteStickersLastTheDayAndLeaveRemindersAlone) {
  test::TemporaryFolder folder;
  const std::string picture = folder.file("back.bmp");
  test::WriteSolidBmp(picture, 10, 10, kBlue);
  std::vector<CWPStickerContext> definitions{StickerDefinition("Note", folder.file("none.bmp"))};
  std::vector<CWPStickerContext> placed;
  CWallpaperCompositor compositor(10, 10, folder.path(), placed);
  CWallpaperContext request = Request(picture, 2);
  ASSERT_TRUE(test::Succeeded(compositor.Compose(request)));
  const COleDateTime now(2026, 5, 12, 9, 30, 0);

  EXPECT_EQ(compositor.UpdateDayNoteStickers(nullptr, definitions, now), StickerUpdate::Unchanged);

  CDayInfo note(COleDateTime(2026, 5, 12, 0, 0, 0));
  note.repeat = CDayInfo::Once;
  note.text = "Birthday";
  note.sticker = "Note";
  EXPECT_EQ(compositor.UpdateDayNoteStickers(&note, definitions, now), StickerUpdate::Composed);
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(placed[0].until, COleDateTime(2026, 5, 13, 0, 0, 0));
  EXPECT_EQ(placed[0].placedBy, kPlacedByDayNote);
  EXPECT_EQ(compositor.UpdateDayNoteStickers(&note, definitions, now), StickerUpdate::Unchanged);

  // A reminder's sticker beside it.
  CAlarmLine reminder = DueReminder(now, "Call", "Note");
  EXPECT_EQ(compositor.UpdateReminderSticker(reminder, definitions, now), StickerUpdate::Composed);
  ASSERT_EQ(placed.size(), 2u);

  // Today's note now names no sticker: the note's sticker goes, the reminder's stays.
  CDayInfo plain = note;
  plain.sticker.clear();
  EXPECT_EQ(compositor.UpdateDayNoteStickers(&plain, definitions, now), StickerUpdate::Composed);
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(placed[0].text, "Call");
  EXPECT_EQ(compositor.UpdateDayNoteStickers(&plain, definitions, now), StickerUpdate::Unchanged);

  // Past midnight an expired note sticker goes even when no note matches any more.
  EXPECT_EQ(compositor.UpdateDayNoteStickers(&note, definitions, now), StickerUpdate::Composed);
  const COleDateTime nextDay(2026, 5, 13, 0, 0, 1);
  EXPECT_EQ(compositor.UpdateDayNoteStickers(nullptr, definitions, nextDay), StickerUpdate::Composed);
  EXPECT_TRUE(placed.empty());  // the reminder's sticker ended with its window too
}

}  // namespace
}  // namespace kalvory
