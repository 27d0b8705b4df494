#include "core/skins/definitions.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "core/common/error_reporter.h"
#include "core/common/text.h"
#include "core/settings/data_folder.h"
#include "core/settings/profile.h"

namespace kalvory {

namespace {

namespace fs = std::filesystem;

std::string withSlashes(std::string_view value) {
  std::string result(value);
  std::replace(result.begin(), result.end(), '\\', '/');
  return result;
}

// Opens a definition file for reading only. Loading a name that does not exist would create
// the file, so such a name gets the load message without touching the disk.
bool loadDefinition(CProfile& profile, const std::string& file, ErrorReporter* reporter) {
  profile.SetSaveOnClose(false);
  std::error_code error;
  if (!fs::exists(file, error)) {
    std::string message(kProfileLoadFailedMessage);
    message.replace(message.find("%s"), 2, file);
    if (reporter != nullptr) reporter->reportError("", message);
    return false;
  }
  return profile.Load(file);
}

DefinitionRect readRect(CProfile& profile, std::string_view section, DefinitionRect defaults) {
  DefinitionRect rect;
  rect.left = profile.GetInt(section, "Left", defaults.left);
  rect.top = profile.GetInt(section, "Top", defaults.top);
  rect.right = profile.GetInt(section, "Right", defaults.right);
  rect.bottom = profile.GetInt(section, "Bottom", defaults.bottom);
  return rect;
}

std::string folderOf(const std::string& file) { return fs::path(file).parent_path().string(); }

}  // namespace

int textStyleFromFlags(int bold, int italic, int underline) {
  return (bold != 0 ? kTextStyleBold : 0) | (italic != 0 ? kTextStyleItalic : 0) |
         (underline != 0 ? kTextStyleUnderline : 0);
}

int placementFromAlign(std::string_view xAlign, std::string_view yAlign) {
  int flags = 0;
  if (yAlign == "Top") {
    flags |= kPlaceTop;
  } else if (yAlign == "Bottom") {
    flags |= kPlaceBottom;
  } else {
    flags |= kPlaceVerticalCentre;
  }
  if (xAlign == "Left") {
    flags |= kPlaceLeft;
  } else if (xAlign == "Right") {
    flags |= kPlaceRight;
  } else {
    flags |= kPlaceHorizontalCentre;
  }
  return flags;
}

AnalogClockSkin ReadAnalogClockSkin(CProfile& skin, std::string_view faceDefault) {
  constexpr std::string_view kSection = "AnalogClock";
  AnalogClockSkin clock;
  clock.skin = skin.GetString(kSection, "Skin", faceDefault);
  clock.handsColor = skin.GetColor(kSection, "HandsColor", makeColorRef(160, 160, 160));
  clock.minuteHandColor = skin.GetColor(kSection, "MinuteHandColor", clock.handsColor);
  clock.secondHandsColor = skin.GetColor(kSection, "SecondHandsColor", clock.handsColor);
  clock.isSecondPresent = skin.GetInt(kSection, "IsSecondPresent", 1);
  clock.isDatePresent = skin.GetInt(kSection, "IsDatePresent", 0);
  clock.dateX = skin.GetInt(kSection, "DateX", 76);
  clock.dateY = skin.GetInt(kSection, "DateY", 100);
  clock.handType = skin.GetInt(kSection, "HandType", 1);
  clock.is3DHands = skin.GetInt(kSection, "Is3DHands", 1);
  clock.secondSize = skin.GetInt(kSection, "SecondSize", 57);
  clock.minuteSize = skin.GetInt(kSection, "MinuteSize", 57);
  clock.hourSize = skin.GetInt(kSection, "HourSize", 37);
  clock.dateColor = skin.GetColor(kSection, "DateColor", 0);
  return clock;
}

UiSkin ReadUiSkin(CProfile& skin) {
  UiSkin ui;
  ui.captionColor = skin.GetColor("UI", "CaptionColor", makeColorRef(128, 128, 128));
  ui.captionLogo = skin.GetString("UI", "CaptionLogo", "");
  ui.darkBackground1 = skin.GetColor("UI", "DarkBackground1", systemColor(15));
  ui.lightBackground1 = skin.GetColor("UI", "LightBackground1", systemColor(15));
  return ui;
}

CalendarSkin ReadCalendarSkin(CProfile& skin) {
  constexpr std::string_view kSection = "Calendar";
  CalendarSkin calendar;
  calendar.clDaysColor = skin.GetColor(kSection, "clDaysColor", systemColor(8));
  calendar.clNextDayEventIndicatorBirthday =
      skin.GetColor(kSection, "clNextDayEventIndicatorBirthday", calendar.clDaysColor);
  calendar.clNextDayEventIndicatorHoliday =
      skin.GetColor(kSection, "clNextDayEventIndicatorHoliday", calendar.clDaysColor);
  calendar.clNextDayEvent = skin.GetColor(kSection, "clNextDayEvent", calendar.clDaysColor);
  calendar.clNextEvent = skin.GetColor(kSection, "clNextEvent", calendar.clDaysColor);
  calendar.clAnniversary = skin.GetColor(kSection, "clAnniversary", makeColorRef(0, 128, 0));
  calendar.clFree = skin.GetColor(kSection, "clFree", 7887580);
  calendar.clFreeDimmed = skin.GetColor(kSection, "clFreeDimmed", 7887510);
  calendar.clAnniversaryDimmed = skin.GetColor(kSection, "clAnniversaryDimmed", 5275728);
  calendar.clDimmed = skin.GetColor(kSection, "clDimmed", makeColorRef(128, 128, 128));
  calendar.clText = skin.GetColor(kSection, "clText", systemColor(8));
  calendar.clHighLightText = skin.GetColor(kSection, "clHighLightText", systemColor(8));
  calendar.clWeekendBrush = skin.GetColor(kSection, "clWeekendBrush", systemColor(15));
  calendar.clSelectedBrush = skin.GetColor(kSection, "clSelectedBrush", systemColor(15));
  calendar.clDimmedBrush = skin.GetColor(kSection, "clDimmedBrush", systemColor(15));
  calendar.clBackground = skin.GetColor(kSection, "clBackground", systemColor(15));
  calendar.clBackground1 = skin.GetColor(kSection, "clBackground1", systemColor(15));
  calendar.clNotesFrame = skin.GetColor(kSection, "clNotesFrame", systemColor(13));
  calendar.clButtonShadow = skin.GetColor(kSection, "clButtonShadow", systemColor(16));
  calendar.clButtonHighlight = skin.GetColor(kSection, "clButtonHighlight", systemColor(20));
  return calendar;
}

ListsSkin ReadListsSkin(CProfile& skin) {
  ListsSkin lists;
  lists.dialogBackground = skin.GetColor("Lists", "DialogBackground", systemColor(15));
  lists.listBackground = skin.GetColor("Lists", "ListBackground", systemColor(5));
  lists.highlightBackground = skin.GetColor("Lists", "HighlightBackground", systemColor(13));
  lists.textColor = skin.GetColor("Lists", "TextColor", systemColor(8));
  lists.textHighlightColor = skin.GetColor("Lists", "TextHighlightColor", systemColor(14));
  return lists;
}

std::vector<std::string> definitionFiles(const std::string& folder, std::size_t limit) {
  std::vector<std::string> files;
  std::error_code error;
  fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
  for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    if (!equalsIgnoringAsciiCase(it->path().extension().string(), ".xml")) continue;
    files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end());
  if (files.size() > limit) files.resize(limit);
  return files;
}

CTBNotifierContext ReadNotifier(const std::string& file, std::string_view defaultName, ErrorReporter* reporter) {
  CTBNotifierContext notifier;
  notifier.path = file;
  CProfile profile(reporter);
  loadDefinition(profile, file, reporter);

  notifier.normalTextColor = profile.GetColor("Text", "NormalTextColor", 0);
  notifier.selectedTextColor = profile.GetColor("Text", "SelectedTextColor", makeColorRef(0, 0, 64));
  notifier.fontName = profile.GetString("Text", "FontName", "Arial");
  notifier.fontSize = profile.GetInt("Text", "FontSize", 12);
  notifier.bold = profile.GetInt("Text", "Bold", 0);
  notifier.italic = profile.GetInt("Text", "Italic", 0);
  notifier.underline = profile.GetInt("Text", "Underline", 0);
  notifier.textRect = readRect(profile, "Text", {20, 20, 200, 120});
  notifier.transparentColor = profile.GetColor("General", "TransparentColor", makeColorRef(255, 0, 255));
  notifier.skin = profile.GetString("General", "Skin", "");
  notifier.transparency = profile.GetInt("General", "Transparency", 200);
  notifier.selectedTransparency = profile.GetInt("General", "SelectedTransparency", 255);
  notifier.name = profile.GetString("General", "Name", "");
  notifier.closeBox = readRect(profile, "CloseBox", {0, 0, 0, 0});

  notifier.normalTextStyle = textStyleFromFlags(notifier.bold, notifier.italic, notifier.underline);
  notifier.selectedTextStyle = notifier.normalTextStyle;
  notifier.skinPath = folderOf(file) + "/" + withSlashes(notifier.skin);
  notifier.isDefault = notifier.name == defaultName;
  return notifier;
}

CWPStickerContext ReadSticker(const std::string& file, std::string_view defaultName, ErrorReporter* reporter) {
  CWPStickerContext sticker;
  sticker.path = file;
  CProfile profile(reporter);
  loadDefinition(profile, file, reporter);

  sticker.normalTextColor = profile.GetColor("Text", "NormalTextColor", 0);
  sticker.fontName = profile.GetString("Text", "FontName", "Arial");
  sticker.fontSize = profile.GetInt("Text", "FontSize", 12);
  sticker.bold = profile.GetInt("Text", "Bold", 0);
  sticker.italic = profile.GetInt("Text", "Italic", 0);
  sticker.underline = profile.GetInt("Text", "Underline", 0);
  sticker.textRect = readRect(profile, "Text", {20, 20, 200, 120});
  sticker.transparentColor = profile.GetColor("General", "TransparentColor", makeColorRef(255, 0, 255));
  sticker.skin = profile.GetString("General", "Skin", "");
  sticker.transparency = profile.GetInt("General", "Transparency", 200);
  sticker.name = profile.GetString("General", "Name", "");
  sticker.xShift = profile.GetInt("Align", "XShift", 100);
  sticker.yShift = profile.GetInt("Align", "YShift", 100);
  sticker.xAlign = profile.GetString("Align", "XAlign", "Right");
  sticker.yAlign = profile.GetString("Align", "YAlign", "Top");

  sticker.textStyle = textStyleFromFlags(sticker.bold, sticker.italic, sticker.underline);
  sticker.placement = placementFromAlign(sticker.xAlign, sticker.yAlign);
  sticker.skinPath = folderOf(file) + "/" + withSlashes(sticker.skin);
  sticker.isDefault = sticker.name == defaultName;
  return sticker;
}

CSkinContext ReadSkinContext(const std::string& file, ErrorReporter* reporter) {
  CSkinContext context;
  context.path = file;
  context.fileName = fs::path(file).filename().string();
  CProfile profile(reporter);
  loadDefinition(profile, file, reporter);
  context.name = profile.GetString("General", "Name", "n/a");
  context.author = profile.GetString("General", "Author", "n/a");
  context.description = profile.GetString("General", "Description", "n/a");
  context.version = profile.GetString("General", "Version", "n/a");
  context.analogClock = ReadAnalogClockSkin(profile, "n/a");
  return context;
}

std::vector<CTBNotifierContext> LoadNotifiers(const std::string& dataFolder, std::string_view defaultNotifier,
                                              ErrorReporter* reporter) {
  std::vector<CTBNotifierContext> notifiers;
  const std::string folder = (fs::path(dataFolder) / kNotifiersFolderName).string();
  for (const auto& file : definitionFiles(folder, kMaxDefinitionFiles)) {
    notifiers.push_back(ReadNotifier(file, defaultNotifier, reporter));
  }
  return notifiers;
}

std::vector<CWPStickerContext> LoadStickers(const std::string& dataFolder, std::string_view defaultSticker,
                                            ErrorReporter* reporter) {
  std::vector<CWPStickerContext> stickers;
  const std::string folder = (fs::path(dataFolder) / kStickersFolderName).string();
  for (const auto& file : definitionFiles(folder, kMaxDefinitionFiles)) {
    stickers.push_back(ReadSticker(file, defaultSticker, reporter));
  }
  return stickers;
}

CSkinContextList ListSkins(const std::string& dataFolder, std::string_view currentSkinPath, ErrorReporter* reporter) {
  CSkinContextList skins;
  const std::string folder = (fs::path(dataFolder) / kSkinsFolderName).string();
  const std::string current = skinSettingFile(dataFolder, currentSkinPath);
  for (const auto& file : definitionFiles(folder, SIZE_MAX)) {
    CSkinContext context = ReadSkinContext(file, reporter);
    context.isCurrent = equalsIgnoringAsciiCase(fs::path(file).lexically_normal().string(), current);
    skins.push_back(std::move(context));
  }
  return skins;
}

std::string skinSettingFile(const std::string& dataFolder, std::string_view skinPath) {
  if (skinPath.empty()) return {};
  const fs::path path(withSlashes(skinPath));
  if (path.is_absolute()) return path.lexically_normal().string();
  const fs::path inDataFolder = (fs::path(dataFolder) / path).lexically_normal();
  // The bundled skins live in "Skins", so the default "skin.xml" is found there when the data
  // folder itself holds no file of that name.
  std::error_code code;
  if (!fs::is_regular_file(inDataFolder, code)) {
    const fs::path inSkins = (fs::path(dataFolder) / kSkinsFolderName / path).lexically_normal();
    if (fs::is_regular_file(inSkins, code)) return inSkins.string();
  }
  return inDataFolder.string();
}

std::string skinFileForSetting(const std::string& dataFolder, std::string_view fileName) {
  // The "Skins" folder keeps its capital: on a case-sensitive file system "skins" is another folder.
  return (fs::path(dataFolder) / kSkinsFolderName / std::string(fileName)).string();
}

std::string picturePath(const std::string& baseFolder, std::string_view value) {
  if (value.empty()) return {};
  const fs::path path(withSlashes(value));
  return (path.is_absolute() ? path : fs::path(baseFolder) / path).string();
}

}  // namespace kalvory
