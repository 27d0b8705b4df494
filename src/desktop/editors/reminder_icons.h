#pragma once

#include <QIcon>

class QPainter;
class QRectF;

namespace kalvory {

// The picture of a reminder's state: a golden bell while the reminder is switched on, a grey
// struck-through bell while it is off. The editor shows it beside "Active" and the reminder
// list in its first column.
QIcon reminderStateIcon(bool active);

// Draws the same picture into `box` (any size; it is drawn as vectors, so it stays sharp).
void paintReminderState(QPainter& painter, const QRectF& box, bool active);

}  // namespace kalvory
