#include "flash/compositor.h"

namespace Compositor {

bool isRunning()
{
    // Layered windows are blended by the system itself, with or without desktop composition.
    return true;
}

} // namespace Compositor
