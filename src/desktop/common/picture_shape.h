#pragma once

#include <QImage>
#include <QRegion>

#include "core/clock/pixel_buffer.h"

namespace kalvory {

// The pixels of a Format_RGB32 image as the clocks' drawing code sees them.
PixelView pixelViewOf(QImage& image);

// The shape of a skinned window: every pixel of `picture` except those within `tolerance` above
// the key colour. A picture that is all key colour gives an empty region.
QRegion pictureShape(const QImage& picture, ColorRef key, ColorRef tolerance);

// A window's image as a file shows it: 32-bit with alpha 0 outside `shape`.
QImage imageWithShape(const QImage& image, const QRegion& shape);

}  // namespace kalvory
