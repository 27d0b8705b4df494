#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTime>

#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"

namespace kalvory {

class CAlarmLine;

// One form per interface language for every date and time the program's own windows show, so
// that the editors, the lists, the turn-off dialog and the configuration pages never disagree.
// English writes month/day/year (12/08/2026), as the program's English texts and QuickPaste
// defaults do; Russian and Ukrainian write day.month.year (08.12.2026). Times are 24-hour
// "HH:mm". The document's stored formats and the user's clock formats are not these.

// The locale of the interface language: names of days and months, the calendar pop-ups.
QLocale uiLocale(UiLanguage language);

// The pattern of a date in `language`, in Qt's date-edit form ("MM/dd/yyyy", "dd.MM.yyyy").
QString shortDateFormat(UiLanguage language);
// The pattern of a time of day ("HH:mm").
QString shortTimeFormat();

QString shortDate(const QDate& date, UiLanguage language);
QString shortDate(const COleDateTime& date, UiLanguage language);
QString shortTime(const QTime& time);
// The date, a blank and the time: "12/08/2026 10:48", "08.12.2026 10:48". An invalid value
// gives "", so a broken record shows an empty cell rather than "Invalid DateTime".
QString shortDateTime(const COleDateTime& moment, UiLanguage language);

// The plural category of a count: English knows one and other (given as Many); Russian and
// Ukrainian one (1, 21, 101), few (2-4, 22-24) and many (0, 5-20, 25-30, 11-14 included).
enum class PluralCategory { One, Few, Many };
PluralCategory pluralCategory(long long count, UiLanguage language);

// The word of a ";"-separated "one;few;many" resource string that goes with `count`
// ("second;seconds;seconds", "секунду;секунды;секунд").
QString pluralWord(StringId forms, long long count, UiLanguage language);

// The time column of the reminder list: "Daily: 07:30", "Timer: 1:05" (hours and two-digit
// minutes), else the date and time of a one-time reminder, with the words in `language`.
QString reminderScheduleText(const CAlarmLine& line, UiLanguage language);
// The longest forms that text takes in any language ("Ежедневно: 00:00", "00.00.0000 00:00"),
// so that a column can be made wide enough for each once and for all.
QStringList scheduleTextSamples();

}  // namespace kalvory
