#include "desktop/editors/open_file_filter.h"

namespace kalvory {

QStringList qtFileFilters(const QString& classicFilter) {
  QStringList parts = classicFilter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    QStringList patterns;
    for (const QString& raw : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QString pattern = raw.trimmed();
      if (pattern.isEmpty()) continue;
      if (pattern == QLatin1String("*.*")) {
        patterns << QStringLiteral("*");
        continue;
      }
      patterns << pattern;
      const QString upper = pattern.toUpper();
      if (upper != pattern) patterns << upper;
    }
    if (description.isEmpty() || patterns.isEmpty()) continue;
    patterns.removeDuplicates();
    filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
  }
  return filters;
}

}  // namespace kalvory
