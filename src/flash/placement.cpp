#include "placement.h"

namespace Placement {

namespace {

int centred(int screen, int size)
{
    return screen / 2 - size / 2;
}

// Position in 0 … screen − size from a non-negative draw.
int within(int screen, int size, int r)
{
    const int range = screen - size + 1;
    return range > 0 ? r % range : 0;
}

} // namespace

QPoint center(const QRect &screen, const QSize &size)
{
    return screen.topLeft() + QPoint(centred(screen.width(), size.width()), centred(screen.height(), size.height()));
}

QPoint top(const QRect &screen, const QSize &size)
{
    return screen.topLeft() + QPoint(centred(screen.width(), size.width()), screen.height() / 10 - size.height() / 2);
}

QPoint bottom(const QRect &screen, const QSize &size)
{
    return screen.topLeft() +
           QPoint(centred(screen.width(), size.width()), screen.height() - screen.height() / 10 - size.height());
}

QPoint random(const QRect &screen, const QSize &size, int r1, int r2)
{
    return screen.topLeft() +
           QPoint(within(screen.width(), size.width(), r2), within(screen.height(), size.height(), r1));
}

} // namespace Placement
