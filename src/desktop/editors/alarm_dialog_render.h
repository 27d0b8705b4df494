#pragma once

#include "desktop/common/render_request.h"

namespace kalvory {

// `kalvory --render reminder-editor`: the reminder editor showing the first reminder of --doc,
// or, without one, a new reminder at --time with the message --text; in --lang.
RenderResult renderReminderEditor(const RenderRequest& request);

}  // namespace kalvory
