#pragma once

#include <QStringList>

namespace kalvory {

// `kalvory --render KIND [--text T] [--format F] [--time "YYYY-MM-DD HH:MM:SS"] [--skin FILE]
// [--config FILE] [--doc FILE] [--lang en|ru|uk] --out FILE.png`: draws one window's image
// offscreen, with no window shown and no single-instance check. Returns the process's exit code:
// 0, or 1 with one line on stderr for a bad argument or a failed drawing.
int runRenderCommand(const QStringList& arguments);

// The help lines of the option.
extern const char* const kRenderUsage;

}  // namespace kalvory
