#include "core/localization/LzfseDecoder.h"

#include "core/localization/LzfseBlocks.h"

using namespace lzfse_detail;

namespace {

constexpr std::uint32_t endOfStreamMagic = 0x24787662; // "bvx$"
constexpr std::uint32_t uncompressedMagic = 0x2d787662; // "bvx-"
constexpr std::uint32_t compressedV1Magic = 0x31787662; // "bvx1"
constexpr std::uint32_t compressedV2Magic = 0x32787662; // "bvx2"
constexpr std::uint32_t compressedLzvnMagic = 0x6e787662; // "bvxn"

// Decodes blocks until the end-of-stream block; anything after it is ignored.
bool decodeBlocks(std::span<const std::uint8_t> input, Output& out, std::string& error) {
    std::size_t pos = 0;
    while (true) {
        const std::size_t available = input.size() - pos;
        const std::uint8_t* p = input.data() + pos;
        if (available < 4) {
            error = pos == 0 ? "not an LZFSE stream (too short)" : "LZFSE stream is truncated (no end-of-stream block)";
            return false;
        }
        switch (loadLE32(p)) {
        case endOfStreamMagic:
            return true;
        case uncompressedMagic: {
            if (available < 8) {
                error = "stored block header is truncated";
                return false;
            }
            const std::uint32_t rawBytes = loadLE32(p + 4);
            if (rawBytes > available - 8) {
                error = "stored block is truncated";
                return false;
            }
            if (!out.beginBlock(rawBytes)) {
                error = "LZFSE stream exceeds the output limit";
                return false;
            }
            out.literals(p + 8, rawBytes);
            pos += 8 + std::size_t{rawBytes};
            break;
        }
        case compressedLzvnMagic: {
            if (available < 12) {
                error = "LZVN block header is truncated";
                return false;
            }
            const std::uint32_t rawBytes = loadLE32(p + 4);
            const std::uint32_t payloadBytes = loadLE32(p + 8);
            if (payloadBytes > available - 12) {
                error = "LZVN block is truncated";
                return false;
            }
            if (!out.beginBlock(rawBytes)) {
                error = "LZFSE stream exceeds the output limit";
                return false;
            }
            if (!decodeLzvnPayload(input.subspan(pos + 12, payloadBytes), out, error)) return false;
            pos += 12 + std::size_t{payloadBytes};
            break;
        }
        case compressedV1Magic:
        case compressedV2Magic: {
            std::size_t consumed = 0;
            if (!decodeFseBlock(input.subspan(pos), loadLE32(p) == compressedV2Magic, out, consumed, error))
                return false;
            pos += consumed;
            break;
        }
        default:
            error = pos == 0 ? "not an LZFSE stream (unknown magic)" : "LZFSE stream holds an unknown block";
            return false;
        }
    }
}

} // namespace

std::optional<std::vector<std::uint8_t>> LzfseDecoder::decode(std::span<const std::uint8_t> input, std::string* error,
                                                              std::size_t outputLimit) {
    std::vector<std::uint8_t> bytes;
    Output out(bytes, outputLimit);
    std::string reason;
    if (!decodeBlocks(input, out, reason)) {
        if (error) *error = reason;
        return std::nullopt;
    }
    return bytes;
}
