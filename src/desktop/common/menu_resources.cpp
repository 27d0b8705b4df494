#include "desktop/common/menu_resources.h"

#include "desktop/common/commands.h"

namespace kalvory {

namespace {

using Items = std::vector<MenuTemplateItem>;

MenuTemplateItem command(int id, std::string text) { return {id, std::move(text), {}}; }
MenuTemplateItem separator() { return {}; }

struct WindowMenuWords {
  const char *hide, *move, *close;
};
constexpr WindowMenuWords kEnglish{"&Hide", "&Move", "&Close"};
constexpr WindowMenuWords kRussian{"&Свернуть", "&Переместить", "&Закрыть"};
constexpr WindowMenuWords kUkrainian{"&Згорнути", "&Перемістити", "&Закрити"};

Items buildWindowMenu(const WindowMenuWords& w) {
  return {command(ID_SHOW_HIDE, w.hide), command(kWindowMenuMove, w.move), separator(),
          command(ID_APP_EXIT, w.close + std::string("\tAlt+F4"))};
}

}  // namespace

const std::vector<MenuTemplateItem>& windowMenuTemplate(UiLanguage language) {
  static const Items english = buildWindowMenu(kEnglish);
  static const Items russian = buildWindowMenu(kRussian);
  static const Items ukrainian = buildWindowMenu(kUkrainian);
  switch (language) {
    case UiLanguage::Russian:
      return russian;
    case UiLanguage::Ukrainian:
      return ukrainian;
    default:
      return english;
  }
}

}  // namespace kalvory
