#pragma once

#include <QImage>
#include <QString>

#include "core/common/date_time.h"

namespace kalvory {

// What `kalvory --render KIND ...` asks a window to draw: the window's own image, offscreen,
// exactly as the window shows it, with the alpha of its shape (0 outside it).
struct RenderRequest {
  QString kind;
  QString text;          // --text
  QString format;        // --format
  COleDateTime time;     // --time, or --date at midnight; else now
  QString skinFile;      // --skin: a skin definition file
  QString configFile;    // --config: a settings file
  QString documentFile;  // --doc: a reminder document
  int language = 1;      // --lang: 0 Russian, 1 English, 2 Ukrainian
};

// A window's renderer: the image, or an error message for stderr.
struct RenderResult {
  QImage image;
  QString error;
};

}  // namespace kalvory
