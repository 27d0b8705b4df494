#include "core/model/alarm_doc.h"

#include <stdexcept>

#include "core/model/archive.h"
#include "core/model/moment.h"
#include "core/model/record_times.h"

namespace kalvory {

namespace {

template <class List>
auto* recordAt(List& list, std::ptrdiff_t index) {
  using Record = typename List::value_type::element_type;
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return static_cast<Record*>(nullptr);
  return list[static_cast<std::size_t>(index)].get();
}

template <class List>
auto* nextAtCursor(List& list, std::size_t& cursor) {
  using Record = typename List::value_type::element_type;
  if (cursor >= list.size()) return static_cast<Record*>(nullptr);
  return list[cursor++].get();
}

// Removing a record before the cursor moves the cursor back with the records, so the walk
// neither skips nor repeats one.
template <class List>
bool removeAt(List& list, std::ptrdiff_t index, std::size_t& cursor) {
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return false;
  const auto position = static_cast<std::size_t>(index);
  list.erase(list.begin() + index);
  if (position < cursor) --cursor;
  return true;
}

template <class List>
typename List::value_type takeAt(List& list, std::ptrdiff_t index, std::size_t& cursor) {
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return nullptr;
  typename List::value_type record = std::move(list[static_cast<std::size_t>(index)]);
  removeAt(list, index, cursor);
  return record;
}

// A record put in before the cursor moves the cursor on with the record it stood at.
template <class List>
auto* insertAt(List& list, typename List::value_type record, std::ptrdiff_t index, std::size_t& cursor) {
  const std::size_t position =
      index < 0 || static_cast<std::size_t>(index) > list.size() ? list.size() : static_cast<std::size_t>(index);
  if (position < cursor) ++cursor;
  return list.insert(list.begin() + static_cast<std::ptrdiff_t>(position), std::move(record))->get();
}

}  // namespace

CAlarmDoc::CAlarmDoc() = default;

// ---------------------------------------------------------------- reminders

CAlarmLine* CAlarmDoc::GetFirstAlarm() {
  alarmCursor_ = 0;
  return GetNextAlarm();
}

CAlarmLine* CAlarmDoc::GetNextAlarm() { return nextAtCursor(alarms_, alarmCursor_); }

CAlarmLine* CAlarmDoc::GetAlarmAt(std::ptrdiff_t index) { return recordAt(alarms_, index); }

const CAlarmLine* CAlarmDoc::GetAlarmAt(std::ptrdiff_t index) const { return recordAt(alarms_, index); }

CAlarmLine* CAlarmDoc::AddAlarm(const CAlarmLine& line) {
  auto record = std::make_unique<CAlarmLine>(line.time, line.show_seconds);
  record->copyFrom(line);
  alarms_.push_back(std::move(record));
  SetModifiedFlag();
  return alarms_.back().get();
}

CAlarmLine* CAlarmDoc::ReplaceAlarm(const CAlarmLine& line, std::ptrdiff_t index) {
  CAlarmLine* target = GetAlarmAt(index);
  if (target == nullptr) return AddAlarm(line);
  target->copyFrom(line);
  SetModifiedFlag();
  return target;
}

void CAlarmDoc::RemoveAlarm(std::ptrdiff_t index) {
  if (removeAt(alarms_, index, alarmCursor_)) SetModifiedFlag();
}

std::unique_ptr<CAlarmLine> CAlarmDoc::TakeAlarm(std::ptrdiff_t index) {
  std::unique_ptr<CAlarmLine> line = takeAt(alarms_, index, alarmCursor_);
  if (line) SetModifiedFlag();
  return line;
}

CAlarmLine* CAlarmDoc::InsertAlarm(std::unique_ptr<CAlarmLine> line, std::ptrdiff_t index) {
  if (!line) return nullptr;
  SetModifiedFlag();
  return insertAt(alarms_, std::move(line), index, alarmCursor_);
}

void CAlarmDoc::RemoveAllAlarms() {
  alarms_.clear();
  alarmCursor_ = 0;
}

// ---------------------------------------------------------------- day notes

CDayInfo* CAlarmDoc::GetFirstDayInfo() {
  dayInfoCursor_ = 0;
  return GetNextDayInfo();
}

CDayInfo* CAlarmDoc::GetNextDayInfo() { return nextAtCursor(dayInfos_, dayInfoCursor_); }

CDayInfo* CAlarmDoc::GetDayInfoAt(std::ptrdiff_t index) { return recordAt(dayInfos_, index); }

const CDayInfo* CAlarmDoc::GetDayInfoAt(std::ptrdiff_t index) const { return recordAt(dayInfos_, index); }

CDayInfo* CAlarmDoc::AddDayInfo(const CDayInfo& info) {
  dayInfos_.push_back(std::make_unique<CDayInfo>(info));
  SetModifiedFlag();
  return dayInfos_.back().get();
}

CDayInfo* CAlarmDoc::ReplaceDayInfo(const CDayInfo& info, std::ptrdiff_t index) {
  CDayInfo* target = GetDayInfoAt(index);
  if (target == nullptr) return AddDayInfo(info);
  target->copyFrom(info);
  SetModifiedFlag();
  return target;
}

void CAlarmDoc::RemoveDayInfo(std::ptrdiff_t index) {
  if (removeAt(dayInfos_, index, dayInfoCursor_)) SetModifiedFlag();
}

std::unique_ptr<CDayInfo> CAlarmDoc::TakeDayInfo(std::ptrdiff_t index) {
  std::unique_ptr<CDayInfo> info = takeAt(dayInfos_, index, dayInfoCursor_);
  if (info) SetModifiedFlag();
  return info;
}

CDayInfo* CAlarmDoc::InsertDayInfo(std::unique_ptr<CDayInfo> info, std::ptrdiff_t index) {
  if (!info) return nullptr;
  SetModifiedFlag();
  return insertAt(dayInfos_, std::move(info), index, dayInfoCursor_);
}

void CAlarmDoc::RemoveAllDayInfos() {
  dayInfos_.clear();
  dayInfoCursor_ = 0;
}

// ---------------------------------------------------------------- derived texts

std::optional<CAlarmDoc::NextReminder> CAlarmDoc::nextReminder(const COleDateTime& now) const {
  const record_times::Now moment(now);
  const CAlarmLine* best = nullptr;
  std::int64_t bestFire = 0;
  for (const auto& line : alarms_) {
    // A reminder without a coming showing (switched off, or its window over) is never the
    // next one, whatever its showing length.
    const auto fire = record_times::nextFireSecond(*line, moment);
    if (!fire) continue;
    const std::int64_t end = *fire + line->show_seconds;
    if (end <= moment.seconds) continue;
    // A later reminder takes over only when it is over before the current best begins.
    if (best == nullptr || bestFire > end) {
      best = line.get();
      bestFire = *fire;
    }
  }
  if (best == nullptr) return std::nullopt;
  return NextReminder{best, moment::fromSeconds(bestFire)};
}

std::string CAlarmDoc::nextReminderText(const COleDateTime& now, UiLanguage language) const {
  const auto next = nextReminder(now);
  if (!next) return {};
  return nextReminderLine(*next->line, next->fireTime, now, language);
}

const CDayInfo* CAlarmDoc::nextDayEvent(const COleDateTime& now) const {
  const CDayInfo* best = nullptr;
  std::int64_t bestDay = 0;
  const auto today = moment::toDay(now);
  if (!today) return nullptr;
  for (const auto& info : dayInfos_) {
    const auto next = record_times::nextDay(*info, *today);
    if (!next) continue;
    const std::int64_t day = *next;
    if (day < *today) continue;
    if (best == nullptr || bestDay >= day) {
      best = info.get();
      bestDay = day;
    }
  }
  return best;
}

std::string CAlarmDoc::nextDayEventText(const COleDateTime& now, UiLanguage language) const {
  const CDayInfo* event = nextDayEvent(now);
  return event != nullptr ? event->eventText(now, language) : std::string();
}

const CDayInfo* CAlarmDoc::lastMatchingDayInfo(const COleDateTime& date) const {
  for (auto it = dayInfos_.rbegin(); it != dayInfos_.rend(); ++it) {
    if ((*it)->matches(date)) return it->get();
  }
  return nullptr;
}

std::string CAlarmDoc::joinedDayTexts(const COleDateTime& date) const {
  std::string joined;
  for (const auto& info : dayInfos_) {
    if (info->matches(date)) joined += info->text + " ";
  }
  return joined;
}

// ---------------------------------------------------------------- definitions and settings

std::string CAlarmDoc::defaultNotifierName() const {
  for (const auto& notifier : notifiers) {
    if (notifier.isDefault) return notifier.name;
  }
  return kNoDefaultName;
}

std::string CAlarmDoc::defaultStickerName() const {
  for (const auto& sticker : stickers) {
    if (sticker.isDefault) return sticker.name;
  }
  return kNoDefaultName;
}

const std::string& CAlarmDoc::pasteFormatAt(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= paste_formats.size()) {
    throw std::invalid_argument("QuickPaste index " + std::to_string(index) + " is outside the " +
                                std::to_string(paste_formats.size()) + " formats");
  }
  return paste_formats[static_cast<std::size_t>(index)];
}

// ---------------------------------------------------------------- document life

void CAlarmDoc::OnNewDocument() {
  RemoveAllAlarms();
  RemoveAllDayInfos();
  if (definitionsLoader) {
    notifiers.clear();
    stickers.clear();
    definitionsLoader(*this);
  }
  SetModifiedFlag(false);
}

void CAlarmDoc::OnCloseDocument() {
  RemoveAllAlarms();
  RemoveAllDayInfos();
  notifiers.clear();
  stickers.clear();
}

void CAlarmDoc::load(ArchiveReader& archive) {
  // Everything is read aside first: a file that breaks off halfway must not leave half of
  // its records in the document, where a save would write them over the user's file.
  AlarmList alarms;
  DayInfoList dayInfos;
  const COleDateTime now = systemNow();
  const int showSeconds = newReminderShowSeconds;

  std::size_t countOffset = archive.offset();
  std::uint32_t count = archive.readCount();
  archive.requireItems(count, 2, "reminder", countOffset);  // each element takes at least its tag
  alarms.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    auto line = archive.readObject<CAlarmLine>([&] { return std::make_unique<CAlarmLine>(now, showSeconds); });
    if (line) alarms.push_back(std::move(line));  // a null element is skipped
  }

  countOffset = archive.offset();
  count = archive.readCount();
  archive.requireItems(count, 2, "day note", countOffset);
  dayInfos.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    auto info = archive.readObject<CDayInfo>([&] { return std::make_unique<CDayInfo>(now); });
    if (info) dayInfos.push_back(std::move(info));
  }

  std::string copyDateFormat = archive.readString();
  std::vector<std::string> pasteFormats = archive.readStringArray();
  const COleDateTime countdownTarget = archive.readDateTime();

  alarms_ = std::move(alarms);
  dayInfos_ = std::move(dayInfos);
  alarmCursor_ = 0;
  dayInfoCursor_ = 0;
  copy_date_format = std::move(copyDateFormat);
  paste_formats = std::move(pasteFormats);
  countdown_target = countdownTarget;
  if (definitionsLoader) {
    notifiers.clear();
    stickers.clear();
    definitionsLoader(*this);
  }
  SetModifiedFlag(false);
}

void CAlarmDoc::store(ArchiveWriter& archive, const StoreOptions& options) const {
  archive.writeCount(alarms_.size());
  for (const auto& line : alarms_) archive.writeObject(*line, options.alarmSchema);
  archive.writeCount(dayInfos_.size());
  for (const auto& info : dayInfos_) archive.writeObject(*info, options.dayInfoSchema);
  archive.writeString(copy_date_format);
  archive.writeStringArray(paste_formats);
  archive.writeDateTime(countdown_target);
}

}  // namespace kalvory
