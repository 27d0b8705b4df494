#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "core/alarms/alarm_ports.h"
#include "core/settings/app_settings.h"

namespace kalvory {

class ActionRegistry;
class CSystemTray;

// The tray icon as the alarm check sees it: the day's icon and tooltip, the ringing animation,
// and the icon added again when the notification area comes back. Registers "Calendar in tray".
class TrayFeature final : public QObject, public TrayPort {
  Q_OBJECT
 public:
  TrayFeature(ApplicationSettings& settings, ActionRegistry& actions, QObject* parent = nullptr);
  ~TrayFeature() override;

  CSystemTray* tray() const { return tray_; }

  // A reminder shows: the icon rings.
  void alarmShown();
  void setAlarmRinging(bool ringing);
  void refreshMenu();
  void remove();

  // --- TrayPort
  void RecreateTrayIconIfGone() override;
  void StopTrayAnimation() override;
  void RefreshTrayDay(const TrayDayInfo& day) override;

 signals:
  // "Calendar in tray" changed: the day's icon is to be drawn anew at once.
  void dayLookChanged();

 private:
  QString localeDateText(const COleDateTime& date) const;

  ApplicationSettings& settings_;
  CSystemTray* tray_ = nullptr;
  // What the tray shows now; the day refresh runs on every idle tick and redraws only on a change.
  struct DayShown {
    int date = -2;  // YYYYMMDD, -1 without a day
    int dayOfMonth = 0;
    std::uint32_t iconColour = 0;
    int calendarInTray = 0;
    int language = 0;
    std::string notes;
    friend bool operator==(const DayShown&, const DayShown&) = default;
  };
  DayShown dayShown_;
};

}  // namespace kalvory
