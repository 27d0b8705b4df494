#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "core/common/date_time.h"
#include "core/resources/resource_strings.h"

class QHBoxLayout;
class QLabel;

namespace kalvory {

class CAlarmDoc;
class CProfile;
class AlarmViewLine;

// The main window's view: the analog clock and the month calendar side by side, and under them
// two lines with their icons, the next reminder and the next day event. The lines follow the
// document: once a minute, on the minute, and whenever the document changes.
class CAlarmView final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kClockSize = 164;

  // `document` outlives the view; `language` and `clock` are asked at every refresh.
  CAlarmView(CAlarmDoc& document, std::function<UiLanguage()> language, Clock clock = systemNow,
             QWidget* parent = nullptr);
  ~CAlarmView() override;

  // The analog clock takes the 164 x 164 place at the top left (the view becomes its parent).
  // Until then the place shows the plain clock face.
  void setClockWidget(QWidget* clock);
  QWidget* clockSlot() const { return clockSlot_; }
  QWidget* clockWidget() const { return clock_; }
  // The month calendar takes the place at the top right (the view becomes its parent). The
  // program keeps it in step with the skin, the language and the document.
  void setCalendarWidget(QWidget* calendar);
  QWidget* calendarWidget() const { return calendar_; }

  // The skin's "UI" backgrounds and the "Calendar" colours of the lines.
  void applySkin(CProfile& skin);
  // The lines in the current language.
  void languageChanged();

  // --- what the lines show
  QString nextReminderText() const;
  QString dayEventText() const;
  bool reminderIconShown() const;
  bool dayEventIconShown() const;
  // The picture of the day event's icon (":/icons/type-note.png" and the like); empty when none.
  QString dayEventIconName() const { return dayEventIcon_; }
  QColor nextEventColor() const { return nextEventColor_; }
  QColor dayEventColor() const { return dayEventColor_; }
  QColor backgroundColor() const { return background_; }
  // When the lines are next refreshed by themselves: on the coming minute.
  const QTimer& minuteTimer() const { return minuteTimer_; }

 public slots:
  // The two lines from the document now.
  void refresh();
  // The document's records changed: the lines; then the calendar and the lists are told.
  void documentChanged();

 signals:
  // After documentChanged: the records may have changed (the calendar and the lists window refill).
  void documentUpdated();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void armMinuteTimer();

  CAlarmDoc& document_;
  std::function<UiLanguage()> language_;
  Clock clockSource_;

  QWidget* clockSlot_ = nullptr;
  QWidget* clock_ = nullptr;
  QWidget* calendar_ = nullptr;
  QHBoxLayout* top_ = nullptr;
  QLabel* reminderIcon_ = nullptr;
  QLabel* dayEventIconLabel_ = nullptr;
  AlarmViewLine* reminderLine_ = nullptr;
  AlarmViewLine* dayEventLine_ = nullptr;
  QString dayEventIcon_;
  QPixmap clockFace_;  // shown in the clock's place until the clock arrives
  QTimer minuteTimer_;

  QColor background_;
  QColor lightBackground_;
  QColor nextEventColor_;
  QColor dayEventColor_;
  QColor anniversaryColor_;
  QColor weekendColor_;
};

// How long until the next whole minute of `now` (1 to 60 seconds); a full minute for a time
// that is not valid.
int millisecondsToNextMinute(const COleDateTime& now);

}  // namespace kalvory
