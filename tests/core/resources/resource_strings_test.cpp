#include "core/resources/resource_strings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/common/text.h"

namespace kalvory {
namespace {

constexpr UiLanguage kLanguages[] = {UiLanguage::Russian, UiLanguage::English, UiLanguage::Ukrainian};

TEST(ResourceStrings, LanguageSettingPicksTheTable) {
  EXPECT_EQ(languageFromSetting(0), UiLanguage::Russian);
  EXPECT_EQ(languageFromSetting(1), UiLanguage::English);
  EXPECT_EQ(languageFromSetting(2), UiLanguage::Ukrainian);
  for (int other : {-1, 3, 5, 1033, 1049}) EXPECT_EQ(languageFromSetting(other), UiLanguage::English) << other;

  EXPECT_EQ(resourceLanguageId(UiLanguage::Russian), 1049);
  EXPECT_EQ(resourceLanguageId(UiLanguage::English), 1033);
  EXPECT_EQ(resourceLanguageId(UiLanguage::Ukrainian), 1058);
  EXPECT_EQ(resourceLanguageId(languageFromSetting(5)), 1033);

  // "Language" 5 reads the English table; 0 the Russian one (reminder list headers, exit actions).
  EXPECT_EQ(loadString(500, languageFromSetting(5)), "Do nothing");
  EXPECT_EQ(loadString(13, languageFromSetting(5)), "IDB_LIST_TIME");
  EXPECT_EQ(loadString(12, languageFromSetting(0)), "IDB_LIST_DESCRIPTION_RU");
  EXPECT_EQ(loadString(13, languageFromSetting(0)), "IDB_LIST_TIME_RU");
  EXPECT_EQ(loadString(500, languageFromSetting(0)), "Ничего не делать");
  EXPECT_EQ(loadString(504, languageFromSetting(2)), "Закрити Kalvory ");
}

TEST(ResourceStrings, EnglishTextsAreTheProgramsOwn) {
  const auto en = UiLanguage::English;
  EXPECT_EQ(loadString(1, en), "Name");
  EXPECT_EQ(loadString(57, en), "Font: %s");
  EXPECT_EQ(loadString(76, en), "%m/%d - %H:%M");
  EXPECT_EQ(loadString(81, en), "Tomorrow");
  EXPECT_EQ(loadString(137, en), "Exclude \"%s\" folder? ");
  EXPECT_EQ(loadString(143, en), "Kalvory %s %s");
  EXPECT_EQ(loadString(148, en), "Name: %s\nAuthor: %s\nDescription:  %s");
  EXPECT_EQ(loadString(57344, en), "Kalvory");
  EXPECT_EQ(loadString(5120, en), "You can change wallpaper immediately by pressing Ctrl+Shift+W.");
  // Trailing blanks are part of the texts.
  EXPECT_EQ(loadString(14, en), "Wallpaper Changer ");
  EXPECT_EQ(loadString(33, en), "&Play sound file in the media player ");
  EXPECT_EQ(loadString(504, en), "Close Kalvory ");
  EXPECT_EQ(loadString(32781, en), "Show date in the tray ");
  EXPECT_EQ(loadString(128, en), "Kalvory\n\nKalvory\nKalvory files(*.alr)\n.alr\nKalvory.Document\nKalvory document");

  // The format help: every line ends with CR LF, the program's own codes come after strftime's.
  const std::string& help = loadString(152, en);
  EXPECT_EQ(help.rfind("%a - ", 0), 0u);
  EXPECT_NE(help.find("\r\n%V - Current song in the media player\r\n"), std::string::npos);
  EXPECT_NE(help.find("\r\n '0x80' - Next character is displayed using the symbol font\r\n"), std::string::npos);
  EXPECT_NE(help.find("\r\n %~ - Start Upper text \r\n"), std::string::npos);
  EXPECT_TRUE(help.ends_with("\r\n %- - Finish Upper text\r\n"));
}

// The names of res/strings/ids.txt reach the texts they are named after.
TEST(ResourceStrings, NamedIdsReachTheirTexts) {
  const auto en = UiLanguage::English;
  EXPECT_EQ(loadString(StringId::ProgramTitle, en), "Kalvory %s %s");
  EXPECT_EQ(loadString(StringId::ApplicationName, en), "Kalvory");
  EXPECT_EQ(loadString(StringId::SaveChangesQuestion, en), "Save changes to %s?");
  EXPECT_EQ(loadString(StringId::Hide, en), "Hide");
  EXPECT_EQ(loadString(StringId::Show, en), "Show");
  EXPECT_EQ(loadString(StringId::NextReminderCaption, en), "Next reminder");
  EXPECT_EQ(loadString(StringId::NextDayEventCaption, en), "Next day event");
  EXPECT_EQ(loadString(StringId::TimeFormat, en), "%H:%M");
  EXPECT_EQ(loadString(StringId::DocumentTemplate, en).rfind("Kalvory\n\nKalvory\n", 0), 0u);
  EXPECT_EQ(loadString(StringId::ReminderListTimeHeader, UiLanguage::Russian), "IDB_LIST_TIME_RU");
  // The exit actions are named in the order of their codes.
  const StringId exitActions[] = {StringId::ExitActionNothing, StringId::ExitActionShutdown, StringId::ExitActionSleep,
                                  StringId::ExitActionRestart, StringId::ExitActionClose};
  for (int code = 0; code < 5; ++code) EXPECT_EQ(static_cast<int>(exitActions[code]), 500 + code);
  // A command's prompt has the command's id, so the number form finds it too.
  EXPECT_EQ(&loadString(32777, en), &loadString(StringId::ShowOsdClockPrompt, en));
}

TEST(ResourceStrings, UnknownIdsAreEmpty) {
  for (int id : {0, 20, 24, 144, 57345, 65535, -1}) {
    for (auto language : kLanguages) EXPECT_EQ(loadString(id, language), "") << id;
  }
  // An out-of-range language value reads English rather than past the table.
  EXPECT_EQ(loadString(81, static_cast<UiLanguage>(7)), "Tomorrow");
}

TEST(ResourceStrings, ListSplitting) {
  const auto intervals = loadStringList(StringId::WallpaperIntervals, UiLanguage::English);
  ASSERT_EQ(intervals.size(), 11u);
  EXPECT_EQ(intervals.front(), "1 min");
  EXPECT_EQ(intervals[4], "1 hour");
  EXPECT_EQ(intervals.back(), "14 days");
  EXPECT_EQ(loadStringList(StringId::EventTypes, UiLanguage::English),
            (std::vector<std::string>{"Note", "Anniversary", "Weekend", "Holiday", "Day Off", "TO DO"}));
  EXPECT_EQ(loadStringList(StringId::RepeatKinds, UiLanguage::English),
            (std::vector<std::string>{"Annual", "Monthly", "Weekly", "Interval", "Once"}));
  for (auto language : kLanguages) {
    EXPECT_EQ(loadStringList(StringId::WallpaperIntervals, language).size(), 11u);
    EXPECT_EQ(loadStringList(StringId::EventTypes, language).size(), 6u);
    EXPECT_EQ(loadStringList(StringId::RepeatKinds, language).size(), 5u);
  }

  EXPECT_TRUE(splitResourceList("").empty());
  EXPECT_EQ(splitResourceList("one"), (std::vector<std::string>{"one"}));
  // Empty items keep their places so that item n still names value n.
  EXPECT_EQ(splitResourceList("a;;b"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(splitResourceList(";a;"), (std::vector<std::string>{"", "a", ""}));
  EXPECT_EQ(splitResourceList("Заметка;Праздник"), (std::vector<std::string>{"Заметка", "Праздник"}));
}

TEST(ResourceStrings, PlaceholderReading) {
  using List = std::vector<std::string>;
  EXPECT_EQ(formatPlaceholders("Save changes to %s?"), (List{"%s"}));
  EXPECT_EQ(formatPlaceholders("%s failed with error %d: %s"), (List{"%s", "%d", "%s"}));
  EXPECT_EQ(formatPlaceholders("%02i:%02i %.0f %I64d %ld %-5s"),
            (List{"%02i", "%02i", "%.0f", "%I64d", "%ld", "%-5s"}));
  EXPECT_EQ(formatPlaceholders("%m/%d - %H:%M"), (List{"%m", "%d", "%H", "%M"}));
  EXPECT_EQ(formatPlaceholders("100%% %#d"), (List{"%%", "%#d"}));
  // The raised-text marks and a lone "%" before a blank are placeholders of their own.
  EXPECT_EQ(formatPlaceholders(" %~ - Start %- - Finish"), (List{"%~", "%-"}));
  EXPECT_EQ(formatPlaceholders("50% off"), (List{"% "}));
  EXPECT_EQ(formatPlaceholders("%l and %L and %h"), (List{"%l", "%L", "%h"}));
  EXPECT_EQ(formatPlaceholders("no codes, trailing %"), List{});
}

// What the build-time check guarantees, verified again on the compiled tables.
TEST(ResourceStrings, TranslationsKeepPlaceholdersAndListCounts) {
  const auto ids = resourceStringIds();
  EXPECT_GE(ids.size(), 120u);
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  for (int id : ids) {
    const std::string& english = loadString(id, UiLanguage::English);
    ASSERT_FALSE(english.empty()) << id;
    const auto englishCodes = formatPlaceholders(english);
    for (auto language : {UiLanguage::Russian, UiLanguage::Ukrainian}) {
      const std::string& translated = loadString(id, language);
      ASSERT_FALSE(translated.empty()) << id;
      // Each text is valid UTF-8: nothing in it turns into U+FFFD.
      EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(translated)), translated) << id;
      EXPECT_EQ(std::count(translated.begin(), translated.end(), ';'), std::count(english.begin(), english.end(), ';'))
          << id;
      auto codes = formatPlaceholders(translated);
      if (id == 143) {
        // The title is "Kalvory %s" outside English; it is formatted with two empty texts.
        EXPECT_EQ(codes, std::vector<std::string>{"%s"});
      } else if (id == 76 || id == 77 || id == 79) {
        // The main view's date patterns put the day first in Russian and Ukrainian.
        auto sorted = englishCodes;
        std::sort(codes.begin(), codes.end());
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(codes, sorted) << id;
      } else {
        EXPECT_EQ(codes, englishCodes) << id;
      }
    }
  }
  // Patterns that code formats with, and names that are not texts, are the same everywhere.
  for (int id : {78, 136, 57344}) {
    EXPECT_EQ(loadString(id, UiLanguage::Russian), loadString(id, UiLanguage::English)) << id;
    EXPECT_EQ(loadString(id, UiLanguage::Ukrainian), loadString(id, UiLanguage::English)) << id;
  }
  EXPECT_EQ(loadString(77, UiLanguage::Russian), "%d.%m.%Y");
  EXPECT_EQ(loadString(79, UiLanguage::Ukrainian), "%d.%m");
  // The document template keeps its seven fields, with the same extension and file type.
  for (auto language : kLanguages) {
    const std::string& docTemplate = loadString(128, language);
    EXPECT_EQ(std::count(docTemplate.begin(), docTemplate.end(), '\n'), 6) << static_cast<int>(language);
    EXPECT_NE(docTemplate.find("\n.alr\nKalvory.Document\n"), std::string::npos);
  }
}

TEST(ResourceStrings, ListHeaderBitmapNamesPerLanguage) {
  const int ids[] = {10, 11, 12, 13};
  const std::vector<std::string> english{"IDB_LIST_DESCRIPTION", "IDB_LIST_DATE", "IDB_LIST_DESCRIPTION",
                                         "IDB_LIST_TIME"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(loadString(ids[i], UiLanguage::English), english[i]);
    EXPECT_EQ(loadString(ids[i], UiLanguage::Russian), english[i] + "_RU");
    // The Ukrainian table borrows the Russian date header.
    EXPECT_EQ(loadString(ids[i], UiLanguage::Ukrainian), english[i] + (ids[i] == 11 ? "_RU" : "_UA"));
  }
}

TEST(ResourceStrings, DialogTextsAreStrings) {
  EXPECT_EQ(loadString(StringId::TurnOffCaption, UiLanguage::English), "Turn off alarm");
  EXPECT_EQ(loadString(StringId::RemindInLabel, UiLanguage::English), "Remind &in:");
  EXPECT_EQ(loadString(StringId::DayNoteCaption, UiLanguage::Ukrainian), "Нотатка до дати");
  EXPECT_EQ(loadString(StringId::DayNoteCaption, languageFromSetting(9)), "Date Note");
  EXPECT_EQ(loadString(StringId::ImageFileFilter, UiLanguage::English),
            "Image Files (*.bmp;*.jpg;*.tif;*.png)|*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.png||");
  // Texts that were kept beside their windows before, with Qt's "%1" placeholders.
  EXPECT_EQ(loadString(StringId::OpenFailed, UiLanguage::Russian), "Не удалось открыть %1.\n%2");
  EXPECT_EQ(loadString(StringId::MissedCaption, UiLanguage::Ukrainian), "Поки вас не було");
  EXPECT_EQ(loadString(StringId::SkinUnreadable, UiLanguage::English), "This skin file cannot be read:\n%1");

  // The weekday buttons, Sunday first as the week_days bits count.
  const std::vector<StringId> weekdays{StringId::ShortSunday,    StringId::ShortMonday,   StringId::ShortTuesday,
                                       StringId::ShortWednesday, StringId::ShortThursday, StringId::ShortFriday,
                                       StringId::ShortSaturday};
  std::vector<std::string> russian;
  for (auto id : weekdays) russian.push_back(loadString(id, UiLanguage::Russian));
  EXPECT_EQ(russian, (std::vector<std::string>{"Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"}));
}

}  // namespace
}  // namespace kalvory
