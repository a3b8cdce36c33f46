#include "core/imaging/filters/RandomGenerator.h"

namespace {

// A 32-bit integer finaliser with good avalanche (each input bit flips about half the output).
inline std::uint32_t mix(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

} // namespace

void RandomGenerator::fill(int x, int y, int count, float* out) const {
    const std::uint32_t rowKey = mix(std::uint32_t(y) * 0x9e3779b9U ^ seed);
    constexpr float unit = 1.0f / 65536.0f;
    for (int i = 0; i < count; ++i, out += 4) {
        const std::uint32_t a = mix(rowKey ^ mix(std::uint32_t(x + i)));
        const std::uint32_t b = mix(a ^ 0x68e31da4U);
        out[0] = (float(a & 0xffffU) + 0.5f) * unit;
        out[1] = (float(a >> 16) + 0.5f) * unit;
        out[2] = (float(b & 0xffffU) + 0.5f) * unit;
        out[3] = (float(b >> 16) + 0.5f) * unit;
    }
}
