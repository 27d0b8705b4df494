#pragma once

#include "core/alarms/alarm_ports.h"

namespace kalvory {

// Every port in one object: what the command-line simulation, the benchmarks and the tests of
// the check implement when they want to see all of its calls in one place.
class AlarmFrame : public AlarmTextPort,
                   public NotifierPort,
                   public WallpaperPort,
                   public ActionsPort,
                   public TrayPort,
                   public ReminderStatePort {
 public:
  void ReminderStateChanged(std::size_t index, int newState) override {
    (void)index;
    (void)newState;
  }

  AlarmPorts ports() { return AlarmPorts{this, this, this, this, this, this}; }
};

}  // namespace kalvory
