#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "common/date_time.h"
#include "model/alarm_line.h"
#include "model/day_info.h"
#include "skins/definitions.h"

namespace kalvory {

class ArchiveReader;
class ArchiveWriter;

// The reminder document: reminders, day notes, the clipboard formats and the countdown target.
// It owns its records; the lists never hold an empty element and never share a record.
class CAlarmDoc {
 public:
  CAlarmDoc();

  // --- reminders
  CAlarmLine* GetFirstAlarm();   // cursor to the head; returns the first record or nullptr
  CAlarmLine* GetNextAlarm();    // the record at the cursor, advancing it
  CAlarmLine* GetAlarmAt(std::ptrdiff_t index);
  const CAlarmLine* GetAlarmAt(std::ptrdiff_t index) const;
  std::size_t alarmCount() const { return alarms_.size(); }
  void AddAlarm(const CAlarmLine& line);
  void ReplaceAlarm(const CAlarmLine& line, std::ptrdiff_t index);
  void RemoveAlarm(std::ptrdiff_t index);
  void RemoveAllAlarms();
  const std::list<std::unique_ptr<CAlarmLine>>& alarms() const { return alarms_; }

  // --- day notes
  CDayInfo* GetFirstDayInfo();
  CDayInfo* GetNextDayInfo();
  CDayInfo* GetDayInfoAt(std::ptrdiff_t index);
  const CDayInfo* GetDayInfoAt(std::ptrdiff_t index) const;
  std::size_t dayInfoCount() const { return dayInfos_.size(); }
  void AddDayInfo(const CDayInfo& info);
  void ReplaceDayInfo(const CDayInfo& info, std::ptrdiff_t index);  // appends when index is out of range
  void RemoveDayInfo(std::ptrdiff_t index);
  void RemoveAllDayInfos();
  const std::list<std::unique_ptr<CDayInfo>>& dayInfos() const { return dayInfos_; }

  // --- derived texts and lookups
  std::string nextReminderText(const COleDateTime& now, UiLanguage language) const;
  const CDayInfo* nextDayEvent(const COleDateTime& now) const;
  const CDayInfo* lastMatchingDayInfo(const COleDateTime& date) const;
  std::string joinedDayTexts(const COleDateTime& date) const;

  // --- definitions named by the records (filled on new and on load)
  std::vector<CTBNotifierContext> notifiers;
  std::vector<CWPStickerContext> stickers;
  std::string defaultNotifierName() const;  // "n/a" when none is marked default
  std::string defaultStickerName() const;
  // Fills the two lists; the desktop program and tools set it, the default leaves them empty.
  std::function<void(CAlarmDoc&)> definitionsLoader;

  // --- stored settings
  std::string copy_date_format = "%m/%d/%Y";
  std::vector<std::string> paste_formats{"%Y%d%m", "%x %X", "%V"};
  COleDateTime countdown_target;

  // Throws std::invalid_argument for an index outside paste_formats.
  const std::string& pasteFormatAt(int index) const;

  // --- document life
  void OnNewDocument();  // empties the lists, keeps the stored settings at their defaults, reloads definitions
  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified = true) { modified_ = modified; }

  // The whole stored form; on failure the document is left as it was and ArchiveError is thrown.
  void load(ArchiveReader& archive);
  void store(ArchiveWriter& archive) const;

 private:
  std::list<std::unique_ptr<CAlarmLine>> alarms_;
  std::list<std::unique_ptr<CDayInfo>> dayInfos_;
  std::list<std::unique_ptr<CAlarmLine>>::iterator alarmCursor_;
  std::list<std::unique_ptr<CDayInfo>>::iterator dayInfoCursor_;
  bool modified_ = false;
};

}  // namespace kalvory
