#include "desktop/view/alarm_view.h"

#include <QBitmap>
#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "core/model/alarm_doc.h"
#include "core/model/day_info.h"
#include "core/settings/system_colors.h"
#include "core/skins/definitions.h"
#include "desktop/common/date_icon.h"
#include "desktop/common/qt_text.h"
#include "desktop/common/symbol_text.h"

namespace kalvory {

namespace {

constexpr int kSystemWindowText = 8;
constexpr int kSystemButtonFace = 15;
constexpr int kIconSize = 16;

const QString kReminderIcon = QStringLiteral(":/icons/reminder.png");

// The day event's icon: its own for an anniversary, a weekend, a day off and a to-do; the note
// icon for a note and a holiday.
QString eventTypeIcon(int eventType) {
  switch (eventType) {
    case CDayInfo::Anniversary:
      return QStringLiteral(":/icons/type-anniversary.png");
    case CDayInfo::Weekend:
      return QStringLiteral(":/icons/type-weekend.png");
    case CDayInfo::DayOff:
      return QStringLiteral(":/icons/type-dayoff.png");
    case CDayInfo::ToDo:
      return QStringLiteral(":/icons/type-todo.png");
    default:
      return QStringLiteral(":/icons/type-note.png");
  }
}

QLabel* makeIconLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setFixedSize(kIconSize, kIconSize);
  // A hidden icon keeps its place, so the line's text never jumps sideways.
  QSizePolicy policy = label->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  label->setSizePolicy(policy);
  label->hide();
  return label;
}

}  // namespace

// One of the view's two lines: a single line of text in its own colour on the view's
// background, cut with "…" when too long (the whole text is then its tooltip).
class AlarmViewLine final : public QWidget {
 public:
  explicit AlarmViewLine(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(fontMetrics().height() + 2);
  }
  void setText(const QString& text) {
    text_ = text;
    refreshTooltip();
    update();
  }
  const QString& text() const { return text_; }
  void setColor(const QColor& color) {
    color_ = color;
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setPen(color_);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shownText());
  }
  void resizeEvent(QResizeEvent*) override { refreshTooltip(); }
  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) setFixedHeight(fontMetrics().height() + 2);
  }

 private:
  QString shownText() const { return fontMetrics().elidedText(text_, Qt::ElideRight, width()); }
  void refreshTooltip() { setToolTip(shownText() == text_ ? QString() : text_); }

  QString text_;
  QColor color_;
};

int millisecondsToNextMinute(const COleDateTime& now) {
  const int second = now.GetSecond();
  if (second < 0) return 60000;
  return (60 - second) * 1000;
}

CAlarmView::CAlarmView(CAlarmDoc& document, std::function<UiLanguage()> language, Clock clock, QWidget* parent)
    : QWidget(parent),
      document_(document),
      language_(std::move(language)),
      clockSource_(clock ? std::move(clock) : Clock(systemNow)) {
  setObjectName(QStringLiteral("AlarmView"));
  background_ = lightBackground_ = colorFromReference(systemColor(kSystemButtonFace));
  nextEventColor_ = dayEventColor_ = anniversaryColor_ = weekendColor_ =
      colorFromReference(systemColor(kSystemWindowText));

  // The analog clock's place; the clock itself is handed over with setClockWidget.
  clockSlot_ = new QWidget(this);
  clockSlot_->setObjectName(QStringLiteral("clock"));
  clockSlot_->setFixedSize(kClockSize, kClockSize);
  auto* slotLayout = new QVBoxLayout(clockSlot_);
  slotLayout->setContentsMargins(0, 0, 0, 0);

  reminderIcon_ = makeIconLabel(this);
  reminderIcon_->setPixmap(QIcon(kReminderIcon).pixmap(kIconSize, kIconSize));
  dayEventIconLabel_ = makeIconLabel(this);
  reminderLine_ = new AlarmViewLine(this);
  dayEventLine_ = new AlarmViewLine(this);

  top_ = new QHBoxLayout;
  top_->setSpacing(0);
  top_->addWidget(clockSlot_, 0, Qt::AlignTop);
  top_->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 6, 8, 4);
  layout->setSpacing(4);
  layout->addLayout(top_);
  layout->addSpacing(2);
  for (auto [icon, line] : {std::pair{reminderIcon_, reminderLine_}, std::pair{dayEventIconLabel_, dayEventLine_}}) {
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(icon, 0, Qt::AlignVCenter);
    row->addWidget(line, 1);
    layout->addLayout(row);
  }
  layout->addStretch(1);

  minuteTimer_.setObjectName(QStringLiteral("minuteTimer"));
  minuteTimer_.setSingleShot(true);
  minuteTimer_.setTimerType(Qt::PreciseTimer);
  connect(&minuteTimer_, &QTimer::timeout, this, [this] {
    refresh();
    armMinuteTimer();
  });
  refresh();
  armMinuteTimer();
}

CAlarmView::~CAlarmView() = default;

void CAlarmView::setClockWidget(QWidget* clock) {
  if (clock_ == clock) return;
  delete clock_;
  clock_ = clock;
  if (clock_) clockSlot_->layout()->addWidget(clock_);
  clockSlot_->update();
}

void CAlarmView::setCalendarWidget(QWidget* calendar) {
  if (calendar_ == calendar) return;
  delete calendar_;
  calendar_ = calendar;
  if (calendar_) top_->addWidget(calendar_, 0, Qt::AlignTop);
}

void CAlarmView::applySkin(CProfile& skin) {
  const UiSkin ui = ReadUiSkin(skin);
  const CalendarSkin calendar = ReadCalendarSkin(skin);
  background_ = colorFromReference(ui.darkBackground1);
  lightBackground_ = colorFromReference(ui.lightBackground1);
  nextEventColor_ = colorFromReference(calendar.clNextEvent);
  dayEventColor_ = colorFromReference(calendar.clNextDayEvent);
  anniversaryColor_ = colorFromReference(calendar.clNextDayEventIndicatorBirthday);
  weekendColor_ = colorFromReference(calendar.clNextDayEventIndicatorHoliday);
  reminderLine_->setColor(nextEventColor_);
  refresh();
  update();
}

void CAlarmView::languageChanged() { refresh(); }

QString CAlarmView::nextReminderText() const { return reminderLine_->text(); }
QString CAlarmView::dayEventText() const { return dayEventLine_->text(); }
bool CAlarmView::reminderIconShown() const { return !reminderIcon_->isHidden(); }
bool CAlarmView::dayEventIconShown() const { return !dayEventIconLabel_->isHidden(); }

void CAlarmView::refresh() {
  const COleDateTime now = clockSource_();
  const UiLanguage language = language_();

  const std::string reminder = document_.nextReminderText(now, language);
  reminderLine_->setColor(nextEventColor_);
  reminderLine_->setText(toQString(reminder));
  reminderIcon_->setVisible(!reminder.empty());

  const CDayInfo* event = document_.nextDayEvent(now);
  if (event == nullptr) {
    dayEventLine_->setText(QString());
    dayEventIconLabel_->hide();
    dayEventIcon_.clear();
    return;
  }
  if (event->event_type == CDayInfo::Anniversary)
    dayEventColor_ = anniversaryColor_;
  else if (event->event_type == CDayInfo::Weekend)
    dayEventColor_ = weekendColor_;
  else
    dayEventColor_ = nextEventColor_;
  dayEventLine_->setColor(dayEventColor_);
  dayEventIcon_ = eventTypeIcon(event->event_type);
  dayEventIconLabel_->setPixmap(QIcon(dayEventIcon_).pixmap(kIconSize, kIconSize));
  dayEventLine_->setText(textWithSymbols(event->eventText(now, language)));
  dayEventIconLabel_->show();
}

void CAlarmView::documentChanged() {
  refresh();
  emit documentUpdated();
}

void CAlarmView::armMinuteTimer() { minuteTimer_.start(millisecondsToNextMinute(clockSource_())); }

void CAlarmView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), background_);
  if (clock_ == nullptr) {
    // The clock's place until the analog clock is handed over: its plain face.
    if (clockFace_.isNull()) {
      // The face's magenta corners are see-through.
      QImage face(QStringLiteral(":/pictures/analog_face.png"));
      clockFace_ = QPixmap::fromImage(face);
      clockFace_.setMask(QBitmap::fromImage(face.createMaskFromColor(qRgb(255, 0, 255), Qt::MaskInColor)));
    }
    painter.drawPixmap(clockSlot_->geometry(), clockFace_);
  }
}

}  // namespace kalvory
