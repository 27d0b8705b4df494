#pragma once

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "core/common/date_time.h"
#include "core/common/result.h"
#include "core/model/quick_add.h"

namespace kalvory {

class DocumentController;
struct ApplicationSettings;

// "kalvory --add TEXT --at WHEN [--daily] [--weekdays ...] [--timer MINUTES]": the reminder
// typed on the desktop program's command line. A running copy gets it over the single-instance
// socket as one line, "add " and the request as base64 JSON, and answers "ok " with the
// reminder's schedule text or "error " with the reason (both base64); a copy that starts with
// it adds it to the document it opens.
class QuickAddHandler {
 public:
  // Takes the quick-add options out of `arguments`. nullopt when there is no "--add"; a
  // Failure for options without "--add", a missing value or a time that does not read (the
  // time is checked against `now`, so that a mistake is told before anything starts).
  static Result<std::optional<QuickAddRequest>> takeArguments(QStringList& arguments, const COleDateTime& now);

  // The request line a second copy sends, and the request read back from its argument.
  static QByteArray requestLine(const QuickAddRequest& request);
  static std::optional<QuickAddRequest> parseRequest(const QByteArray& argument);
  // The answer line and what it says: the schedule text on success, the failure otherwise.
  static QByteArray answerLine(const Result<std::string>& outcome);
  static Result<std::string> parseAnswer(const QByteArray& line);

  QuickAddHandler(DocumentController& documents, const ApplicationSettings& settings, Clock clock);

  // Adds the reminder to the open document (marked modified, and saved at once when
  // "SaveDocumentOnExit" is on and the document has a file) and announces the change to every
  // window. Gives the reminder's schedule text, or why it was refused.
  Result<std::string> add(const QuickAddRequest& request);
  // The socket's "add" verb: the argument in, the answer line out.
  QByteArray answer(const QByteArray& argument);

 private:
  DocumentController& documents_;
  const ApplicationSettings& settings_;
  Clock clock_;
};

}  // namespace kalvory
