#pragma once

#include "desktop/common/render_request.h"

namespace kalvory {

// The taskbar notifier of the definition file --skin with the text --text (the test message of
// the notifier page when none is given), in its normal look.
RenderResult renderNotifier(const RenderRequest& request);

}  // namespace kalvory
