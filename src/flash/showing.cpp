#include "showing.h"

#include <QVector>

#include <algorithm>
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
    const int width = int(std::ceil(pixels.width() / ratio));
    const int height = int(std::ceil(pixels.height() / ratio));
    // Bands of rows with the same runs, each run left to right: the order QRegion::setRects wants.
    QVector<QRect> rects;
    QVector<QRect> runs, previous;
    QVector<bool> row(width);
    for (int y = 0; y < height; ++y) {
        row.fill(false);
        const int firstLine = int(y * ratio), endLine = qMin(pixels.height(), int(std::ceil((y + 1) * ratio)));
        for (int line = firstLine; line < endLine; ++line) {
            const auto *bits = reinterpret_cast<const QRgb *>(pixels.constScanLine(line));
            for (int x = 0; x < pixels.width(); ++x)
                if (qAlpha(bits[x]) >= alphaThreshold)
                    row[int(x / ratio)] = true;
        }
        runs.clear();
        for (int x = 0; x < width;) {
            const int start = x;
            while (x < width && row[x])
                ++x;
            if (x > start)
                runs.append(QRect(start, y, x - start, 1));
            else
                ++x;
        }
        const bool sameAsAbove =
            !runs.isEmpty() && runs.size() == previous.size() &&
            std::equal(runs.cbegin(), runs.cend(), previous.cbegin(),
                       [](const QRect &a, const QRect &b) { return a.left() == b.left() && a.right() == b.right(); });
        if (sameAsAbove) {
            for (auto r = rects.end() - runs.size(); r != rects.end(); ++r)
                r->setBottom(y);
        } else {
            rects += runs;
        }
        previous = runs;
    }
    QRegion region;
    region.setRects(rects.constData(), rects.size());
    return region;
}

} // namespace Showing
