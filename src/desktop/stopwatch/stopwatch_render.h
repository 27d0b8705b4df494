#pragma once

#include "desktop/common/render_request.h"

namespace kalvory {

// `kalvory --render stopwatch`: the window showing the elapsed time given by --text in seconds
// with up to three decimals ("3723.456" shows 01:02:03.456; none shows 00:00:00.000);
// transparent outside the window's rounded shape.
RenderResult renderStopwatch(const RenderRequest& request);

// The elapsed milliseconds that --text asks for, or -1 for a text that is not a number of
// seconds from 0 to 10^10.
std::int64_t stopwatchRenderMilliseconds(const QString& text);

}  // namespace kalvory
