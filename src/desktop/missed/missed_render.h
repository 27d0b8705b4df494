#pragma once

#include "desktop/common/render_request.h"

namespace kalvory {

// `kalvory --render missed-reminders --doc FILE.alr [--time T] [--lang N]`: the "While you were
// away" window listing the reminders of the document whose window passed in the day before T.
RenderResult renderMissedReminders(const RenderRequest& request);

}  // namespace kalvory
