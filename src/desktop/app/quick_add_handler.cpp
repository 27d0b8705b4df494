#include "desktop/app/quick_add_handler.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "core/settings/app_settings.h"
#include "desktop/common/qt_text.h"
#include "desktop/shell/document_controller.h"

namespace kalvory {

Result<std::optional<QuickAddRequest>> QuickAddHandler::takeArguments(QStringList& arguments, const COleDateTime& now) {
  QuickAddRequest request;
  bool add = false;
  bool any = false;
  QStringList rest;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    const bool takesValue = argument == QLatin1String("--add") || argument == QLatin1String("--at") ||
                            argument == QLatin1String("--weekdays") || argument == QLatin1String("--timer");
    if (argument == QLatin1String("--daily")) {
      request.daily = any = true;
      continue;
    }
    if (!takesValue) {
      rest << argument;
      continue;
    }
    any = true;
    if (i + 1 >= arguments.size()) return Failure{toStdString(argument) + " wants a value"};
    const std::string value = toStdString(arguments[++i]);
    if (argument == QLatin1String("--add")) {
      add = true;
      request.text = value;
    } else if (argument == QLatin1String("--at")) {
      request.when = value;
    } else if (argument == QLatin1String("--weekdays")) {
      request.weekdays = value;
    } else {
      bool number = false;
      request.timerMinutes = arguments[i].toInt(&number);
      if (!number) return Failure{"--timer wants whole minutes, not \"" + value + "\""};
    }
  }
  if (!any) return std::optional<QuickAddRequest>();
  if (!add) return Failure{"--at, --daily, --weekdays and --timer go with --add TEXT"};
  // Checked here so that a mistake is told on the terminal; the running copy checks again
  // against its own clock.
  Result<CAlarmLine> line = buildQuickReminder(request, now);
  if (!line.ok()) return Failure{line.error()};
  arguments = rest;
  return std::optional<QuickAddRequest>(request);
}

QByteArray QuickAddHandler::requestLine(const QuickAddRequest& request) {
  QJsonObject json;
  json[QStringLiteral("text")] = toQString(request.text);
  json[QStringLiteral("at")] = toQString(request.when);
  json[QStringLiteral("daily")] = request.daily;
  json[QStringLiteral("weekdays")] = toQString(request.weekdays);
  if (request.timerMinutes) json[QStringLiteral("timer")] = *request.timerMinutes;
  return "add " + QJsonDocument(json).toJson(QJsonDocument::Compact).toBase64() + "\n";
}

std::optional<QuickAddRequest> QuickAddHandler::parseRequest(const QByteArray& argument) {
  const auto decoded = QByteArray::fromBase64Encoding(argument, QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded) return std::nullopt;
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(*decoded, &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
  const QJsonObject json = document.object();
  if (!json.value(QStringLiteral("text")).isString()) return std::nullopt;
  QuickAddRequest request;
  request.text = toStdString(json.value(QStringLiteral("text")).toString());
  request.when = toStdString(json.value(QStringLiteral("at")).toString());
  request.daily = json.value(QStringLiteral("daily")).toBool();
  request.weekdays = toStdString(json.value(QStringLiteral("weekdays")).toString());
  if (json.contains(QStringLiteral("timer"))) {
    const QJsonValue timer = json.value(QStringLiteral("timer"));
    if (!timer.isDouble()) return std::nullopt;
    request.timerMinutes = timer.toInt();
  }
  return request;
}

QByteArray QuickAddHandler::answerLine(const Result<std::string>& outcome) {
  const std::string& text = outcome.ok() ? outcome.value() : outcome.error();
  return (outcome.ok() ? "ok " : "error ") + QByteArray::fromStdString(text).toBase64();
}

Result<std::string> QuickAddHandler::parseAnswer(const QByteArray& line) {
  const qsizetype blank = line.indexOf(' ');
  const QByteArray verb = line.left(blank);
  const auto text = QByteArray::fromBase64Encoding(blank < 0 ? QByteArray() : line.mid(blank + 1),
                                                   QByteArray::AbortOnBase64DecodingErrors);
  if (blank < 0 || !text || (verb != "ok" && verb != "error"))
    return Failure{"the running copy gave an answer that cannot be read"};
  if (verb == "error") return Failure{(*text).toStdString()};
  return (*text).toStdString();
}

QuickAddHandler::QuickAddHandler(DocumentController& documents, const ApplicationSettings& settings, Clock clock)
    : documents_(documents), settings_(settings), clock_(std::move(clock)) {
  if (!clock_) clock_ = systemNow;
}

Result<std::string> QuickAddHandler::add(const QuickAddRequest& request) {
  Result<CAlarmLine> line = buildQuickReminder(request, clock_(), settings_.text.show_time);
  if (!line.ok()) return Failure{line.error()};
  const CAlarmLine* added = documents_.document().AddAlarm(line.value());
  // The user asked for changes to be kept without a question; a quick add is kept at once,
  // so that it survives even if the program is ended without its exit.
  if (settings_.app.save_document_on_exit && !documents_.path().empty()) documents_.save();
  documents_.notifyChanged();
  return added->scheduleText();
}

QByteArray QuickAddHandler::answer(const QByteArray& argument) {
  const std::optional<QuickAddRequest> request = parseRequest(argument);
  if (!request) return answerLine(Failure{"the request cannot be read"});
  return answerLine(add(*request));
}

}  // namespace kalvory
