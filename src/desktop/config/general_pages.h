#pragma once

#include <array>
#include <functional>

#include "core/common/date_time.h"
#include "desktop/common/config_page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kalvory {

class FormatPreview;

// "General": loading the last document, saving on exit, the default message time, starting
// minimized (kept by the page only) and launching with the desktop session (an autostart entry);
// then what this program does beyond the original's: listing missed reminders, desktop
// notifications of a firing reminder, and waking the computer for one.
class CSetCommonDlgBar final : public ConfigPage {
  Q_OBJECT
 public:
  explicit CSetCommonDlgBar(UiLanguage language, ConfigPageServices services = {}, QWidget* parent = nullptr);
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;

  QCheckBox* launchBox() const { return launch_; }
  QCheckBox* loadLastBox() const { return loadLast_; }
  QCheckBox* minimizedBox() const { return minimized_; }
  QCheckBox* saveOnExitBox() const { return saveOnExit_; }
  QLineEdit* showTimeEdit() const { return showTime_; }
  QCheckBox* missedBox() const { return missed_; }
  // Items in the order of NotificationMode: automatic (only without a tray icon), always, never.
  QComboBox* notificationsList() const { return notifications_; }
  QCheckBox* wakeBox() const { return wake_; }
  // Waking cannot work on this system: the switch is disabled and `reason` is shown below it.
  void setWakeUnavailable(const QString& reason);
  QLabel* wakeReasonLabel() const { return wakeReason_; }

 private:
  QCheckBox* launch_ = nullptr;
  QCheckBox* loadLast_ = nullptr;
  QCheckBox* minimized_ = nullptr;
  QCheckBox* saveOnExit_ = nullptr;
  QLineEdit* showTime_ = nullptr;
  QCheckBox* missed_ = nullptr;
  QComboBox* notifications_ = nullptr;
  QCheckBox* wake_ = nullptr;
  QLabel* wakeReason_ = nullptr;
  bool startMinimized_ = false;  // exchanged with the box only: no setting keeps it
  bool launchAtOpen_ = false;
};

// The spoken-time choices: "hour", "half an hour", "15 minutes".
inline constexpr std::array<int, 3> kSayTimeRanges{60, 30, 15};
// The item shown for a "SayTimeRange" value: the first whose value is not greater; -1 below 15.
int sayTimeRangeItem(int minutes);

// "Sound Settings": the media player and the spoken time.
class CSetSoundDlgBar final : public ConfigPage {
  Q_OBJECT
 public:
  explicit CSetSoundDlgBar(UiLanguage language, QWidget* parent = nullptr);
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;

  QCheckBox* musicBox() const { return music_; }
  QCheckBox* stopMusicBox() const { return stopMusic_; }
  QCheckBox* sayTimeBox() const { return sayTime_; }
  QComboBox* rangeList() const { return range_; }
  QLineEdit* playerEdit() const { return player_; }

 private:
  QCheckBox* music_ = nullptr;
  QCheckBox* stopMusic_ = nullptr;
  QCheckBox* sayTime_ = nullptr;
  QComboBox* range_ = nullptr;
  QLineEdit* player_ = nullptr;
};

// "QuickPaste": the three QuickPaste formats and the copy-date format of the document.
class CQStringDialog final : public ConfigPage {
  Q_OBJECT
 public:
  explicit CQStringDialog(UiLanguage language, ConfigPageServices services = {}, QWidget* parent = nullptr);
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;

  QPlainTextEdit* formatEdit(int index) const { return formats_.at(static_cast<std::size_t>(index)); }
  QLineEdit* copyDateEdit() const { return copyDate_; }
  FormatPreview* preview(int index) const { return previews_.at(static_cast<std::size_t>(index)); }

 private:
  std::array<QPlainTextEdit*, 3> formats_{};
  std::array<FormatPreview*, 3> previews_{};
  QLineEdit* copyDate_ = nullptr;
  const CAlarmDoc* document_ = nullptr;  // the countdown and today's notes; set by load()
};

// The configuration feature's own pages. `wakeUnavailable` says why the computer cannot be woken
// here (empty: it can); it is asked each time the dialog opens.
ConfigPageSource generalPageSource(std::function<QString()> wakeUnavailable);
ConfigPageSource soundPageSource();
ConfigPageSource quickPastePageSource();

}  // namespace kalvory
