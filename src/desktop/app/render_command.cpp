#include "desktop/app/render_command.h"

#include <QFileInfo>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>

#include "core/common/date_time.h"
#include "desktop/calendar/calendar_render.h"
#include "desktop/clock/clock_render.h"
#include "desktop/common/render_request.h"
#include "desktop/editors/alarm_dialog_render.h"
#include "desktop/lists/lists_render.h"
#include "desktop/missed/missed_render.h"
#include "desktop/notifier/notifier_render.h"
#include "desktop/osd/osd_render.h"
#include "desktop/stopwatch/stopwatch_render.h"

namespace kalvory {

const char* const kRenderUsage =
    "  --render KIND  draw one window's image to --out FILE.png and exit; KIND is one of the\n"
    "                 names listed by --render help; with --text T, --format F,\n"
    "                 --time \"YYYY-MM-DD HH:MM:SS\" or --date YYYY-MM-DD, --skin FILE,\n"
    "                 --config FILE, --doc FILE,\n"
    "                 --lang en|ru|uk\n"
    "                 stopwatch: --text SECONDS is the elapsed time shown, as 3723.456\n";

namespace {

using Renderer = std::function<RenderResult(const RenderRequest&)>;

// Every window that can draw itself to a file.
const std::map<QString, Renderer>& renderers() {
  static const std::map<QString, Renderer> table = {
      {QStringLiteral("analog-clock"), renderAnalogClock},
      {QStringLiteral("stopwatch"), renderStopwatch},
      {QStringLiteral("calendar"), renderCalendar},
      {QStringLiteral("osd-text"), renderOsdText},
      {QStringLiteral("osd-clock"), renderOsdClock},
      {QStringLiteral("lists"), renderListsWindow},
      {QStringLiteral("reminder-editor"), renderReminderEditor},
      {QStringLiteral("missed-reminders"), renderMissedReminders},
      {QStringLiteral("notifier"), renderNotifier},  // --skin: a notifier definition file
  };
  return table;
}

int fail(const QString& message) {
  std::fprintf(stderr, "kalvory --render: %s\n", message.toLocal8Bit().constData());
  return 1;
}

std::optional<COleDateTime> parseTime(const QString& text) {
  int year, month, day, hour, minute, second;
  char tail;
  if (std::sscanf(text.toLatin1().constData(), "%d-%d-%d %d:%d:%d%c", &year, &month, &day, &hour, &minute, &second,
                  &tail) != 6)
    return std::nullopt;
  const COleDateTime time(year, month, day, hour, minute, second);
  if (!time.isValid()) return std::nullopt;
  return time;
}

}  // namespace

int runRenderCommand(const QStringList& arguments) {
  RenderRequest request;
  request.time = systemNow();
  QString out;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& name = arguments[i];
    if (i + 1 >= arguments.size()) return fail(QStringLiteral("%1 needs a value").arg(name));
    const QString value = arguments[++i];
    if (name == QLatin1String("--render")) {
      request.kind = value;
    } else if (name == QLatin1String("--text")) {
      request.text = value;
    } else if (name == QLatin1String("--format")) {
      request.format = value;
    } else if (name == QLatin1String("--time")) {
      const auto time = parseTime(value);
      if (!time) return fail(QStringLiteral("--time wants \"YYYY-MM-DD HH:MM:SS\", not \"%1\"").arg(value));
      request.time = *time;
    } else if (name == QLatin1String("--date")) {
      const auto time = parseTime(value + QStringLiteral(" 00:00:00"));
      if (!time) return fail(QStringLiteral("--date wants \"YYYY-MM-DD\", not \"%1\"").arg(value));
      request.time = *time;
    } else if (name == QLatin1String("--skin")) {
      request.skinFile = value;
    } else if (name == QLatin1String("--config")) {
      request.configFile = value;
    } else if (name == QLatin1String("--doc")) {
      request.documentFile = value;
    } else if (name == QLatin1String("--lang")) {
      static const std::map<QString, int> languages = {{"ru", 0}, {"en", 1}, {"uk", 2}};
      const auto found = languages.find(value);
      if (found == languages.end()) return fail(QStringLiteral("--lang is en, ru or uk, not \"%1\"").arg(value));
      request.language = found->second;
    } else if (name == QLatin1String("--out")) {
      out = value;
    } else {
      return fail(QStringLiteral("unknown option %1").arg(name));
    }
  }
  if (request.kind == QLatin1String("help")) {
    for (const auto& [kind, unused] : renderers()) std::printf("%s\n", kind.toLocal8Bit().constData());
    return 0;
  }
  const auto renderer = renderers().find(request.kind);
  if (renderer == renderers().end()) {
    QStringList kinds;
    for (const auto& [kind, unused] : renderers()) kinds << kind;
    return fail(
        QStringLiteral("unknown window \"%1\"; one of: %2").arg(request.kind, kinds.join(QStringLiteral(", "))));
  }
  if (out.isEmpty()) return fail(QStringLiteral("--out FILE.png is missing"));
  for (const QString& file : {request.skinFile, request.configFile, request.documentFile})
    if (!file.isEmpty() && !QFileInfo(file).isFile()) return fail(QStringLiteral("cannot read %1").arg(file));
  const RenderResult result = renderer->second(request);
  if (!result.error.isEmpty()) return fail(result.error);
  QImage image = result.image.convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) return fail(QStringLiteral("nothing was drawn"));
  if (!image.save(out, "PNG")) return fail(QStringLiteral("cannot write %1").arg(out));
  return 0;
}

}  // namespace kalvory
