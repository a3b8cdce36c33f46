#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Shared by the block decoders of LzfseDecoder; not part of its interface.
namespace lzfse_detail {

inline std::uint32_t loadLE32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

inline std::uint64_t loadLE64(const std::uint8_t* p) {
    return std::uint64_t(loadLE32(p)) | std::uint64_t(loadLE32(p + 4)) << 32;
}

// The growing output of a stream. Each block announces its decoded size first; every write is then
// held to that size, and the announced sizes together to the stream's limit, so a hostile header
// can neither overrun the block nor make the output balloon.
class Output {
public:
    Output(std::vector<std::uint8_t>& bytes, std::size_t limit) : bytes_(bytes), limit_(limit) {}

    bool beginBlock(std::uint64_t rawBytes) {
        if (bytes_.size() > limit_ || rawBytes > limit_ - bytes_.size()) return false;
        blockEnd_ = bytes_.size() + static_cast<std::size_t>(rawBytes);
        return true;
    }
    std::size_t blockRemaining() const { return blockEnd_ - bytes_.size(); }
    bool blockComplete() const { return bytes_.size() == blockEnd_; }
    std::size_t size() const { return bytes_.size(); }

    bool literals(const std::uint8_t* data, std::size_t count) {
        if (count > blockRemaining()) return false;
        bytes_.insert(bytes_.end(), data, data + count);
        return true;
    }

    // Copies `length` bytes from `distance` bytes back; the ranges may overlap (a run).
    bool match(std::size_t distance, std::size_t length) {
        if (length == 0) return true;
        if (distance == 0 || distance > bytes_.size() || length > blockRemaining()) return false;
        std::size_t from = bytes_.size() - distance;
        std::size_t to = bytes_.size();
        bytes_.resize(to + length);
        std::uint8_t* data = bytes_.data();
        for (std::size_t i = 0; i < length; ++i) data[to + i] = data[from + i];
        return true;
    }

private:
    std::vector<std::uint8_t>& bytes_;
    std::size_t limit_;
    std::size_t blockEnd_ = 0;
};

// Decodes one LZVN payload (which must end with its end-of-stream opcode and nothing after it).
bool decodeLzvnPayload(std::span<const std::uint8_t> payload, Output& out, std::string& error);

// Decodes one "bvx1"/"bvx2" block starting at its magic; on success *consumed is the block's size.
bool decodeFseBlock(std::span<const std::uint8_t> block, bool packedHeader, Output& out, std::size_t& consumed,
                    std::string& error);

} // namespace lzfse_detail
