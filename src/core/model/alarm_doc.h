#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/common/date_time.h"
#include "core/model/alarm_line.h"
#include "core/model/day_info.h"
#include "core/resources/resource_strings.h"
#include "core/skins/definitions.h"

namespace kalvory {

class ArchiveReader;
class ArchiveWriter;

// The reminder document: reminders, day notes, the clipboard formats and the countdown target.
// It owns its records; the lists never hold an empty element and never share a record. A
// record keeps its address while it stays in the document, whatever is added or removed.
class CAlarmDoc {
 public:
  using AlarmList = std::vector<std::unique_ptr<CAlarmLine>>;
  using DayInfoList = std::vector<std::unique_ptr<CDayInfo>>;

  static constexpr const char* kNoDefaultName = "n/a";

  CAlarmDoc();

  // --- reminders
  // The cursor walks: first returns the head and leaves the cursor on the second record, next
  // returns the record at the cursor and advances. Each list has its own cursor, and removing a
  // record keeps a walk in step.
  CAlarmLine* GetFirstAlarm();
  CAlarmLine* GetNextAlarm();
  CAlarmLine* GetAlarmAt(std::ptrdiff_t index);  // nullptr out of range
  const CAlarmLine* GetAlarmAt(std::ptrdiff_t index) const;
  std::size_t alarmCount() const { return alarms_.size(); }
  // Appends a copy (run-time fields start clear) and sets the modified flag.
  CAlarmLine* AddAlarm(const CAlarmLine& line);
  // Copies `line` into the record at `index` and sets the modified flag. A reminder that is no
  // longer there is appended as a copy instead, so the editor's work is never dropped.
  CAlarmLine* ReplaceAlarm(const CAlarmLine& line, std::ptrdiff_t index);
  void RemoveAlarm(std::ptrdiff_t index);  // out of range: nothing happens
  // Takes the record at `index` out of the list, run-time state and all, so that an undo can
  // put it back; nullptr out of range. Sets the modified flag.
  std::unique_ptr<CAlarmLine> TakeAlarm(std::ptrdiff_t index);
  // Puts a record in at `index` (at the end when past it) and sets the modified flag.
  CAlarmLine* InsertAlarm(std::unique_ptr<CAlarmLine> line, std::ptrdiff_t index);
  void RemoveAllAlarms();  // leaves the modified flag alone
  const AlarmList& alarms() const { return alarms_; }

  // --- day notes
  CDayInfo* GetFirstDayInfo();
  CDayInfo* GetNextDayInfo();
  CDayInfo* GetDayInfoAt(std::ptrdiff_t index);
  const CDayInfo* GetDayInfoAt(std::ptrdiff_t index) const;
  std::size_t dayInfoCount() const { return dayInfos_.size(); }
  CDayInfo* AddDayInfo(const CDayInfo& info);
  CDayInfo* ReplaceDayInfo(const CDayInfo& info, std::ptrdiff_t index);  // appends when index is out of range
  void RemoveDayInfo(std::ptrdiff_t index);
  std::unique_ptr<CDayInfo> TakeDayInfo(std::ptrdiff_t index);
  CDayInfo* InsertDayInfo(std::unique_ptr<CDayInfo> info, std::ptrdiff_t index);
  void RemoveAllDayInfos();
  const DayInfoList& dayInfos() const { return dayInfos_; }

  // --- derived texts and lookups
  struct NextReminder {
    const CAlarmLine* line = nullptr;
    COleDateTime fireTime;
  };
  // The reminder the main view announces, or nullopt when no reminder has a coming showing.
  std::optional<NextReminder> nextReminder(const COleDateTime& now) const;
  // "Tomorrow, 09:05: text" and the like; empty when there is no next reminder.
  std::string nextReminderText(const COleDateTime& now, UiLanguage language) const;
  // The note whose next date is the earliest from today on (the last in list order among
  // equals), or nullptr.
  const CDayInfo* nextDayEvent(const COleDateTime& now) const;
  std::string nextDayEventText(const COleDateTime& now, UiLanguage language) const;
  // The last note in list order that matches `date`, or nullptr.
  const CDayInfo* lastMatchingDayInfo(const COleDateTime& date) const;
  // The texts of all notes matching `date` in list order, each followed by one blank.
  std::string joinedDayTexts(const COleDateTime& date) const;

  // --- definitions named by the records (filled on new and on load)
  std::vector<CTBNotifierContext> notifiers;
  std::vector<CWPStickerContext> stickers;
  std::string defaultNotifierName() const;  // "n/a" when none is marked default
  std::string defaultStickerName() const;
  // Fills the two lists; the desktop program and tools set it, the default leaves them empty.
  std::function<void(CAlarmDoc&)> definitionsLoader;

  // The "ShowTime" setting: show_seconds of the records a load creates (fields that an older
  // stored schema lacks keep it).
  int newReminderShowSeconds = CAlarmLine::kDefaultShowSeconds;

  // --- stored settings
  std::string copy_date_format = "%m/%d/%Y";
  std::vector<std::string> paste_formats{"%Y%d%m", "%x %X", "%V"};
  COleDateTime countdown_target;

  // Throws std::invalid_argument for an index outside paste_formats.
  const std::string& pasteFormatAt(int index) const;

  // --- document life
  // Empties both lists and reloads the definitions; the stored settings stay as they are.
  void OnNewDocument();
  // Empties both lists and the definition lists.
  void OnCloseDocument();
  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified = true) { modified_ = modified; }

  // Which schema each record class is written with; tools use older ones to make old files.
  struct StoreOptions {
    int alarmSchema = CAlarmLine::kSchema;
    int dayInfoSchema = CDayInfo::kSchema;
  };

  // Reads the whole stored form into a fresh state and takes it over only when all of it was
  // read, so a damaged file leaves the document as it was (ArchiveError is thrown then).
  // On success the definitions are reloaded and the modified flag is cleared.
  void load(ArchiveReader& archive);
  void store(ArchiveWriter& archive, const StoreOptions& options) const;
  void store(ArchiveWriter& archive) const { store(archive, StoreOptions{}); }

 private:
  AlarmList alarms_;
  DayInfoList dayInfos_;
  std::size_t alarmCursor_ = 0;
  std::size_t dayInfoCursor_ = 0;
  bool modified_ = false;
};

}  // namespace kalvory
