#include "core/imaging/filters/RandomGenerator.h"

void RandomGenerator::fill(int x, int y, int count, float* out) const {
    const std::uint32_t key = rowKey(y);
    for (int i = 0; i < count; ++i, out += 4) sample(key, x + i, out);
}
