#include "desktop/osd/clock_static.h"

#include "core/model/alarm_doc.h"
#include "desktop/common/now_from.h"

namespace kalvory {

namespace {

// The clock's looks before its owner hands it the settings.
OsdLooks initialClockLooks() {
  OsdLooks looks;
  looks.font = FontDescription{"Comic Sans MS", 28, 350, false};
  looks.textColor = 0x00FF00;
  looks.gradient = false;
  looks.shadow = true;
  looks.shadowX = 1;
  looks.shadowY = 1;
  looks.shadowColor = 0;
  looks.opacity = 100;
  looks.placement = kOsdInitialPlacement;
  return looks;
}

}  // namespace

CClockStatic::CClockStatic(Sources sources, QWidget* parent) : CTextStatic(parent), sources_(std::move(sources)) {
  displayTime_ = OsdDisplayTime(10, OsdDisplayTime::kForever);
  tickOnWholeSeconds();
  SetLooks(initialClockLooks());
  requested_ = "%H:%M";
  format_ = insertRaisedTextMarks(requested_);
}

COleDateTime CClockStatic::now() const { return nowFrom(sources_.clock); }

TimeFormatSources CClockStatic::sources(const COleDateTime& now) const {
  TimeFormatSources result;
  if (sources_.document) {
    result = timeFormatSources(*sources_.document, now, sources_.player);
  } else {
    result.now = now;
    result.player = sources_.player;
  }
  if (sources_.language) result.names_language = sources_.language();
  return result;
}

void CClockStatic::SetFormat(const std::string& format) {
  requested_ = format;
  format_ = acceptClockFormat(format, sources(now()));
  refresh();
}

void CClockStatic::refresh() {
  const COleDateTime time = now();
  const Result<std::string> result = formatTimeText(format_, sources(time));
  // A format that passed its trial can still fail on text a code brought in (a song title
  // holding "%q"); the clock then keeps what it showed.
  if (result.ok()) SetText(result.value());
  Update();
}

void CClockStatic::onTick() {
  if (sources_.beforeTick) sources_.beforeTick(*this);
  refresh();
}

}  // namespace kalvory
