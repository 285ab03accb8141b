#pragma once

#include <QPoint>
#include <QSize>
#include <QVector>

// Placement of the picture tiles: 120-pixel cells, left to right and top to bottom, with a
// 12-pixel margin. Kept free of widgets so the arithmetic can be checked on its own.
namespace GridLayout {

constexpr int CellSize = 120;
constexpr int Margin = 12;

struct Result
{
    QVector<QPoint> positions; // one per tile, in tile order
    QSize contentSize;         // invalid when there is nothing to place
};

// Lays out tileCount tiles for an area that is width pixels wide.
Result arrange(int width, int tileCount);

} // namespace GridLayout
