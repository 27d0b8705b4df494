#pragma once

#include "desktop/common/render_request.h"

namespace kalvory {

// `kalvory --render lists`: the lists window over the document of --doc (empty without one),
// 420 x 200 pixels as it opens, in --lang, with the "Lists" colours of --skin; its first
// reminder selected.
RenderResult renderListsWindow(const RenderRequest& request);

}  // namespace kalvory
