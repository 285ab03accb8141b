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

QPoint center(int screenWidth, int screenHeight, int width, int height)
{
    return {centred(screenWidth, width), centred(screenHeight, height)};
}

QPoint top(int screenWidth, int screenHeight, int width, int height)
{
    return {centred(screenWidth, width), screenHeight / 10 - height / 2};
}

QPoint bottom(int screenWidth, int screenHeight, int width, int height)
{
    return {centred(screenWidth, width), screenHeight - screenHeight / 10 - height};
}

QPoint random(int screenWidth, int screenHeight, int width, int height, int r1, int r2)
{
    return {within(screenWidth, width, r2), within(screenHeight, height, r1)};
}

} // namespace Placement
