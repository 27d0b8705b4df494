#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/common/date_time.h"
#include "core/settings/system_colors.h"

namespace kalvory {

class CProfile;
class ErrorReporter;

// Text style of notifier and sticker text: the "Bold", "Italic" and "Underline" flags combined.
inline constexpr int kTextStyleBold = 1;
inline constexpr int kTextStyleItalic = 2;
inline constexpr int kTextStyleUnderline = 4;
int textStyleFromFlags(int bold, int italic, int underline);

// Where a sticker goes on the screen, from its "XAlign" and "YAlign" texts.
inline constexpr int kPlaceTop = 1;
inline constexpr int kPlaceBottom = 2;
inline constexpr int kPlaceLeft = 4;
inline constexpr int kPlaceRight = 8;
inline constexpr int kPlaceHorizontalCentre = 16;
inline constexpr int kPlaceVerticalCentre = 32;
// "Left"/"Right" and "Top"/"Bottom", compared case-sensitively; any other text centres.
int placementFromAlign(std::string_view xAlign, std::string_view yAlign);

struct DefinitionRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const DefinitionRect&, const DefinitionRect&) = default;
};

// Taskbar notifier definition (a file of the "Notifiers" folder).
struct CTBNotifierContext {
  std::string name;  // "General" "Name": shown to the user and used as the key
  bool isDefault = false;
  std::string path;      // the definition file
  std::string skinPath;  // the picture: the definition's folder, "/", the "Skin" value

  // "Text"
  ColorRef normalTextColor = 0;
  ColorRef selectedTextColor = makeColorRef(0, 0, 64);
  std::string fontName = "Arial";
  int fontSize = 12;
  int bold = 0;
  int italic = 0;
  int underline = 0;
  int normalTextStyle = 0;  // the three flags as kTextStyle* bits, once per look
  int selectedTextStyle = 0;
  DefinitionRect textRect{20, 20, 200, 120};
  // "General"
  ColorRef transparentColor = makeColorRef(255, 0, 255);
  std::string skin;
  int transparency = 200;          // opacity in the normal look
  int selectedTransparency = 255;  // opacity under the mouse
  // "CloseBox"
  DefinitionRect closeBox{0, 0, 0, 0};
};

// Wallpaper sticker definition (a file of the "Stickers" folder), and a sticker once placed.
struct CWPStickerContext {
  std::string name;  // "General" "Name"
  bool isDefault = false;
  std::string path;
  std::string skinPath;

  // "Text"
  ColorRef normalTextColor = 0;
  std::string fontName = "Arial";
  int fontSize = 12;  // tenths of a point
  int bold = 0;
  int italic = 0;
  int underline = 0;
  int textStyle = 0;
  DefinitionRect textRect{20, 20, 200, 120};
  // "General"
  ColorRef transparentColor = makeColorRef(255, 0, 255);
  std::string skin;
  int transparency = 100;  // a percentage; a file without the key gives 200
  // "Align"
  int xShift = 100;
  int yShift = 100;
  std::string xAlign;
  std::string yAlign;
  int placement = 0;  // kPlace* flags

  // Filled when the sticker is placed on the wallpaper, not from the file.
  std::string text;
  COleDateTime until;
  std::string placedBy;  // the reminder or day note that placed it
};

// The "AnalogClock" section of a skin.
struct AnalogClockSkin {
  std::string skin;  // the clock face picture
  ColorRef handsColor = makeColorRef(160, 160, 160);
  ColorRef minuteHandColor = makeColorRef(160, 160, 160);
  ColorRef secondHandsColor = makeColorRef(160, 160, 160);
  int isSecondPresent = 1;
  int isDatePresent = 0;
  int dateX = 76;
  int dateY = 100;
  int handType = 1;
  int is3DHands = 1;
  int secondSize = 57;
  int minuteSize = 57;
  int hourSize = 37;
  ColorRef dateColor = 0;
};

// The "UI" section: the main window's caption and the main view's backgrounds.
struct UiSkin {
  ColorRef captionColor = makeColorRef(128, 128, 128);
  std::string captionLogo;
  ColorRef darkBackground1 = 0;
  ColorRef lightBackground1 = 0;
};

// The "Calendar" section.
struct CalendarSkin {
  ColorRef clDaysColor = 0;
  ColorRef clNextDayEventIndicatorBirthday = 0;
  ColorRef clNextDayEventIndicatorHoliday = 0;
  ColorRef clNextDayEvent = 0;
  ColorRef clNextEvent = 0;
  ColorRef clAnniversary = 0;
  ColorRef clFree = 0;
  ColorRef clFreeDimmed = 0;
  ColorRef clAnniversaryDimmed = 0;
  ColorRef clDimmed = 0;
  ColorRef clText = 0;
  ColorRef clHighLightText = 0;
  ColorRef clWeekendBrush = 0;
  ColorRef clSelectedBrush = 0;
  ColorRef clDimmedBrush = 0;
  ColorRef clBackground = 0;
  ColorRef clBackground1 = 0;
  ColorRef clNotesFrame = 0;
  ColorRef clButtonShadow = 0;
  ColorRef clButtonHighlight = 0;
};

// The "Lists" section: the reminder and note lists window.
struct ListsSkin {
  ColorRef dialogBackground = 0;
  ColorRef listBackground = 0;
  ColorRef highlightBackground = 0;
  ColorRef textColor = 0;
  ColorRef textHighlightColor = 0;
};

// Readers of one skin store, each in the order of its keys; system colour defaults are taken
// from the current system colours at the time of reading. The clock face defaults to "" for the
// clock itself and to "n/a" in the skin list.
AnalogClockSkin ReadAnalogClockSkin(CProfile& skin, std::string_view faceDefault = "");
UiSkin ReadUiSkin(CProfile& skin);
CalendarSkin ReadCalendarSkin(CProfile& skin);
ListsSkin ReadListsSkin(CProfile& skin);

// One row of the skin list of the configuration page.
struct CSkinContext {
  std::string path;      // the skin file
  std::string fileName;  // what the list shows
  std::string name = "n/a";
  std::string author = "n/a";
  std::string description = "n/a";
  std::string version = "n/a";
  AnalogClockSkin analogClock;  // with the face "n/a" when the file names none
  bool isCurrent = false;       // the file the "SkinPath" setting names
};
using CSkinContextList = std::vector<CSkinContext>;

// At most this many files are read from the "Notifiers" and from the "Stickers" folder.
inline constexpr std::size_t kMaxDefinitionFiles = 10;

// The definition files (extension "xml" in any case) of `folder`, sorted by name so that the
// limit always picks the same files; at most `limit`. A missing folder gives none.
std::vector<std::string> definitionFiles(const std::string& folder, std::size_t limit);

// One definition file. A file that cannot be loaded shows the store's message through
// `reporter` and still gives a record with every default. The default mark is set when the
// name equals (case-sensitively) `defaultName`, the "DefaultNotifier" or "DefaultSticker" setting.
CTBNotifierContext ReadNotifier(const std::string& file, std::string_view defaultName, ErrorReporter* reporter);
CWPStickerContext ReadSticker(const std::string& file, std::string_view defaultName, ErrorReporter* reporter);
CSkinContext ReadSkinContext(const std::string& file, ErrorReporter* reporter);

// The lists of the working folder `dataFolder` (its "Notifiers", "Stickers" and "Skins"
// folders). The document fills its lists with the first two through its definitions loader.
std::vector<CTBNotifierContext> LoadNotifiers(const std::string& dataFolder, std::string_view defaultNotifier,
                                              ErrorReporter* reporter);
std::vector<CWPStickerContext> LoadStickers(const std::string& dataFolder, std::string_view defaultSticker,
                                            ErrorReporter* reporter);
// Every skin (no limit); the one whose path equals the "SkinPath" setting `currentSkinPath`,
// compared without regard to case, is marked current.
CSkinContextList ListSkins(const std::string& dataFolder, std::string_view currentSkinPath, ErrorReporter* reporter);

// The "SkinPath" setting as a file: a relative name is taken against the working folder, or,
// when no file of that name is there, against its "Skins" folder if the file is there.
std::string skinSettingFile(const std::string& dataFolder, std::string_view skinPath);
// The "SkinPath" value that chooses the skin file `fileName` of the "Skins" folder.
std::string skinFileForSetting(const std::string& dataFolder, std::string_view fileName);
// A picture named by a definition: a relative name is taken against `baseFolder`, and
// backslashes (as definition files from the original platform write them) separate folders.
std::string picturePath(const std::string& baseFolder, std::string_view value);

}  // namespace kalvory
