#include "fontfit.h"

#include <QFontMetrics>

namespace FontFit {

int largestFittingPointSize(const QFont &font, const QString &sample, const QSize &box, int *measured)
{
    QFont sized = font;
    int count = 0;
    const auto overflows = [&](int size) {
        ++count;
        sized.setPointSize(size);
        const QFontMetrics metrics(sized);
        return metrics.horizontalAdvance(sample) > box.width() || metrics.height() > box.height();
    };
    // The first overflowing size lies in [low, high]; high = LargestTried + 1 stands for none.
    int low = 1;
    int high = LargestTried + 1;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (overflows(middle))
            high = middle;
        else
            low = middle + 1;
    }
    if (measured)
        *measured = count;
    return low > LargestTried ? AllFit : low - 1;
}

} // namespace FontFit
