#pragma once

#include "desktop/common/render_request.h"

namespace kalvory {

// `kalvory --render analog-clock`: the clock at --time (else now) with the "AnalogClock" section
// of --skin (else the built-in face and values); transparent where the face is cut away.
RenderResult renderAnalogClock(const RenderRequest& request);

}  // namespace kalvory
