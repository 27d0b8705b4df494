#include "core/skins/definitions.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/common/error_reporter.h"
#include "core/settings/profile.h"

namespace kalvory {
namespace {

namespace fs = std::filesystem;

class DefinitionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = fs::path(::testing::TempDir()) / ("definitions_test_" + std::to_string(::getpid()) + "_" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(data_);
    fs::create_directories(data_);
  }
  void TearDown() override { fs::remove_all(data_); }

  std::string write(const fs::path& relative, const std::string& text) {
    const fs::path path = data_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  static std::string definition(const std::string& sections) { return "<xml>" + sections + "</xml>"; }

  fs::path data_;
  RecordingErrorReporter reporter_;
};

TEST_F(DefinitionsTest, NotifierReadsEveryKeyWithItsDefault) {
  const auto path = write("Notifiers/full.xml", definition(R"(
      <Text><NormalTextColor>#102030</NormalTextColor><SelectedTextColor>COLOR_HIGHLIGHT</SelectedTextColor>
        <FontName>Verdana</FontName><FontSize>14</FontSize><Bold>1</Bold><Italic>1</Italic><Underline>1</Underline>
        <Left>1</Left><Top>2</Top><Right>3</Right><Bottom>4</Bottom></Text>
      <general><TransparentColor>#00FF00</TransparentColor><Skin>pics\popup.bmp</Skin>
        <Transparency>150</Transparency><SelectedTransparency>180</SelectedTransparency><Name>Full</Name></general>
      <CloseBox><Left>5</Left><Top>6</Top><Right>7</Right><Bottom>8</Bottom></CloseBox>)"));
  const CTBNotifierContext full = ReadNotifier(path, "Full", &reporter_);
  EXPECT_TRUE(reporter_.entries.empty());
  EXPECT_EQ(full.path, path);
  EXPECT_EQ(full.name, "Full");
  EXPECT_TRUE(full.isDefault);
  EXPECT_EQ(full.normalTextColor, makeColorRef(0x10, 0x20, 0x30));
  EXPECT_EQ(full.selectedTextColor, systemColor(13));
  EXPECT_EQ(full.fontName, "Verdana");
  EXPECT_EQ(full.fontSize, 14);
  EXPECT_EQ(full.normalTextStyle, 7);  // bold, italic and underline
  EXPECT_EQ(full.selectedTextStyle, 7);
  EXPECT_EQ(full.textRect, (DefinitionRect{1, 2, 3, 4}));
  EXPECT_EQ(full.transparentColor, makeColorRef(0, 255, 0));
  EXPECT_EQ(full.skin, "pics\\popup.bmp");
  EXPECT_EQ(full.skinPath, (data_ / "Notifiers").string() + "/pics/popup.bmp");
  EXPECT_EQ(full.transparency, 150);
  EXPECT_EQ(full.selectedTransparency, 180);
  EXPECT_EQ(full.closeBox, (DefinitionRect{5, 6, 7, 8}));

  // No "Name": an empty name, which only an empty default would match.
  const auto bare = write("Notifiers/bare.xml", definition("<Text><Bold>1</Bold><Italic>2</Italic></Text>"));
  const CTBNotifierContext defaults = ReadNotifier(bare, "n/a", &reporter_);
  EXPECT_EQ(defaults.name, "");
  EXPECT_FALSE(defaults.isDefault);
  EXPECT_TRUE(ReadNotifier(bare, "", &reporter_).isDefault);
  EXPECT_FALSE(ReadNotifier(path, "full", &reporter_).isDefault);  // the name is compared with case
  EXPECT_EQ(defaults.normalTextStyle, 3);
  EXPECT_EQ(defaults.normalTextColor, 0u);
  EXPECT_EQ(defaults.selectedTextColor, makeColorRef(0, 0, 64));
  EXPECT_EQ(defaults.fontName, "Arial");
  EXPECT_EQ(defaults.fontSize, 12);
  EXPECT_EQ(defaults.textRect, (DefinitionRect{20, 20, 200, 120}));
  EXPECT_EQ(defaults.transparentColor, makeColorRef(255, 0, 255));
  EXPECT_EQ(defaults.skinPath, (data_ / "Notifiers").string() + "/");
  EXPECT_EQ(defaults.transparency, 200);
  EXPECT_EQ(defaults.selectedTransparency, 255);
  EXPECT_EQ(defaults.closeBox, (DefinitionRect{0, 0, 0, 0}));
}

TEST_F(DefinitionsTest, StickerPlacementComesFromTheAlignTexts) {
  const auto left = write("Stickers/left.xml", definition(R"(
      <General><Name>Low</Name><Skin>s.bmp</Skin></General>
      <Align><XAlign>left</XAlign><YAlign>Bottom</YAlign><XShift>7</XShift></Align>)"));
  const CWPStickerContext lower = ReadSticker(left, "Low", &reporter_);
  EXPECT_EQ(lower.placement, kPlaceHorizontalCentre | kPlaceBottom);  // "left" is not "Left"
  EXPECT_EQ(lower.xShift, 7);
  EXPECT_EQ(lower.yShift, 100);
  EXPECT_TRUE(lower.isDefault);
  EXPECT_EQ(lower.skinPath, (data_ / "Stickers" / "s.bmp").string());

  const auto bare = write("Stickers/bare.xml", definition("<General/>"));
  const CWPStickerContext defaults = ReadSticker(bare, "n/a", &reporter_);
  EXPECT_EQ(defaults.xAlign, "Right");
  EXPECT_EQ(defaults.yAlign, "Top");
  EXPECT_EQ(defaults.placement, kPlaceRight | kPlaceTop);
  EXPECT_EQ(defaults.transparency, 200);
  EXPECT_EQ(defaults.fontSize, 12);
  EXPECT_EQ(defaults.textRect, (DefinitionRect{20, 20, 200, 120}));
  EXPECT_EQ(defaults.transparentColor, makeColorRef(255, 0, 255));

  EXPECT_EQ(placementFromAlign("Left", "Top"), kPlaceLeft | kPlaceTop);
  EXPECT_EQ(placementFromAlign("Centre", "Middle"), kPlaceHorizontalCentre | kPlaceVerticalCentre);
  // A new record, before any file is read.
  const CWPStickerContext fresh;
  EXPECT_EQ(fresh.transparency, 100);
  EXPECT_EQ(fresh.xShift, 100);
  EXPECT_EQ(fresh.placement, 0);
}

TEST_F(DefinitionsTest, AtMostTenNotifiersAndStickersAreRead) {
  for (int i = 0; i < 12; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Notifiers/n%02d.xml", i);
    write(name, definition("<General><Name>N" + std::to_string(i) + "</Name></General>"));
  }
  write("Notifiers/readme.txt", "not a definition");
  write("Notifiers/UPPER.XML", definition("<General><Name>Upper</Name></General>"));
  fs::create_directories(data_ / "Notifiers" / "folder.xml");
  const auto notifiers = LoadNotifiers(data_.string(), "N3", &reporter_);
  ASSERT_EQ(notifiers.size(), 10u);
  EXPECT_EQ(notifiers.front().name, "Upper");  // sorted by file name: capitals first
  EXPECT_EQ(notifiers.back().name, "N8");
  int defaults = 0;
  for (const auto& notifier : notifiers) defaults += notifier.isDefault ? 1 : 0;
  EXPECT_EQ(defaults, 1);
  EXPECT_TRUE(notifiers[4].isDefault);

  EXPECT_TRUE(LoadStickers(data_.string(), "n/a", &reporter_).empty());  // no folder, no stickers
  EXPECT_TRUE(reporter_.entries.empty());
}

TEST_F(DefinitionsTest, ABrokenFileGivesTheMessageAndAllDefaults) {
  const auto broken = write("Stickers/broken.xml", "<xml><General><Name>Half</General>");
  write("Stickers/good.xml", definition("<General><Name>Good</Name></General>"));
  const auto stickers = LoadStickers(data_.string(), "n/a", &reporter_);
  ASSERT_EQ(stickers.size(), 2u);
  EXPECT_EQ(stickers[0].path, broken);
  EXPECT_EQ(stickers[0].name, "");
  EXPECT_EQ(stickers[0].transparency, 200);
  EXPECT_EQ(stickers[0].placement, kPlaceRight | kPlaceTop);
  EXPECT_EQ(stickers[1].name, "Good");
  ASSERT_EQ(reporter_.entries.size(), 1u);
  EXPECT_EQ(reporter_.entries[0].message,
            "Unable to load file:  " + broken + "\n\nPlease verify that the file exists.");

  // Reading a file that is gone reports the same and creates nothing.
  const std::string gone = (data_ / "Stickers" / "gone.xml").string();
  EXPECT_EQ(ReadSticker(gone, "", &reporter_).name, "");
  EXPECT_EQ(reporter_.entries.size(), 2u);
  EXPECT_FALSE(fs::exists(gone));
}

TEST_F(DefinitionsTest, SkinListReadsClockValuesAndMarksTheCurrentSkin) {
  write("Skins/plain.xml", definition(R"(
      <General><Name>Plain</Name><Author>Me</Author></General>
      <AnalogClock><HandsColor>#112233</HandsColor><SecondSize>70</SecondSize></AnalogClock>)"));
  write("Skins/Second.xml", definition(R"(
      <AnalogClock><Skin>Skins/face.bmp</Skin><MinuteHandColor>#445566</MinuteHandColor><IsDatePresent>1</IsDatePresent></AnalogClock>)"));
  write("Skins/broken.xml", "<xml>");

  const std::string current = (data_ / "skins" / "PLAIN.xml").string();  // the case differs
  const CSkinContextList skins = ListSkins(data_.string(), current, &reporter_);
  ASSERT_EQ(skins.size(), 3u);
  EXPECT_EQ(reporter_.entries.size(), 1u);
  const CSkinContext& second = skins[0];
  const CSkinContext& broken = skins[1];
  const CSkinContext& plain = skins[2];
  EXPECT_EQ(second.fileName, "Second.xml");
  EXPECT_EQ(second.name, "n/a");
  EXPECT_EQ(second.analogClock.skin, "Skins/face.bmp");
  EXPECT_EQ(second.analogClock.handsColor, makeColorRef(160, 160, 160));
  EXPECT_EQ(second.analogClock.minuteHandColor, makeColorRef(0x44, 0x55, 0x66));
  EXPECT_EQ(second.analogClock.isDatePresent, 1);
  EXPECT_FALSE(second.isCurrent);

  EXPECT_EQ(broken.name, "n/a");
  EXPECT_EQ(broken.version, "n/a");
  EXPECT_EQ(broken.analogClock.skin, "n/a");

  EXPECT_TRUE(plain.isCurrent);
  EXPECT_EQ(plain.name, "Plain");
  EXPECT_EQ(plain.author, "Me");
  EXPECT_EQ(plain.description, "n/a");
  // Without "MinuteHandColor" and "SecondHandsColor" both hands take "HandsColor".
  EXPECT_EQ(plain.analogClock.minuteHandColor, makeColorRef(0x11, 0x22, 0x33));
  EXPECT_EQ(plain.analogClock.secondHandsColor, makeColorRef(0x11, 0x22, 0x33));
  EXPECT_EQ(plain.analogClock.secondSize, 70);
  EXPECT_EQ(plain.analogClock.minuteSize, 57);
  EXPECT_EQ(plain.analogClock.hourSize, 37);
  EXPECT_EQ(plain.analogClock.dateX, 76);
  EXPECT_EQ(plain.analogClock.dateY, 100);
  EXPECT_EQ(plain.analogClock.handType, 1);
  EXPECT_EQ(plain.analogClock.is3DHands, 1);
  EXPECT_EQ(plain.analogClock.isSecondPresent, 1);

  // A relative "SkinPath" is taken against the working folder.
  EXPECT_TRUE(ListSkins(data_.string(), "Skins/second.XML", &reporter_)[0].isCurrent);
  EXPECT_EQ(skinFileForSetting(data_.string(), "plain.xml"), (data_ / "Skins" / "plain.xml").string());
  EXPECT_EQ(picturePath("/data", "Skins\\face.bmp"), "/data/Skins/face.bmp");
  EXPECT_EQ(picturePath("/data", "/abs/face.bmp"), "/abs/face.bmp");
  EXPECT_EQ(picturePath("/data", ""), "");
}

TEST_F(DefinitionsTest, SkinColoursFallBackToSystemColoursAndEachOther) {
  const auto path = write("Skins/colours.xml", definition(R"(
      <Calendar><clDaysColor>#0000FF</clDaysColor><clNextEvent>#FF0000</clNextEvent></Calendar>
      <UI><CaptionLogo>Skins/logo.bmp</CaptionLogo></UI>)"));
  CProfile profile(&reporter_);
  profile.SetSaveOnClose(false);
  ASSERT_TRUE(profile.Load(path));
  const UiSkin ui = ReadUiSkin(profile);
  EXPECT_EQ(ui.captionColor, makeColorRef(128, 128, 128));
  EXPECT_EQ(ui.captionLogo, "Skins/logo.bmp");
  EXPECT_EQ(ui.darkBackground1, systemColor(15));
  const CalendarSkin calendar = ReadCalendarSkin(profile);
  EXPECT_EQ(calendar.clNextDayEvent, makeColorRef(0, 0, 255));
  EXPECT_EQ(calendar.clNextDayEventIndicatorBirthday, makeColorRef(0, 0, 255));
  EXPECT_EQ(calendar.clNextEvent, makeColorRef(255, 0, 0));
  EXPECT_EQ(calendar.clAnniversary, makeColorRef(0, 128, 0));
  EXPECT_EQ(calendar.clFree, 7887580u);
  EXPECT_EQ(calendar.clFreeDimmed, 7887510u);
  EXPECT_EQ(calendar.clAnniversaryDimmed, 5275728u);
  EXPECT_EQ(calendar.clText, systemColor(8));
  EXPECT_EQ(calendar.clNotesFrame, systemColor(13));
  EXPECT_EQ(calendar.clButtonShadow, systemColor(16));
  EXPECT_EQ(calendar.clButtonHighlight, systemColor(20));
  const ListsSkin lists = ReadListsSkin(profile);
  EXPECT_EQ(lists.listBackground, systemColor(5));
  EXPECT_EQ(lists.textHighlightColor, systemColor(14));
}

TEST_F(DefinitionsTest, BundledDefinitionsReadCleanly) {
  const std::string bundle = std::string(KALVORY_SOURCE_DIR) + "/res";
  const auto notifiers = LoadNotifiers(bundle, "Classic", &reporter_);
  const auto stickers = LoadStickers(bundle, "Note", &reporter_);
  const auto skins = ListSkins(bundle, "Skins/skin.xml", &reporter_);
  EXPECT_TRUE(reporter_.entries.empty());
  ASSERT_GE(notifiers.size(), 2u);
  ASSERT_GE(stickers.size(), 2u);
  ASSERT_GE(skins.size(), 2u);
  for (const auto& notifier : notifiers) {
    EXPECT_FALSE(notifier.name.empty());
    EXPECT_TRUE(fs::is_regular_file(notifier.skinPath)) << notifier.skinPath;
  }
  for (const auto& sticker : stickers) EXPECT_TRUE(fs::is_regular_file(sticker.skinPath)) << sticker.skinPath;
  int current = 0;
  for (const auto& skin : skins) {
    current += skin.isCurrent ? 1 : 0;
    EXPECT_NE(skin.name, "n/a");
    EXPECT_TRUE(fs::is_regular_file(picturePath(bundle, skin.analogClock.skin))) << skin.analogClock.skin;
  }
  EXPECT_EQ(current, 1);
}

// The clock faces are read as 24-bit bitmap files, 164 x 164, with magenta cut away outside the dial.
TEST_F(DefinitionsTest, BundledClockFacesAreMagentaOutsideTheDial) {
  const std::string bundle = std::string(KALVORY_SOURCE_DIR) + "/res";
  const auto skins = ListSkins(bundle, "", &reporter_);
  ASSERT_GE(skins.size(), 2u);
  for (const auto& skin : skins) {
    std::ifstream in(picturePath(bundle, skin.analogClock.skin), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GE(bytes.size(), 54u) << skin.fileName;
    const auto u16 = [&](std::size_t at) {
      return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
             static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(u32(18), 164u);  // width
    EXPECT_EQ(u32(22), 164u);  // height, rows stored bottom-up
    EXPECT_EQ(u16(28), 24u);   // bits per pixel
    EXPECT_EQ(u32(30), 0u);    // not compressed
    const std::size_t rowSize = (164 * 3 + 3) / 4 * 4;
    ASSERT_EQ(bytes.size(), u32(10) + rowSize * 164);
    const auto pixel = [&](std::size_t x, std::size_t y) {  // y counted from the top
      const std::size_t at = u32(10) + (163 - y) * rowSize + x * 3;
      return makeColorRef(static_cast<std::uint8_t>(bytes[at + 2]), static_cast<std::uint8_t>(bytes[at + 1]),
                          static_cast<std::uint8_t>(bytes[at]));
    };
    const ColorRef magenta = makeColorRef(255, 0, 255);
    for (const auto& [x, y] : {std::pair{0, 0}, {163, 0}, {0, 163}, {163, 163}, {20, 20}}) {
      EXPECT_EQ(pixel(x, y), magenta) << skin.fileName << " at " << x << "," << y;
    }
    EXPECT_NE(pixel(82, 82), magenta) << skin.fileName;
    EXPECT_NE(pixel(82, 40), magenta) << skin.fileName;
  }
}

}  // namespace
}  // namespace kalvory
