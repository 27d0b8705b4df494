#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "core/alarms/alarm_frame.h"
#include "core/common/date_time.h"
#include "core/model/alarm_line.h"

namespace kalvory::testing {

// Records every call of the alarm check as one line; keeps an OSD window the way the main
// window does (created by the first ShowAlarmText, text kept as given).
class RecordingFrame : public AlarmFrame {
 public:
  std::vector<std::string> calls;
  int stickerUpdates = 0;
  bool osdExists = false;
  bool osdShowing = false;
  std::string osdText;
  TrayDayInfo lastDay;

  void ShowAlarmText(const std::string& text, bool show) override {
    osdExists = true;
    osdShowing = show;
    if (!text.empty()) osdText = text;
    calls.push_back("osd " + text);
  }
  bool AlarmTextWindowExists() const override { return osdExists; }
  std::string GetAlarmText() const override { return osdExists ? osdText : std::string(); }
  void HideAlarmText() override {
    if (osdShowing) calls.push_back("osd-hide");
    osdShowing = false;
  }
  void ShowNotifier(const std::string& text, int seconds, const std::string& name) override {
    calls.push_back("notifier " + text + " " + std::to_string(seconds) + " " + name);
  }
  void HideAllNotifiers() override { calls.push_back("hide-notifiers"); }
  void SetReminderWallpaper(const std::string& path) override { calls.push_back("wallpaper " + path); }
  void UpdateReminderSticker(const CAlarmLine&, const COleDateTime&) override { ++stickerUpdates; }
  void UpdateDayNoteStickers(const CDayInfo*, const COleDateTime&) override {}
  void ApplyDayNoteWallpaper(const COleDateTime&) override {}
  void ChangeWallpaper(bool force) override { calls.push_back(force ? "change-wallpaper forced" : "change-wallpaper"); }
  void PlayAlarmSound(const std::string& path) override { calls.push_back("sound " + path); }
  void ExecuteApplication(const std::string& line) override { calls.push_back("program " + line); }
  void RestoreWinampState() override { calls.push_back("restore"); }
  void SayTime() override { calls.push_back("say-time"); }
  void SuspendComputer() override { calls.push_back("suspend"); }
  void BeginExit(int action) override { calls.push_back("exit " + std::to_string(action)); }
  void RecreateTrayIconIfGone() override {}
  void StopTrayAnimation() override { calls.push_back("stop-animation"); }
  void RefreshTrayDay(const TrayDayInfo& day) override {
    lastDay = day;
    calls.push_back("day-refresh");
  }
  void ReminderStateChanged(std::size_t index, int state) override {
    calls.push_back("state " + std::to_string(index) + " " + std::to_string(state));
  }

  bool saw(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }
  long count(const std::string& call) const { return std::count(calls.begin(), calls.end(), call); }
  // The calls starting with `prefix`, in order.
  std::vector<std::string> only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& call : calls) {
      if (call.rfind(prefix, 0) == 0) out.push_back(call);
    }
    return out;
  }
};

}  // namespace kalvory::testing
