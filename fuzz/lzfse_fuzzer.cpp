// Feeds arbitrary bytes to the LZFSE decoder: it must return or fail without touching memory it
// does not own, and never produce more than its limit.
#include "core/localization/LzfseDecoder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t limit = std::size_t{1} << 20;
    const auto decoded = LzfseDecoder::decode({data, size}, nullptr, limit);
    if (decoded && decoded->size() > limit) std::abort();
    // Decoding is a pure function of the input.
    const auto again = LzfseDecoder::decode({data, size}, nullptr, limit);
    if (decoded != again) std::abort();
    return 0;
}
