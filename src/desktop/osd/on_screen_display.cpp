#include "desktop/osd/on_screen_display.h"

#include <QLoggingCategory>

#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

Q_LOGGING_CATEGORY(lcOsd, "kalvory.osd", QtInfoMsg)

OnScreenDisplay::OnScreenDisplay(ApplicationSettings& settings, ActionRegistry& actions, QObject* parent)
    : QObject(parent), settings_(settings) {
  actions.addToggle(
      ID_SHOW_CLOCK,
      [this] {
        settings_.clock.is_visible = settings_.clock.is_visible ? 0 : 1;
        ShowClock(settings_.clock.is_visible != 0);
      },
      [this] { return clockShown_; });
}

void OnScreenDisplay::ShowClock(bool show) {
  clockShown_ = show;
  qCInfo(lcOsd) << "would" << (show ? "show" : "hide") << "the on-screen clock";
}

void OnScreenDisplay::ShowAlarmText(const std::string& text, bool show) {
  textWindowExists_ = true;
  if (!text.empty() && text != text_) {
    text_ = text;
    qCInfo(lcOsd) << "would show the alarm message" << toQString(text);
  }
  textShowing_ = show;
  if (show) emit alarmTextShown();
}

void OnScreenDisplay::HideAlarmText() {
  if (textShowing_) qCInfo(lcOsd) << "would hide the alarm message";
  textShowing_ = false;
}

}  // namespace kalvory
