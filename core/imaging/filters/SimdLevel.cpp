#include "core/imaging/filters/SimdLevel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace detail {

SimdLevel decideSimdLevel() {
    SimdLevel best = SimdLevel::scalar;
#if defined(__x86_64__) && defined(__GNUC__)
    // The wide kernels also convert half floats (F16C), which every AVX2 processor has.
    best = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") && __builtin_cpu_supports("f16c")
               ? SimdLevel::avx2
               : SimdLevel::sse2;
#elif defined(__SSE2__)
    best = SimdLevel::sse2;
#endif
    const char* requested = std::getenv("TAVI_SIMD");
    if (!requested || !*requested) return best;
    SimdLevel level;
    if (std::strcmp(requested, "scalar") == 0) {
        level = SimdLevel::scalar;
    } else if (std::strcmp(requested, "sse2") == 0) {
        level = SimdLevel::sse2;
    } else if (std::strcmp(requested, "avx2") == 0) {
        level = SimdLevel::avx2;
    } else {
        std::fprintf(stderr, "TAVI_SIMD=%s: not one of scalar, sse2, avx2; ignored\n", requested);
        return best;
    }
    // A level the processor lacks would crash on its first instruction.
    if (level > best) {
        std::fprintf(stderr, "TAVI_SIMD=%s: this processor cannot run it; %s kernels run instead\n",
                     requested, best == SimdLevel::sse2 ? "sse2" : "scalar");
        return best;
    }
    return level;
}

} // namespace detail
