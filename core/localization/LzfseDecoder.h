#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Decoder for LZFSE streams, the format of the compressed catalog files. A stream is a sequence of
// blocks, each introduced by a four-byte magic: "bvx-" (stored bytes), "bvxn" (LZVN), "bvx1" and
// "bvx2" (LZ matches with FSE entropy coding, full and packed header), ended by "bvx$". Matches may
// reach back into the output of earlier blocks.
//
// The input is untrusted: every length, count, table and distance is checked before use, a damaged
// or truncated stream yields an error (never a partial result), and the output never grows beyond
// the given limit. Plain C++ without Qt so the fuzzer can build it on its own.
class LzfseDecoder {
public:
    static constexpr std::size_t defaultOutputLimit = std::size_t{64} << 20;

    // The decoded bytes, or nothing with a short reason in *error.
    static std::optional<std::vector<std::uint8_t>> decode(std::span<const std::uint8_t> input,
                                                           std::string* error = nullptr,
                                                           std::size_t outputLimit = defaultOutputLimit);
};
