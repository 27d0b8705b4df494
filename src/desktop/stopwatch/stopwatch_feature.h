#pragma once

#include <QObject>
#include <QPointer>

#include "desktop/stopwatch/stopwatch_dlg.h"

namespace kalvory {

class ActionRegistry;

// The "Stopwatch" command and its one window: the command opens the stopwatch, or shows and
// raises it when it is open already. Closing the window ends its count; the next opening
// starts from 0.
class StopwatchFeature final : public QObject {
  Q_OBJECT
 public:
  explicit StopwatchFeature(ActionRegistry& actions, QObject* parent = nullptr);
  ~StopwatchFeature() override;

  void open();
  // The window's title follows the interface language.
  void languageChanged();
  CStopWatchDlg* window() const { return window_; }

 private:
  ActionRegistry& actions_;
  QPointer<CStopWatchDlg> window_;
};

}  // namespace kalvory
