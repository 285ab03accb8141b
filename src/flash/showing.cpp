#include "showing.h"

namespace Showing {

qreal opacityFor(int durationMs)
{
    return durationMs < FaintBelowMs ? FaintOpacity : 1.0;
}

int hideIntervalFor(int durationMs)
{
    return durationMs < FaintBelowMs ? ShortestHideMs : durationMs;
}

QString labelStyleSheet(const QString &colorName)
{
    return QStringLiteral("QLabel { color : ") + colorName + QStringLiteral("; }");
}

} // namespace Showing
