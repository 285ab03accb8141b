#include "flash/compositor.h"

#include <QX11Info>

namespace Compositor {

bool isRunning()
{
    // Wayland always composes; so do the platforms without windows of their own (offscreen).
    if (!QX11Info::isPlatformX11())
        return true;
    return QX11Info::isCompositingManagerRunning();
}

} // namespace Compositor
