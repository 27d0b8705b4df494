#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"
#include "desktop/editors/open_file_filter.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace kalvory {

class CAlarmDoc;
class CAlarmLine;

// The reminder editor ("Reminder", CAlarmDlg): shows one reminder record, and on OK writes every
// field of it in place; Cancel leaves it untouched. Adding the record to the document and marking
// the document modified are the caller's business.
class CAlarmDlg : public QDialog {
  Q_OBJECT
 public:
  // What the dialog asks of the world, so that tests (and other front ends) can answer.
  struct Services {
    Clock clock;  // now, for a timer's start; the system clock when empty
    // A file chooser; the chosen path, or empty when cancelled. Empty: a Qt file dialog.
    std::function<QString(const OpenFileRequest&)> openFile;
    // The notifier or sticker chooser over the names of the document's definitions: the chosen
    // name ("" for none), or nothing when cancelled. Empty: CSelectSkinDlg.
    std::function<std::optional<std::string>(const std::vector<std::string>& names, const std::string& current)>
        chooseDefinition;
    // The special symbol chooser: the text to insert (a symbol mark and its character), or
    // nothing when cancelled. Empty: the "Insert special symbol" button is disabled.
    std::function<std::optional<QString>()> chooseSymbol;
    // Shows an error in the current language. Empty: a message box.
    std::function<void(const QString&)> showMessage;
  };

  // `document` gives the notifier and sticker definitions; without one the dialog says so and
  // writes nothing.
  CAlarmDlg(CAlarmDoc* document, UiLanguage language, Services services = {}, QWidget* parent = nullptr);
  ~CAlarmDlg() override;

  // Loads `record` into the controls (the dialog's initialisation). The record must outlive
  // the dialog; OK writes into it.
  void setRecord(CAlarmLine* record);

  // OK: refuses a blank message, else writes the record and closes.
  void accept() override;

  // The controls, for tests and for whoever drives the dialog.
  QPlainTextEdit* messageEdit() const { return message_; }
  QCheckBox* activeBox() const { return active_; }
  QLabel* stateIcon() const { return stateIcon_; }
  QSpinBox* displaySeconds() const { return displaySeconds_; }
  QDateEdit* datePicker() const { return date_; }
  QSpinBox* hoursEdit() const { return hours_; }
  QSpinBox* minutesEdit() const { return minutes_; }
  // "Timer length:" before the fields, and what follows each of them (":" or "h"; "min").
  QLabel* timerLengthLabel() const { return timerLength_; }
  QLabel* hoursUnitLabel() const { return hoursUnit_; }
  QLabel* minutesUnitLabel() const { return minutesUnit_; }
  // Says what was refused in the date or time fields; hidden while nothing was.
  QLabel* timeHint() const { return timeHint_; }
  QCheckBox* timerBox() const { return timer_; }
  QCheckBox* dailyBox() const { return daily_; }
  QToolButton* weekdayButton(int sundayFirstIndex) const {
    return weekdays_.at(static_cast<std::size_t>(sundayFirstIndex));
  }
  QCheckBox* osdBox() const { return osd_; }
  QCheckBox* notifierBox() const { return notifierBox_; }
  QLineEdit* notifierEdit() const { return notifier_; }
  QPushButton* notifierButton() const { return notifierChoose_; }
  QCheckBox* wallpaperBox() const { return wallpaperBox_; }
  QLineEdit* wallpaperEdit() const { return wallpaper_; }
  QPushButton* wallpaperButton() const { return wallpaperChoose_; }
  QCheckBox* stickerBox() const { return stickerBox_; }
  QLineEdit* stickerEdit() const { return sticker_; }
  QPushButton* stickerButton() const { return stickerChoose_; }
  QLineEdit* soundEdit() const { return sound_; }
  QPushButton* soundButton() const { return soundChoose_; }
  // Shown while the sound field names a file that is not there.
  QLabel* soundWarning() const { return soundWarning_; }
  QLineEdit* programEdit() const { return program_; }
  QPushButton* programButton() const { return programChoose_; }
  QComboBox* exitActionBox() const { return exitAction_; }
  QPushButton* symbolButton() const { return insertSymbol_; }
  QPushButton* okButton() const { return ok_; }

  // Longest message the edit takes, in characters.
  static constexpr int kMaxMessageLength = 80;

 private:
  void buildControls();
  QString text(StringId id) const;
  void loadRecord();
  void applyEffectRules(const QCheckBox* clicked = nullptr);
  void updateScheduleControls();
  void showTimeAs(bool timer);
  void applyTimeMode(bool timer);
  void showTimeHint(const QString& hint);
  bool dateTextIsADate(const QString& text) const;
  void updateSoundWarning();
  void updateStateIcon();
  void limitMessage();
  void chooseFile(QLineEdit* field, StringId filter, bool preferLastFilter);
  void chooseDefinition(QLineEdit* field, bool stickers);
  void insertSymbol();
  void report(const QString& message);
  COleDateTime now() const;

  CAlarmDoc* document_;
  UiLanguage language_;
  Services services_;
  CAlarmLine* record_ = nullptr;

  QPlainTextEdit* message_ = nullptr;
  QCheckBox* active_ = nullptr;
  QLabel* stateIcon_ = nullptr;
  QSpinBox* displaySeconds_ = nullptr;
  QDateEdit* date_ = nullptr;
  QSpinBox* hours_ = nullptr;
  QSpinBox* minutes_ = nullptr;
  QLabel* timerLength_ = nullptr;
  QLabel* hoursUnit_ = nullptr;
  QLabel* minutesUnit_ = nullptr;
  QLabel* timeHint_ = nullptr;
  // The fields show a time of day or a timer's length; each keeps its numbers while the other
  // is shown, so that ticking "Timer Mode" and back again loses nothing.
  bool shownAsTimer_ = false;
  std::pair<int, int> clockValue_{0, 0};
  std::pair<int, int> timerValue_{0, 5};
  // A date typed into the picker that is no date, which the picker then put back; OK says so
  // once instead of storing the date put back without a word.
  QString refusedDate_;
  QCheckBox* timer_ = nullptr;
  QCheckBox* daily_ = nullptr;
  std::array<QToolButton*, 7> weekdays_{};
  QCheckBox* osd_ = nullptr;
  QCheckBox* notifierBox_ = nullptr;
  QLineEdit* notifier_ = nullptr;
  QPushButton* notifierChoose_ = nullptr;
  QCheckBox* wallpaperBox_ = nullptr;
  QLineEdit* wallpaper_ = nullptr;
  QPushButton* wallpaperChoose_ = nullptr;
  QCheckBox* stickerBox_ = nullptr;
  QLineEdit* sticker_ = nullptr;
  QPushButton* stickerChoose_ = nullptr;
  QLineEdit* sound_ = nullptr;
  QPushButton* soundChoose_ = nullptr;
  QLabel* soundWarning_ = nullptr;
  QLineEdit* program_ = nullptr;
  QPushButton* programChoose_ = nullptr;
  QComboBox* exitAction_ = nullptr;
  QPushButton* insertSymbol_ = nullptr;
  QPushButton* ok_ = nullptr;
};

// The time a timer reminder gets when its editor is confirmed `now` with the typed hours and
// minutes: minutes of 60 and more carry into the hours, hours of 24 and more into the day.
struct TimerStart {
  COleDateTime time;     // now plus the whole typed length
  int timerMinutes = 0;  // hours * 60 + minutes after the carries, whole days left out
};
TimerStart timerStart(const COleDateTime& now, int hours, int minutes);

// The moment a one-time or daily reminder is set for: `date` at hours:minutes:00, or an invalid
// date-time when hours or minutes are no time of day.
COleDateTime reminderMoment(const COleDateTime& date, int hours, int minutes);

// "Sound" and "program" fields as stored: blanks cut at the right, every double quote removed.
std::string cleanPathField(const std::string& text);

}  // namespace kalvory
