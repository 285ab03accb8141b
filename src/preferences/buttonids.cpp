#include "buttonids.h"

namespace ButtonIds {

namespace {
constexpr int kFirstId = -2;
constexpr int kDisplaySeconds[] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr int kDurationsMs[] = {10, 20, 30, 50, 80, 1000};

template <int N> int lookUp(const int (&table)[N], int id, int otherwise)
{
    const int index = kFirstId - id;
    return index >= 0 && index < N ? table[index] : otherwise;
}
} // namespace

int displayIntervalMs(int id)
{
    return lookUp(kDisplaySeconds, id, 8) * 1000;
}

int durationMs(int id)
{
    return lookUp(kDurationsMs, id, 0);
}

} // namespace ButtonIds
