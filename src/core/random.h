#pragma once

#include <QtGlobal>

// The flash engine's pseudo-random numbers: the toolkit's qsrand/qrand generator, seeded once at
// start-up, so a seed reproduces a shuffle and a placement.
namespace Random {

void seed(uint value);
// A non-negative pseudo-random number.
int next();

} // namespace Random
