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

std::string desktopText(DesktopText text, UiLanguage language) {
  const int l = language == UiLanguage::Russian ? 1 : language == UiLanguage::Ukrainian ? 2 : 0;
  static const char* const kTexts[][3] = {
      {"Recent File", "Последний файл", "Останній файл"},
      {"Untitled", "Безымянный", "Без назви"},
      {"Open", "Открыть", "Відкрити"},
      {"Save As", "Сохранить как", "Зберегти як"},
      {"About Kalvory", "О программе Kalvory", "Про програму Kalvory"},
      {"A resident reminder program: reminders, day notes, a month calendar and clocks on the desktop.\n"
       "Version %1",
       "Резидентная программа-напоминалка: напоминания, заметки по дням, календарь и часы на рабочем столе.\n"
       "Версия %1",
       "Резидентна програма-нагадувач: нагадування, нотатки за днями, календар і годинники на робочому столі.\n"
       "Версія %1"},
      {"Cannot open %1.\n%2", "Не удалось открыть %1.\n%2", "Не вдалося відкрити %1.\n%2"},
      {"Cannot save %1.\n%2", "Не удалось сохранить %1.\n%2", "Не вдалося зберегти %1.\n%2"},
      {"Restore unsaved changes to %1?", "Восстановить несохранённые изменения в %1?",
       "Відновити незбережені зміни в %1?"},
      {"Import from iCalendar", "Импорт из iCalendar", "Імпорт з iCalendar"},
      {"Export to iCalendar", "Экспорт в iCalendar", "Експорт в iCalendar"},
      {"iCalendar files (*.ics);;All files (*)", "Файлы iCalendar (*.ics);;Все файлы (*)",
       "Файли iCalendar (*.ics);;Усі файли (*)"},
      {"Cannot import %1.\n%2", "Не удалось импортировать %1.\n%2", "Не вдалося імпортувати %1.\n%2"},
      {"Cannot export to %1.\n%2", "Не удалось экспортировать в %1.\n%2", "Не вдалося експортувати в %1.\n%2"},
      {"Added from %1: reminders %2, day notes %3.\nNot imported, since the document cannot hold them:%4",
       "Добавлено из %1: напоминаний — %2, заметок — %3.\nНе импортировано, так как документ не может их хранить:%4",
       "Додано з %1: нагадувань — %2, нотаток — %3.\nНе імпортовано, бо документ не може їх зберігати:%4"},
      {"...and %1 more", "...и ещё %1", "...і ще %1"},
      {"This document starts programs when its reminders ring:\n\n%1\n\nAllow?",
       "Этот документ запускает программы, когда срабатывают его напоминания:\n\n%1\n\nРазрешить?",
       "Цей документ запускає програми, коли спрацьовують його нагадування:\n\n%1\n\nДозволити?"},
      {"... and %1 more", "... и ещё %1", "... і ще %1"},
  };
  return kTexts[static_cast<int>(text)][l];
}

}  // namespace kalvory
