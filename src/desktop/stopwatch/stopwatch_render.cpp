#include "desktop/stopwatch/stopwatch_render.h"

#include <QRegularExpression>
#include <cmath>

#include "desktop/common/picture_shape.h"
#include "desktop/stopwatch/stopwatch_dlg.h"

namespace kalvory {

std::int64_t stopwatchRenderMilliseconds(const QString& text) {
  if (text.isEmpty()) return 0;
  // Digits with at most three decimals: a time the stopwatch can show, to the millisecond.
  static const QRegularExpression seconds(QStringLiteral("^(\\d{1,10})(?:\\.(\\d{1,3}))?$"));
  const QRegularExpressionMatch match = seconds.match(text.trimmed());
  if (!match.hasMatch()) return -1;
  const std::int64_t whole = match.captured(1).toLongLong();
  const QString fraction = match.captured(2).leftJustified(3, QLatin1Char('0'));
  return whole * 1000 + fraction.toInt();
}

RenderResult renderStopwatch(const RenderRequest& request) {
  const std::int64_t elapsed = stopwatchRenderMilliseconds(request.text);
  if (elapsed < 0)
    return {
        {},
        QStringLiteral("stopwatch: --text wants the elapsed seconds, as in 3723.456, not \"%1\"").arg(request.text)};
  // A clock that has moved on by exactly the elapsed time since the window opened.
  bool opened = false;
  CStopWatchDlg window([&opened, elapsed]() -> std::int64_t {
    const std::int64_t now = opened ? elapsed : 0;
    opened = true;
    return now;
  });
  window.Refresh();
  return {imageWithShape(window.grab().toImage(), window.shape()), {}};
}

}  // namespace kalvory
