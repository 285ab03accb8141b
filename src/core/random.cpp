#include "random.h"

#include <cstdlib>

namespace Random {

QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED

void seed(uint value)
{
    qsrand(value);
}

int next()
{
    return qrand();
}

QT_WARNING_POP

} // namespace Random
