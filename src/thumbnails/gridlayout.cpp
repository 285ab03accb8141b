#include "gridlayout.h"

namespace GridLayout {

Result arrange(int width, int tileCount)
{
    Result result;
    if (tileCount <= 0)
        return result;

    result.positions.reserve(tileCount);
    // A column is started only while it leaves room for a whole cell plus the scroll bar and
    // margins; the first column is always used.
    const int limit = width - 152;
    int column = 0;
    int row = 0;
    for (int i = 0; i < tileCount; ++i) {
        if (column * CellSize >= limit && column != 0) {
            ++row;
            column = 0;
        }
        result.positions.append(QPoint(column * CellSize + Margin, row * CellSize + Margin));
        ++column;
    }
    result.contentSize = QSize(width - 2 * Margin, (row + 1) * CellSize + 16);
    return result;
}

} // namespace GridLayout
