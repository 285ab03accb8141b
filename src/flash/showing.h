#pragma once

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QString>

// How one entry is shown in the overlay, as far as it follows from the chosen settings.
namespace Showing {

// Showings shorter than this are drawn faintly; the hide timer never runs below the shortest.
constexpr int FaintBelowMs = 20;
constexpr qreal FaintOpacity = 0.15;
constexpr int ShortestHideMs = 10;
// A pixel at least this opaque belongs to the shape of a window cut to its content.
constexpr int ShapeAlphaThreshold = 128;

qreal opacityFor(int durationMs);
int hideIntervalFor(int durationMs);
// The overlay label's style sheet for a colour name such as "#ff0000" or "black".
QString labelStyleSheet(const QString &colorName);

// The overlay's look for a session's colour and duration. With a compositor the whole window is
// made translucent. Without one it is cut to its content over its own `background`, so a faint
// showing mixes its colours with that background instead.
struct Look
{
    QString labelStyleSheet;
    qreal effectOpacity = 1.0;
    qreal pictureOpacity = 1.0; // pictures are drawn over the background at this opacity
    bool shaped = false;
};
Look lookFor(const QString &colorName, int durationMs, bool composited, const QColor &background);

// `color` seen at `opacity` over `background`.
QColor blended(const QColor &color, const QColor &background, qreal opacity);
// Every pixel of `picture` blended so, its alpha kept.
QImage blended(const QImage &picture, const QColor &background, qreal opacity);
// The pixels of `image` with at least `alphaThreshold` alpha, in its logical coordinates (a
// logical pixel belongs when one of its device pixels does).
QRegion opaqueRegion(const QImage &image, int alphaThreshold);

} // namespace Showing
