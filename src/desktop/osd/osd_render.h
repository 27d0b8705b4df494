#pragma once

#include "desktop/common/render_request.h"

namespace kalvory {

// `kalvory --render osd-text`: the alarm message window for --text (the sample message of the
// configuration when none is given), looking as the --config settings file says.
RenderResult renderOsdText(const RenderRequest& request);
// `kalvory --render osd-clock`: the clock window at --time in --format (else the settings'
// format), with the countdown target and day notes of --doc.
RenderResult renderOsdClock(const RenderRequest& request);

}  // namespace kalvory
