#include "desktop/shell/calendar_files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/model/alarm_doc.h"
#include "core/settings/data_folder.h"
#include "desktop/common/qt_text.h"
#include "platform/ical/ical_document.h"

namespace kalvory {

Result<CalendarImport> importCalendarFile(const std::string& path, CAlarmDoc& document, const COleDateTime& now,
                                          const std::string& documentPath) {
  // A pipe or a device could keep the program waiting for bytes that never come.
  const QFileInfo info(toQString(path));
  if (info.exists() && !info.isFile()) return Failure{"This is not a file."};
  QFile file(toQString(path));
  if (!file.open(QIODevice::ReadOnly)) return Failure{toStdString(file.errorString())};
  // Read one byte past the limit rather than trusting the size the file had a moment ago.
  const QByteArray bytes = file.read(static_cast<qint64>(kMaxCalendarFileBytes) + 1);
  if (file.error() != QFileDevice::NoError) return Failure{toStdString(file.errorString())};
  if (static_cast<std::size_t>(bytes.size()) > kMaxCalendarFileBytes)
    return Failure{"The file is larger than the " + std::to_string(kMaxCalendarFileBytes >> 20) +
                   " MB a calendar file may have."};

  // Read into a document of its own, so that a failure leaves the open one as it was.
  CAlarmDoc read;
  Result<IcsImport> imported =
      icsToDocument(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), read, now);
  if (!imported.ok()) return Failure{imported.error()};

  CalendarImport result;
  for (std::string& line : imported.value().skipped) {
    // Notes on the calendar's own X-KALVORY settings do not concern a merge, which keeps the
    // open document's settings anyway.
    if (line.rfind("calendar:", 0) == 0) continue;
    result.skipped.push_back(std::move(line));
  }
  // The records already there keep their UIDs and the added ones take the calendar's, so that
  // exporting back into that calendar updates its events instead of copying them.
  IcsUids uids;
  std::string storeFile;
  if (!documentPath.empty()) {
    std::string ignored;
    storeFile = icsUidStoreFile(dataFolderPath(), documentPath);
    uids = keepIcsUids(document, storeFile, ignored);
    const IcsUids& added = imported.value().uids;
    uids.reminders.insert(uids.reminders.end(), added.reminders.begin(), added.reminders.end());
    uids.notes.insert(uids.notes.end(), added.notes.begin(), added.notes.end());
  }
  for (const auto& line : read.alarms()) {
    document.AddAlarm(*line);
    ++result.reminders;
  }
  for (const auto& note : read.dayInfos()) {
    document.AddDayInfo(*note);
    ++result.notes;
  }
  if (result.reminders + result.notes > 0) document.SetModifiedFlag();
  if (!storeFile.empty() && result.reminders + result.notes > 0) {
    std::string ignored;
    rememberIcsUids(document, uids, storeFile, ignored);
  }
  return result;
}

Result<void> exportCalendarFile(const CAlarmDoc& document, const std::string& path, const COleDateTime& stamp,
                                const std::string& documentPath) {
  IcsUids uids;
  if (!documentPath.empty()) {
    // A store that cannot be written costs only the UIDs of the next export, not this one.
    std::string ignored;
    uids = keepIcsUids(document, icsUidStoreFile(dataFolderPath(), documentPath), ignored);
  } else {
    uids.reminders = matchRecordUids({}, {}, std::vector<std::uint64_t>(document.alarms().size()));
    uids.notes = matchRecordUids({}, {}, std::vector<std::uint64_t>(document.dayInfos().size()));
  }
  const std::string text = documentToIcs(document, stamp, uids);
  if (text.size() > kMaxCalendarFileBytes)
    return Failure{"The calendar would be " + std::to_string(text.size() >> 20) + " MB, more than the " +
                   std::to_string(kMaxCalendarFileBytes >> 20) + " MB an import reads."};
  QSaveFile file(toQString(path));
  if (!file.open(QIODevice::WriteOnly)) return Failure{toStdString(file.errorString())};
  if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) || !file.commit())
    return Failure{toStdString(file.errorString())};
  return {};
}

}  // namespace kalvory
