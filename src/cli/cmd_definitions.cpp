// kalvory-cli definitions: the notifier, sticker and skin lists of a data folder as the program
// reads them, with every value.
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <system_error>

#include "cli/command.h"
#include "cli/line_text.h"
#include "core/common/error_reporter.h"
#include "core/settings/app_settings.h"
#include "core/settings/data_folder.h"
#include "core/settings/profile.h"
#include "core/skins/definitions.h"
#include "platform/settings/ini_settings_store.h"

namespace kalvory::cli {
namespace {

using Json = nlohmann::ordered_json;

Json rectJson(const DefinitionRect& rect) {
  return Json{{"left", rect.left}, {"top", rect.top}, {"right", rect.right}, {"bottom", rect.bottom}};
}

Json notifierJson(const CTBNotifierContext& notifier) {
  return Json{{"path", notifier.path},
              {"name", notifier.name},
              {"isDefault", notifier.isDefault},
              {"skinPath", notifier.skinPath},
              {"normalTextColor", notifier.normalTextColor},
              {"selectedTextColor", notifier.selectedTextColor},
              {"fontName", notifier.fontName},
              {"fontSize", notifier.fontSize},
              {"bold", notifier.bold},
              {"italic", notifier.italic},
              {"underline", notifier.underline},
              {"normalTextStyle", notifier.normalTextStyle},
              {"selectedTextStyle", notifier.selectedTextStyle},
              {"textRect", rectJson(notifier.textRect)},
              {"transparentColor", notifier.transparentColor},
              {"skin", notifier.skin},
              {"transparency", notifier.transparency},
              {"selectedTransparency", notifier.selectedTransparency},
              {"closeBox", rectJson(notifier.closeBox)}};
}

Json stickerJson(const CWPStickerContext& sticker) {
  return Json{{"path", sticker.path},
              {"name", sticker.name},
              {"isDefault", sticker.isDefault},
              {"skinPath", sticker.skinPath},
              {"normalTextColor", sticker.normalTextColor},
              {"fontName", sticker.fontName},
              {"fontSize", sticker.fontSize},
              {"bold", sticker.bold},
              {"italic", sticker.italic},
              {"underline", sticker.underline},
              {"textStyle", sticker.textStyle},
              {"textRect", rectJson(sticker.textRect)},
              {"transparentColor", sticker.transparentColor},
              {"skin", sticker.skin},
              {"transparency", sticker.transparency},
              {"xShift", sticker.xShift},
              {"yShift", sticker.yShift},
              {"xAlign", sticker.xAlign},
              {"yAlign", sticker.yAlign},
              {"placement", sticker.placement}};
}

Json analogClockJson(const AnalogClockSkin& clock) {
  return Json{{"skin", clock.skin},
              {"handsColor", clock.handsColor},
              {"minuteHandColor", clock.minuteHandColor},
              {"secondHandsColor", clock.secondHandsColor},
              {"isSecondPresent", clock.isSecondPresent},
              {"isDatePresent", clock.isDatePresent},
              {"dateX", clock.dateX},
              {"dateY", clock.dateY},
              {"handType", clock.handType},
              {"is3DHands", clock.is3DHands},
              {"secondSize", clock.secondSize},
              {"minuteSize", clock.minuteSize},
              {"hourSize", clock.hourSize},
              {"dateColor", clock.dateColor}};
}

// What applying the skin reads beside the list's values: the caption, calendar and lists colours.
Json skinLookJson(const std::string& file) {
  CProfile profile;  // the list has reported a file that does not load already
  profile.SetSaveOnClose(false);
  if (std::error_code error; std::filesystem::is_regular_file(file, error)) profile.Load(file);
  const UiSkin ui = ReadUiSkin(profile);
  const CalendarSkin calendar = ReadCalendarSkin(profile);
  const ListsSkin lists = ReadListsSkin(profile);
  return Json{{"ui",
               {{"captionColor", ui.captionColor},
                {"captionLogo", ui.captionLogo},
                {"darkBackground1", ui.darkBackground1},
                {"lightBackground1", ui.lightBackground1}}},
              {"calendar",
               {{"clDaysColor", calendar.clDaysColor},
                {"clNextDayEventIndicatorBirthday", calendar.clNextDayEventIndicatorBirthday},
                {"clNextDayEventIndicatorHoliday", calendar.clNextDayEventIndicatorHoliday},
                {"clNextDayEvent", calendar.clNextDayEvent},
                {"clNextEvent", calendar.clNextEvent},
                {"clAnniversary", calendar.clAnniversary},
                {"clFree", calendar.clFree},
                {"clFreeDimmed", calendar.clFreeDimmed},
                {"clAnniversaryDimmed", calendar.clAnniversaryDimmed},
                {"clDimmed", calendar.clDimmed},
                {"clText", calendar.clText},
                {"clHighLightText", calendar.clHighLightText},
                {"clWeekendBrush", calendar.clWeekendBrush},
                {"clSelectedBrush", calendar.clSelectedBrush},
                {"clDimmedBrush", calendar.clDimmedBrush},
                {"clBackground", calendar.clBackground},
                {"clBackground1", calendar.clBackground1},
                {"clNotesFrame", calendar.clNotesFrame},
                {"clButtonShadow", calendar.clButtonShadow},
                {"clButtonHighlight", calendar.clButtonHighlight}}},
              {"lists",
               {{"dialogBackground", lists.dialogBackground},
                {"listBackground", lists.listBackground},
                {"highlightBackground", lists.highlightBackground},
                {"textColor", lists.textColor},
                {"textHighlightColor", lists.textHighlightColor}}}};
}

Json skinJson(const CSkinContext& skin) {
  Json json{{"path", skin.path},           {"fileName", skin.fileName},
            {"isCurrent", skin.isCurrent}, {"name", skin.name},
            {"author", skin.author},       {"description", skin.description},
            {"version", skin.version},     {"analogClock", analogClockJson(skin.analogClock)}};
  const Json look = skinLookJson(skin.path);
  for (const auto& [key, value] : look.items()) json[key] = value;
  return json;
}

// The text form: "name: value" lines, nested objects indented under their name.
void printText(std::ostream& out, const Json& json, int indent) {
  const std::string pad(static_cast<std::size_t>(indent) * 2, ' ');
  for (const auto& [key, value] : json.items()) {
    if (value.is_object()) {
      if (value.size() == 4 && value.contains("left") && value.contains("bottom")) {  // a rectangle
        out << pad << key << ":";
        for (const auto& member : value) out << " " << member.get<long long>();
        out << "\n";
      } else {
        out << pad << key << ":\n";
        printText(out, value, indent + 1);
      }
    } else if (value.is_string()) {
      out << pad << key << ": " << lineSafe(value.get<std::string>()) << "\n";
    } else if (value.is_boolean()) {
      out << pad << key << ": " << (value.get<bool>() ? "yes" : "no") << "\n";
    } else {
      out << pad << key << ": " << value.dump() << "\n";
    }
  }
}

int runDefinitions(CommandContext& context) {
  Arguments arguments(context.args);
  std::string dataFolder, configFile, defaultNotifier, defaultSticker, skinPath;
  const bool dataGiven = arguments.takeOption("--data", dataFolder);
  const bool configGiven = arguments.takeOption("--config", configFile);
  const bool notifierGiven = arguments.takeOption("--default-notifier", defaultNotifier);
  const bool stickerGiven = arguments.takeOption("--default-sticker", defaultSticker);
  const bool skinGiven = arguments.takeOption("--skin-path", skinPath);
  const bool json = arguments.takeFlag("--json");
  arguments.positionals(0, 0);

  if (!dataGiven) dataFolder = dataFolderPath();
  std::error_code error;
  if (dataGiven && !std::filesystem::is_directory(dataFolder, error)) {
    return context.refuse(dataFolder + " is not a folder");
  }

  // The default marks and the current skin come from the user's settings, as in the program.
  if (!configGiven) configFile = defaultSettingsFilePath();
  const IniSettingsStore store(configFile);
  if (configGiven && store.fileState() == IniSettingsStore::FileState::Missing) {
    return context.refuse("no such settings file: " + configFile);
  }
  if (const std::string problem = store.problem(); !problem.empty()) return context.refuse(problem);
  const AppSettings settings = LoadSettings(store, SettingsEnvironment{}).app;
  if (!notifierGiven) defaultNotifier = settings.default_notifier;
  if (!stickerGiven) defaultSticker = settings.default_sticker;
  if (!skinGiven) skinPath = settings.skin_path;

  Json result{
      {"dataFolder", dataFolder},           {"settingsFile", configFile},       {"bundledFolder", bundledDataFolder()},
      {"defaultNotifier", defaultNotifier}, {"defaultSticker", defaultSticker}, {"skinPath", skinPath},
      {"notifiers", Json::array()},         {"stickers", Json::array()},        {"skins", Json::array()}};
  for (const auto& notifier : LoadNotifiers(dataFolder, defaultNotifier, &context.errors)) {
    result["notifiers"].push_back(notifierJson(notifier));
  }
  for (const auto& sticker : LoadStickers(dataFolder, defaultSticker, &context.errors)) {
    result["stickers"].push_back(stickerJson(sticker));
  }
  for (const auto& skin : ListSkins(dataFolder, skinPath, &context.errors)) result["skins"].push_back(skinJson(skin));

  if (json) {
    // Definition files are not always valid UTF-8; such bytes show as U+FFFD rather than failing.
    context.out << result.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
  } else {
    for (const char* key :
         {"dataFolder", "settingsFile", "bundledFolder", "defaultNotifier", "defaultSticker", "skinPath"}) {
      context.out << key << ": " << lineSafe(result[key].get<std::string>()) << "\n";
    }
    for (const char* list : {"notifiers", "stickers", "skins"}) {
      context.out << "\n" << list << ": " << result[list].size() << "\n";
      for (const auto& record : result[list]) {
        context.out << "\n";
        printText(context.out, record, 1);
      }
    }
  }
  // The lists are shown in full either way; a definition that did not load makes the exit status say so.
  // Every error before this point ended the command, so each one counted here is a definition file's.
  return context.errors.count() > 0 ? kExitInput : kExitOk;
}

const Registration registration{
    {"definitions",
     "definitions [--data DIR] [--config FILE] [--json] [--default-notifier NAME] [--default-sticker NAME] "
     "[--skin-path PATH]",
     "Lists the notifier, sticker and skin definitions of the data folder (default: the program's) with every value "
     "as the program reads them. The default notifier and sticker and the current skin are those of the settings "
     "file (default: the program's), or of the three options. Exit status 2 when a definition file does not load "
     "(it is listed with its defaults).",
     runDefinitions}};

}  // namespace
}  // namespace kalvory::cli
