#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "core/model/day_info.h"
#include "core/resources/resource_strings.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QToolButton;

namespace kalvory {

class CAlarmDoc;

// The "Date Note" dialog: creates or changes one day note (text, date, type, repetition, day
// interval, weekday, wallpaper, sticker, and whether the wallpaper changer is held off). It
// works on a copy; the caller stores the result.
//
// Use:  CDayInfo note(date);  if (CEditDay::edit(note, document, language, parent)) store(note);
class CEditDay final : public QDialog {
  Q_OBJECT
 public:
  // The note text holds at most this many characters.
  static constexpr int kTextLimit = 79;
  static constexpr int kIntervalDigits = 4;

  // Runs the dialog over a copy of `info`. On OK `info` becomes the edited note and the result
  // is true; Cancel leaves it untouched. `document` lists the sticker definitions.
  static bool edit(CDayInfo& info, const CAlarmDoc& document, UiLanguage language, QWidget* parent = nullptr);

  // The choices made in other windows. Each empty one opens that window; tests and hosts may
  // put their own in.
  struct Services {
    // The wallpaper picture: the path chosen, or empty when cancelled. Empty: a file dialog.
    std::function<QString(const QString& current)> chooseWallpaper;
    // A sticker definition from `names`: the name chosen ("N/A" for none), or nullopt when
    // cancelled. Empty: the sticker chooser.
    std::function<std::optional<QString>(const QStringList& names)> chooseSticker;
    // A message about what keeps OK from closing the dialog. Empty: a message box.
    std::function<void(const QString& message)> showMessage;
  };

  CEditDay(const CAlarmDoc& document, UiLanguage language, Services services = {}, QWidget* parent = nullptr);

  // Puts `info` into the controls; the dialog then edits a copy of it.
  void setDayInfo(const CDayInfo& info);
  // The copy: after OK, the edited note.
  const CDayInfo& dayInfo() const { return note_; }

  // The wallpaper file dialog's filter, in Qt's form.
  static QString wallpaperFilter(UiLanguage language);
  // The calendar page shown for the picked date (":/icons/day-07.png"); empty for none.
  QString pageIconName() const { return pageIcon_; }

  // --- the controls
  QDateEdit* datePicker() const { return datePicker_; }
  QComboBox* weekdayList() const { return weekdayList_; }
  QLineEdit* noteEdit() const { return noteEdit_; }
  QComboBox* typeList() const { return typeList_; }
  QComboBox* repeatList() const { return repeatList_; }
  QLineEdit* daysEdit() const { return daysEdit_; }
  QCheckBox* wallpaperBox() const { return wallpaperBox_; }
  QLineEdit* wallpaperEdit() const { return wallpaperEdit_; }
  QToolButton* wallpaperButton() const { return wallpaperButton_; }
  QCheckBox* blockBox() const { return blockBox_; }
  QCheckBox* stickerBox() const { return stickerBox_; }
  QLineEdit* stickerEdit() const { return stickerEdit_; }
  QToolButton* stickerButton() const { return stickerButton_; }

 public slots:
  // OK: refused with a message while the text is blank or an interval is 0 days.
  void accept() override;

 private:
  void buildControls();
  void updateEnabling();
  void showPageIcon(int dayOfMonth);
  void browseWallpaper();
  void stickerBoxClicked();
  void browseSticker();

  const CAlarmDoc& document_;
  UiLanguage language_;
  Services services_;
  CDayInfo note_;

  QLabel* pageIconLabel_ = nullptr;
  QString pageIcon_;
  QDateEdit* datePicker_ = nullptr;
  QComboBox* weekdayList_ = nullptr;
  QLineEdit* noteEdit_ = nullptr;
  QComboBox* typeList_ = nullptr;
  QComboBox* repeatList_ = nullptr;
  QLineEdit* daysEdit_ = nullptr;
  QLabel* daysLabel_ = nullptr;
  QCheckBox* wallpaperBox_ = nullptr;
  QLineEdit* wallpaperEdit_ = nullptr;
  QToolButton* wallpaperButton_ = nullptr;
  QCheckBox* blockBox_ = nullptr;
  QCheckBox* stickerBox_ = nullptr;
  QLineEdit* stickerEdit_ = nullptr;
  QToolButton* stickerButton_ = nullptr;
};

}  // namespace kalvory
