#pragma once

// Whether the desktop composes translucent windows over what lies beneath them. Without that,
// an ARGB window's see-through parts are drawn black, and only a window cut to its content
// lets the desktop show through.
namespace Compositor {

bool isRunning();

} // namespace Compositor
