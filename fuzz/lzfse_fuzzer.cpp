// Feeds arbitrary bytes to the LZFSE decoder: it must return or fail without touching memory it
// does not own, and never produce more than its limit.
#include "core/localization/LzfseDecoder.h"
#include "fuzz/FuzzTarget.h"

TAVI_FUZZ_TARGET(lzfse) {
    constexpr std::size_t limit = std::size_t{1} << 20;
    const auto decoded = LzfseDecoder::decode({data, size}, nullptr, limit);
    TAVI_FUZZ_CHECK(!decoded || decoded->size() <= limit);
    // Decoding is a pure function of the input.
    const auto again = LzfseDecoder::decode({data, size}, nullptr, limit);
    TAVI_FUZZ_CHECK(decoded == again);
    return 0;
}
