#include "desktop/missed/missed_texts.h"

namespace kalvory {

QString missedText(MissedText text, UiLanguage language) {
  const int column = language == UiLanguage::Russian ? 1 : language == UiLanguage::Ukrainian ? 2 : 0;
  static const char* const kTexts[][3] = {
      {"While you were away", "Пока вас не было", "Поки вас не було"},
      {"These reminders came due while the computer slept or the program was not running:",
       "Эти напоминания сработали, пока компьютер спал или программа не работала:",
       "Ці нагадування спрацювали, поки комп'ютер спав або програма не працювала:"},
      {"Time", "Время", "Час"},
      {"Reminder", "Напоминание", "Нагадування"},
      {"Postpone 5 min", "Отложить на 5 мин", "Відкласти на 5 хв"},
      {"Turn off", "Отключить", "Вимкнути"},
      {"Postpone all 5 min", "Отложить все на 5 мин", "Відкласти всі на 5 хв"},
      {"Turn off all", "Отключить все", "Вимкнути всі"},
  };
  return QString::fromUtf8(kTexts[static_cast<int>(text)][column]);
}

}  // namespace kalvory
