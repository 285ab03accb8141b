#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a widget of `size` goes on `screen` (the screen's geometry in global coordinates).
// Integer arithmetic only, every division truncates, so a given size always lands on the same
// pixel; the screen's origin is added last.
namespace Placement {

QPoint center(const QRect &screen, const QSize &size);
// Vertical middle at a tenth of the screen height.
QPoint top(const QRect &screen, const QSize &size);
// Bottom edge at nine tenths of the screen height.
QPoint bottom(const QRect &screen, const QSize &size);
// Fully on the screen; r1 picks y, r2 picks x (both non-negative draws). On an axis where the
// widget is larger than the screen it goes to the screen's edge.
QPoint random(const QRect &screen, const QSize &size, int r1, int r2);

} // namespace Placement
