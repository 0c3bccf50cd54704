// Where the main window puts a child window: inside the visible area, cascaded, or where it was.
#pragma once

#include <QRect>
#include <QString>

namespace WindowPlacement {

// A new child window of size (its frame included) in an area of the given size: cascaded from the
// top-left corner, index steps of step down and to the right; the size cut to the area, though not
// below minimum; moved back so that it does not pass the right or bottom edge, and never beyond
// the top-left corner.
QRect Cascade(const QSize &area, const QSize &size, const QSize &minimum, int index, int step);

// Whether a remembered geometry can be used again: all of it inside the area, and not smaller than
// the window's minimum.
bool StillFits(const QSize &area, const QRect &remembered, const QSize &minimum);

// The last geometry of the child window named name (frame included, in the area's coordinates),
// kept in the settings store; an invalid rectangle when there is none.
QRect Remembered(const QString &name);
void Remember(const QString &name, const QRect &geometry);

} // namespace WindowPlacement
