#include "core/resources/resource_menus.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/common/text.h"
#include "core/resources/resource_strings.h"

namespace kalvory {
namespace {

constexpr UiLanguage kLanguages[] = {UiLanguage::Russian, UiLanguage::English, UiLanguage::Ukrainian};

// "kind:command" of every item, depth first, with "(" and ")" around popups.
std::string shape(const std::vector<MenuItem>& items) {
  std::string out;
  for (const auto& item : items) {
    out += std::to_string(static_cast<int>(item.kind)) + ":" + std::to_string(item.command) + " ";
    if (item.kind == MenuItem::Kind::Popup) out += "(" + shape(item.items) + ") ";
  }
  return out;
}

std::vector<int> commands(const std::vector<MenuItem>& items) {
  std::vector<int> out;
  for (const auto& item : items) out.push_back(item.command);
  return out;
}

std::vector<std::string> texts(const std::vector<MenuItem>& items) {
  std::vector<std::string> out;
  for (const auto& item : items) out.push_back(item.text);
  return out;
}

// The access key of a label, folded to lower case (Latin and Cyrillic), or none.
std::optional<char32_t> accessKey(std::string_view label) {
  for (std::size_t pos = 0; pos + 1 < label.size(); ++pos) {
    if (label[pos] != '&') continue;
    if (label[pos + 1] == '&') {
      ++pos;
      continue;
    }
    std::size_t next = pos + 1;
    char32_t c = nextCodePoint(label, next);
    if (c >= U'A' && c <= U'Z') c += 0x20;
    if (c >= 0x410 && c <= 0x42F) c += 0x20;
    if (c >= 0x400 && c <= 0x40F) c += 0x50;
    if (c == 0x490) c = 0x491;
    return c;
  }
  return std::nullopt;
}

// Labels shown side by side must not share an access key.
void expectDistinctAccessKeys(const std::vector<std::string>& labels, const std::string& where) {
  std::map<char32_t, std::string> seen;
  for (const auto& label : labels) {
    const auto key = accessKey(label);
    if (!key) continue;
    const auto [it, inserted] = seen.emplace(*key, label);
    EXPECT_TRUE(inserted) << where << ": \"" << label << "\" and \"" << it->second << "\" share an access key";
  }
}

void expectDistinctAccessKeysInMenu(const std::vector<MenuItem>& items, const std::string& where) {
  expectDistinctAccessKeys(texts(items), where);
  for (const auto& item : items) {
    if (item.kind == MenuItem::Kind::Popup) expectDistinctAccessKeysInMenu(item.items, where + " > " + item.text);
  }
}

TEST(ResourceMenus, TrayMenuOrderAndTexts) {
  const auto tray = loadMenu(kTrayMenuId, UiLanguage::English);
  EXPECT_EQ(commands(tray), (std::vector<int>{32784, 32779, 32777, 32781, 186, 57664, 57665}));
  EXPECT_EQ(texts(tray), (std::vector<std::string>{"Turn off", "Show", "Show Clock", "Calendar in tray", "Copy Date",
                                                   "&About Kalvory", "Exit"}));
  // Position 0 is "Turn off" and position 1 the default "Show" in every language.
  for (auto language : kLanguages) {
    const auto items = loadMenu(kTrayMenuId, language);
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].command, 32784);
    EXPECT_EQ(items[1].command, 32779);
  }
  EXPECT_EQ(loadMenu(kTrayMenuId, UiLanguage::Russian)[1].text, "Показать");
}

TEST(ResourceMenus, ListMenusAndMainMenu) {
  EXPECT_EQ(commands(loadMenu(kReminderListMenuId, UiLanguage::English)), (std::vector<int>{159, 160, 161, 162}));
  EXPECT_EQ(texts(loadMenu(kReminderListMenuId, UiLanguage::English)),
            (std::vector<std::string>{"Add", "Delete", "Modify", "Active"}));
  EXPECT_EQ(commands(loadMenu(kDayNoteListMenuId, UiLanguage::English)), (std::vector<int>{159, 160, 161}));

  const auto main = loadMenu(kMainMenuId, UiLanguage::English);
  ASSERT_FALSE(main.empty());
  EXPECT_EQ(main[0].kind, MenuItem::Kind::Command);  // the logo item comes first
  EXPECT_EQ(main[0].command, 57664);

  // Every command of the frame that has a menu text is reachable, with the frame's texts.
  std::map<int, std::string> found;
  auto collect = [&found](auto& self, const std::vector<MenuItem>& items) -> void {
    for (const auto& item : items) {
      if (item.kind == MenuItem::Kind::Command) found.emplace(item.command, item.text);
      if (item.kind == MenuItem::Kind::Popup) self(self, item.items);
    }
  };
  collect(collect, std::vector<MenuItem>(main.begin() + 1, main.end()));
  const std::map<int, std::string> frameTexts{{32777, "Show &clock"},    {32781, "Calendar in &tray"},
                                              {32785, "&Russian"},       {32786, "&English"},
                                              {32814, "Ukrainian"},      {32789, "&Configuration"},
                                              {32790, "&Reminders"},     {32800, "Stopwatch"},
                                              {57664, "&About Kalvory"}, {57665, "&Exit"}};
  for (const auto& [command, text] : frameTexts) {
    ASSERT_TRUE(found.count(command)) << command;
    EXPECT_EQ(found[command], text) << command;
  }
  for (int command : {57600, 57601, 57603, 57604}) EXPECT_TRUE(found.count(command)) << command;

  EXPECT_TRUE(loadMenu(999, UiLanguage::English).empty());
  EXPECT_EQ(menuIds(), (std::vector<int>{128, 136, 158, 159}));
}

TEST(ResourceMenus, SameShapeInEveryLanguage) {
  for (int menu : menuIds()) {
    const auto english = loadMenu(menu, UiLanguage::English);
    for (auto language : {UiLanguage::Russian, UiLanguage::Ukrainian}) {
      const auto translated = loadMenu(menu, language);
      EXPECT_EQ(shape(translated), shape(english)) << menu;
      EXPECT_NE(texts(translated), texts(english)) << menu;  // really translated
    }
  }
}

TEST(ResourceMenus, AccessKeysDoNotCollide) {
  for (int menu : menuIds()) {
    for (auto language : kLanguages) {
      expectDistinctAccessKeysInMenu(loadMenu(menu, language), "menu " + std::to_string(menu) + " language " +
                                                                   std::to_string(static_cast<int>(language)));
    }
  }
  // Dialogs and configuration pages; the English labels are the program's own as given, so only
  // the translations are held to this.
  for (auto language : {UiLanguage::Russian, UiLanguage::Ukrainian}) {
    const std::string suffix = " language " + std::to_string(static_cast<int>(language));
    using S = StringId;
    const std::vector<std::vector<StringId>> dialogs{
        {S::SymbolsCaption, S::SymbolLabel, S::Ok, S::Cancel},
        {S::TurnOffCaption, S::RemindInLabel, S::RemindOnLabel, S::TurnOffAlarmLabel, S::MinutesUnit,
         S::ExecuteExitAction, S::AlwaysPerformAction, S::Ok, S::Cancel},
        {S::Reminder,
         S::MessageLabel,
         S::ActiveLabel,
         S::DisplayMessageFor,
         S::SecondsUnit,
         S::TimeGroup,
         S::TimerModeLabel,
         S::DailyLabel,
         S::ShortSunday,
         S::ShortMonday,
         S::ShortTuesday,
         S::ShortWednesday,
         S::ShortThursday,
         S::ShortFriday,
         S::ShortSaturday,
         S::OsdMessageLabel,
         S::NotifierPopupLabel,
         S::ReminderWallpaperLabel,
         S::StickerChoiceLabel,
         S::PlaySoundLabel,
         S::ExecuteApplicationLabel,
         S::WhenFinishedLabel,
         S::Ok,
         S::Cancel,
         S::InsertSpecialSymbol},
        {S::DayNoteCaption, S::NoteLabel, S::EventTypeLabel, S::EventIntervalLabel, S::DaysUnit,
         S::DayNoteWallpaperLabel, S::BlockWallpaperChanger, S::StickerChoiceLabel, S::Ok, S::Cancel},
        {S::ConfigurationCaption, S::Ok, S::Cancel}};
    for (const auto& dialog : dialogs) {
      std::vector<std::string> labels;
      for (StringId id : dialog) labels.push_back(loadString(id, language));
      expectDistinctAccessKeys(labels, "dialog " + loadString(dialog.front(), UiLanguage::English) + suffix);
    }
    const std::vector<std::vector<int>> pages{{4, 27, 29, 30, 31, 70},
                                              {33, 34, 35, 36},
                                              {37, 38, 39, 40, 41, 73},
                                              {5113, 5114, 5115, 5116, 5118, 5119, 5122, 5123}};
    for (const auto& page : pages) {
      std::vector<std::string> labels;
      for (int id : page) labels.push_back(loadString(id, language));
      expectDistinctAccessKeys(labels, "page of string " + std::to_string(page.front()) + suffix);
    }
  }
}

}  // namespace
}  // namespace kalvory
