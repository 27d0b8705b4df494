#pragma once

#include <QColor>
#include <QIcon>
#include <QString>
#include <cstdint>

namespace kalvory {

// A colour reference 0x00BBGGRR as the settings and definition files store colours.
QColor colorFromReference(std::uint32_t reference);

// The tray's calendar icon: the day of the month drawn in `color` on a clear background.
// A null icon when it cannot be drawn; the caller then falls back to the drawn-in-advance leaf.
QIcon drawDateIcon(int dayOfMonth, const QColor& color);

// The tray's own pictures.
QIcon programIcon();
QIcon dayFallbackIcon(int dayOfMonth);  // the calendar leaf for days 1..31
QIcon ringingFrame(int index);          // animation frames 0..5

// Tooltips hold at most 127 characters: longer texts keep their first 126 and end in "…".
inline constexpr int kTooltipLimit = 127;
QString shortenTooltip(const QString& text);

}  // namespace kalvory
