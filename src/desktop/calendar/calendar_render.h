#pragma once

#include "desktop/common/render_request.h"

namespace kalvory {

// `kalvory --render calendar --date YYYY-MM-DD [--doc FILE] [--skin FILE] [--lang L]`: the
// calendar as the main view shows it, with the document's notes, on the given day (which is
// today and selected), in the skin's colours.
RenderResult renderCalendar(const RenderRequest& request);

}  // namespace kalvory
