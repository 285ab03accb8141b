#include "showing.h"

#include <QBitmap>

#include <cmath>

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

Look lookFor(const QString &colorName, int durationMs, bool composited, const QColor &background)
{
    const qreal opacity = opacityFor(durationMs);
    if (composited)
        return {labelStyleSheet(colorName), opacity, 1.0, false};
    const QString mixed = opacity < 1.0 ? blended(QColor(colorName), background, opacity).name() : colorName;
    return {labelStyleSheet(mixed), 1.0, opacity, true};
}

namespace {
int mix(int over, int under, qreal opacity)
{
    return qRound(over * opacity + under * (1.0 - opacity));
}
} // namespace

QColor blended(const QColor &color, const QColor &background, qreal opacity)
{
    return QColor(mix(color.red(), background.red(), opacity), mix(color.green(), background.green(), opacity),
                  mix(color.blue(), background.blue(), opacity));
}

QImage blended(const QImage &picture, const QColor &background, qreal opacity)
{
    QImage result = picture.convertToFormat(QImage::Format_ARGB32);
    const int red = background.red(), green = background.green(), blue = background.blue();
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            line[x] = qRgba(mix(qRed(line[x]), red, opacity), mix(qGreen(line[x]), green, opacity),
                            mix(qBlue(line[x]), blue, opacity), qAlpha(line[x]));
    }
    return result;
}

QRegion opaqueRegion(const QImage &image, int alphaThreshold)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    const qreal ratio = image.devicePixelRatio();
    // One bit per logical pixel, set when any of its device pixels is opaque enough; QRegion
    // turns a bitmap into rectangles itself.
    QImage mask(int(std::ceil(pixels.width() / ratio)), int(std::ceil(pixels.height() / ratio)), QImage::Format_Mono);
    mask.setColor(0, qRgb(255, 255, 255));
    mask.setColor(1, qRgb(0, 0, 0));
    mask.fill(0);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto *bits = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            if (qAlpha(bits[x]) >= alphaThreshold)
                mask.setPixel(int(x / ratio), int(y / ratio), 1);
        }
    }
    return QRegion(QBitmap::fromImage(mask));
}

} // namespace Showing
