#include "desktop/common/language_forms.h"

#include <QRegularExpression>
#include <algorithm>
#include <vector>

#include "core/model/alarm_line.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

QLocale uiLocale(UiLanguage language) {
  switch (language) {
    case UiLanguage::Russian:
      return QLocale(QLocale::Russian, QLocale::Russia);
    case UiLanguage::Ukrainian:
      return QLocale(QLocale::Ukrainian, QLocale::Ukraine);
    case UiLanguage::English:
      break;
  }
  return QLocale(QLocale::English, QLocale::UnitedStates);
}

QString shortDateFormat(UiLanguage language) {
  return language == UiLanguage::English ? QStringLiteral("MM/dd/yyyy") : QStringLiteral("dd.MM.yyyy");
}

QString shortTimeFormat() { return QStringLiteral("HH:mm"); }

QString shortDate(const QDate& date, UiLanguage language) {
  // Formatting through the C locale keeps the digits ASCII whatever the system's locale is.
  return date.isValid() ? QLocale::c().toString(date, shortDateFormat(language)) : QString();
}

QString shortDate(const COleDateTime& date, UiLanguage language) {
  if (!date.isValid()) return {};
  return shortDate(QDate(date.GetYear(), date.GetMonth(), date.GetDay()), language);
}

QString shortTime(const QTime& time) {
  return time.isValid() ? QLocale::c().toString(time, shortTimeFormat()) : QString();
}

QString shortDateTime(const COleDateTime& moment, UiLanguage language) {
  if (!moment.isValid()) return {};
  return shortDate(moment, language) + QLatin1Char(' ') + shortTime(QTime(moment.GetHour(), moment.GetMinute()));
}

PluralCategory pluralCategory(long long count, UiLanguage language) {
  const long long n = count < 0 ? -count : count;
  if (language == UiLanguage::English) return n == 1 ? PluralCategory::One : PluralCategory::Many;
  const long long lastDigit = n % 10;
  const long long lastTwo = n % 100;
  if (lastDigit == 1 && lastTwo != 11) return PluralCategory::One;
  if (lastDigit >= 2 && lastDigit <= 4 && (lastTwo < 12 || lastTwo > 14)) return PluralCategory::Few;
  return PluralCategory::Many;
}

QString pluralWord(StringId forms, long long count, UiLanguage language) {
  const std::vector<std::string> words = loadStringList(forms, language);
  if (words.empty()) return {};
  const auto index = static_cast<std::size_t>(pluralCategory(count, language));
  return toQString(words[std::min(index, words.size() - 1)]);
}

QString reminderScheduleText(const CAlarmLine& line, UiLanguage language) {
  if (line.daily != 0) {
    const QString time = line.time.isValid() ? shortTime(QTime(line.time.GetHour(), line.time.GetMinute())) : QString();
    return toQString(loadString(StringId::ScheduleDaily, language)).replace(QLatin1String("%s"), time);
  }
  if (line.timer_mode != 0) {
    const int minutes = std::max(line.timer_minutes, 0);
    const QString length = QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
    return toQString(loadString(StringId::ScheduleTimer, language)).replace(QLatin1String("%s"), length);
  }
  return shortDateTime(line.time, language);
}

QStringList scheduleTextSamples() {
  QStringList samples;
  for (const UiLanguage language : {UiLanguage::Russian, UiLanguage::English, UiLanguage::Ukrainian}) {
    samples << shortDateTime(COleDateTime(2000, 10, 20, 20, 0, 0), language)
                   .replace(QRegularExpression(QStringLiteral("[0-9]")), QStringLiteral("0"));
    samples << toQString(loadString(StringId::ScheduleDaily, language))
                   .replace(QLatin1String("%s"), QStringLiteral("00:00"));
    samples << toQString(loadString(StringId::ScheduleTimer, language))
                   .replace(QLatin1String("%s"), QStringLiteral("00:00"));
  }
  return samples;
}

}  // namespace kalvory
