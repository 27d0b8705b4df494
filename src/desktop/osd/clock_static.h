#pragma once

#include <functional>
#include <string>

#include "core/clock/time_format.h"
#include "core/common/date_time.h"
#include "desktop/osd/text_static.h"

namespace kalvory {

class CAlarmDoc;
class MediaPlayerInfo;

// The on-screen clock: the message window's looks and shape, showing the current time in the
// user's format from the start of every second. It never runs out of display time.
class CClockStatic final : public CTextStatic {
  Q_OBJECT
 public:
  struct Sources {
    Clock clock;                          // the local time now; the system clock when empty
    const CAlarmDoc* document = nullptr;  // the countdown target and today's notes
    MediaPlayerInfo* player = nullptr;    // the song codes; null: no player
    // The language of the weekday and month names; English when empty.
    std::function<UiLanguage()> language;
    // Called before each tick, so the owner can hand over settings changed meanwhile.
    std::function<void(CClockStatic&)> beforeTick;
  };

  explicit CClockStatic(Sources sources, QWidget* parent = nullptr);

  // Takes `format` (with "%~" and "%-" as the raised-text marks) when a trial formatting of now
  // succeeds, else "%H%~%M"; then shows the time in it.
  void SetFormat(const std::string& format);
  // The format as the user wrote it, before the trial.
  const std::string& requestedFormat() const { return requested_; }
  // The format in use, with its marks.
  const std::string& format() const { return format_; }

  // Formats the time now and shows it.
  void refresh();

 protected:
  void onTick() override;

 private:
  TimeFormatSources sources(const COleDateTime& now) const;
  COleDateTime now() const;

  Sources sources_;
  std::string requested_;
  std::string format_;
};

}  // namespace kalvory
