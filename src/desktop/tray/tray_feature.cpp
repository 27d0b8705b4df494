#include "desktop/tray/tray_feature.h"

#include <QDate>
#include <QLocale>

#include "core/alarms/alarm_engine.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/date_icon.h"
#include "desktop/common/language_forms.h"
#include "desktop/common/qt_text.h"
#include "desktop/tray/system_tray.h"

namespace kalvory {

TrayFeature::TrayFeature(ApplicationSettings& settings, ActionRegistry& actions, QObject* parent)
    : QObject(parent), settings_(settings) {
  tray_ = new CSystemTray(&actions, this);
  QList<QIcon> frames;
  for (int i = 0; i < 6; ++i) frames << ringingFrame(i);
  tray_->SetAnimationIcons(frames);
  // The tooltip until the first tick gives the date.
  tray_->Create(QStringLiteral("Будильник"), programIcon());
  tray_->SetMenuDefaultItem(1);

  actions.addToggle(
      ID_CALENDAR_IN_TRAY,
      [this] {
        settings_.app.calendar_in_tray = settings_.app.calendar_in_tray ? 0 : 1;
        emit dayLookChanged();
      },
      [this] { return settings_.app.calendar_in_tray != 0; });
  // Every command may change what the tray menu marks.
  connect(&actions, &ActionRegistry::commandRan, this, [this] { tray_->refreshMenu(); });
}

TrayFeature::~TrayFeature() { tray_->Remove(); }

void TrayFeature::alarmShown() { tray_->Animate(100, -1); }

void TrayFeature::setAlarmRinging(bool ringing) { tray_->setAlarmRinging(ringing); }

void TrayFeature::refreshMenu() { tray_->refreshMenu(); }

void TrayFeature::remove() { tray_->Remove(); }

void TrayFeature::RecreateTrayIconIfGone() { tray_->recreateIfTrayReturned(); }

void TrayFeature::StopTrayAnimation() { tray_->StopAnimation(); }

QString TrayFeature::localeDateText(const COleDateTime& date) const {
  const QLocale locale = uiLocale(settings_.app.uiLanguage());
  return locale.toString(QDate(date.GetYear(), date.GetMonth(), date.GetDay()), QLocale::LongFormat);
}

void TrayFeature::RefreshTrayDay(const TrayDayInfo& day) {
  // Asked on every idle tick: what it shows changes with the day, the notes, the colour, the
  // setting or the language, so nothing is formatted or drawn while none of them changed.
  DayShown shown{
      day.today.isValid() ? day.today.GetYear() * 10000 + day.today.GetMonth() * 100 + day.today.GetDay() : -1,
      day.dayOfMonth,
      day.iconColour,
      settings_.app.calendar_in_tray,
      settings_.app.language,
      day.notesText};
  if (shown == dayShown_) return;
  dayShown_ = std::move(shown);
  const QString dateText = day.today.isValid() ? localeDateText(day.today) : QString();
  QIcon icon;
  if (settings_.app.calendar_in_tray) {
    icon = drawDateIcon(day.dayOfMonth, colorFromReference(day.iconColour));
    if (icon.isNull()) icon = dayFallbackIcon(day.dayOfMonth);
  } else {
    icon = programIcon();
  }
  if (tray_->isAnimating()) {
    // The animation puts back the icon it found; the new day's icon must be that one.
    tray_->StopAnimation();
    tray_->SetIcon(icon);
    tray_->Animate(100, -1);
  } else {
    tray_->SetIcon(icon);
  }
  tray_->SetTooltipText(toQString(trayTooltipText(toStdString(dateText), day.notesText)));
}

}  // namespace kalvory
