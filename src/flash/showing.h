#pragma once

#include <QString>

// How one entry is shown in the overlay, as far as it follows from the chosen settings.
namespace Showing {

// Showings shorter than this are drawn faintly; the hide timer never runs below the shortest.
constexpr int FaintBelowMs = 20;
constexpr qreal FaintOpacity = 0.15;
constexpr int ShortestHideMs = 10;

qreal opacityFor(int durationMs);
int hideIntervalFor(int durationMs);
// The overlay label's style sheet for a colour name such as "#ff0000" or "black".
QString labelStyleSheet(const QString &colorName);

} // namespace Showing
