#pragma once

// The widest hand-written vector kernels this process runs. Decided once, from the processor,
// and lowered (never raised) by the environment variable TAVI_SIMD=scalar|sse2|avx2, so the
// narrower paths, which on a modern processor only ever see row tails, can be run whole.
enum class SimdLevel { scalar, sse2, avx2 };

namespace detail {
SimdLevel decideSimdLevel();
}

inline SimdLevel simdLevel() {
    static const SimdLevel level = detail::decideSimdLevel();
    return level;
}

// Whether the four-lane SSE2 kernels may run (they are compiled wherever the target has SSE2).
inline bool narrowKernelsAvailable() {
    return simdLevel() >= SimdLevel::sse2;
}
