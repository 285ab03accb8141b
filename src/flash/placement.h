#pragma once

#include <QPoint>

// Where the overlay goes on a screen of screenWidth × screenHeight. Integer arithmetic only,
// every division truncates, so a given size always lands on the same pixel.
namespace Placement {

QPoint center(int screenWidth, int screenHeight, int width, int height);
// Vertical middle at a tenth of the screen height.
QPoint top(int screenWidth, int screenHeight, int width, int height);
// Bottom edge at nine tenths of the screen height.
QPoint bottom(int screenWidth, int screenHeight, int width, int height);
// Fully on the screen; r1 picks y, r2 picks x (both non-negative draws). On an axis where the
// widget is larger than the screen it goes to 0.
QPoint random(int screenWidth, int screenHeight, int width, int height, int r1, int r2);

} // namespace Placement
