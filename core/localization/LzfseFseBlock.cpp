// The LZFSE entropy-coded block. Its header carries the counts, the final encoder states and four
// normalised frequency tables (literal lengths L, match lengths M, distances D, literal bytes).
// Two bit streams follow, each read backwards from its end: first the literals, coded by four
// interleaved FSE states, then the (L, M, D) triples. Executing a triple copies L literals and then
// M bytes from D back (D = 0 repeats the previous distance).
//
// "bvx1" stores the header as a plain 772-byte record; "bvx2" packs the counts and states into
// three 64-bit words and codes the frequencies with a small variable-length code.
#include "core/localization/LzfseBlocks.h"

#include <array>
#include <bit>

namespace lzfse_detail {
namespace {

constexpr int lSymbols = 20, mSymbols = 20, dSymbols = 64, literalSymbols = 256;
constexpr int lStates = 64, mStates = 64, dStates = 256, literalStates = 1024;
constexpr std::uint32_t maxLiteralsPerBlock = 40000;
constexpr std::size_t v1HeaderSize = 772;  // the record's 770 bytes padded to 4
constexpr std::size_t v2FixedHeaderSize = 32; // magic, raw size, three packed words
constexpr std::size_t v2MaxHeaderSize = v2FixedHeaderSize + 2 * (lSymbols + mSymbols + dSymbols + literalSymbols);

constexpr std::array<std::uint8_t, lSymbols> lExtraBits{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 5, 8};
constexpr std::array<std::int32_t, lSymbols> lBaseValue{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                        10, 11, 12, 13, 14, 15, 16, 20, 28, 60};
constexpr std::array<std::uint8_t, mSymbols> mExtraBits{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 5, 8, 11};
constexpr std::array<std::int32_t, mSymbols> mBaseValue{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                        10, 11, 12, 13, 14, 15, 16, 24, 56, 312};
constexpr std::array<std::uint8_t, dSymbols> dExtraBits{
    0, 0, 0, 0, 1, 1, 1, 1, 2,  2,  2,  2,  3,  3,  3,  3,  4,  4,  4,  4,  5,  5,  5,  5,  6,  6,  6,  6,  7,  7,  7,  7,
    8, 8, 8, 8, 9, 9, 9, 9, 10, 10, 10, 10, 11, 11, 11, 11, 12, 12, 12, 12, 13, 13, 13, 13, 14, 14, 14, 14, 15, 15, 15, 15};
constexpr std::array<std::int32_t, dSymbols> dBaseValue{
    0,      1,      2,      3,      4,     6,     8,     10,    12,    16,    20,    24,    28,    36,    44,    52,
    60,     76,     92,     108,    124,   156,   188,   220,   252,   316,   380,   444,   508,   636,   764,   892,
    1020,   1276,   1532,   1788,   2044,  2556,  3068,  3580,  4092,  5116,  6140,  7164,  8188,  10236, 12284, 14332,
    16380,  20476,  24572,  28668,  32764, 40956, 49148, 57340, 65532, 81916, 98300, 114684, 131068, 163836, 196604, 229372};

struct BlockHeader {
    std::uint32_t rawBytes = 0;
    std::uint32_t literalCount = 0;
    std::uint32_t matchCount = 0;
    std::uint32_t literalPayloadBytes = 0;
    std::uint32_t lmdPayloadBytes = 0;
    std::int32_t literalBits = 0;
    std::array<std::uint16_t, 4> literalState{};
    std::int32_t lmdBits = 0;
    std::uint16_t lState = 0, mState = 0, dState = 0;
    std::array<std::uint16_t, lSymbols> lFreq{};
    std::array<std::uint16_t, mSymbols> mFreq{};
    std::array<std::uint16_t, dSymbols> dFreq{};
    std::array<std::uint16_t, literalSymbols> literalFreq{};
};

std::uint16_t loadLE16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

bool parseV1Header(std::span<const std::uint8_t> block, BlockHeader& h, std::size_t& headerSize) {
    if (block.size() < v1HeaderSize) return false;
    const std::uint8_t* p = block.data();
    h.rawBytes = loadLE32(p + 4);
    // p + 8 is the total payload size, which is the sum of the two sizes below.
    h.literalCount = loadLE32(p + 12);
    h.matchCount = loadLE32(p + 16);
    h.literalPayloadBytes = loadLE32(p + 20);
    h.lmdPayloadBytes = loadLE32(p + 24);
    h.literalBits = static_cast<std::int32_t>(loadLE32(p + 28));
    for (int i = 0; i < 4; ++i) h.literalState[i] = loadLE16(p + 32 + 2 * i);
    h.lmdBits = static_cast<std::int32_t>(loadLE32(p + 40));
    h.lState = loadLE16(p + 44);
    h.mState = loadLE16(p + 46);
    h.dState = loadLE16(p + 48);
    const std::uint8_t* f = p + 50;
    auto readTable = [&f](auto& table) {
        for (auto& value : table) {
            value = loadLE16(f);
            f += 2;
        }
    };
    readTable(h.lFreq);
    readTable(h.mFreq);
    readTable(h.dFreq);
    readTable(h.literalFreq);
    headerSize = v1HeaderSize;
    return true;
}

std::uint32_t field(std::uint64_t word, int offset, int bits) {
    return static_cast<std::uint32_t>((word >> offset) & ((std::uint64_t{1} << bits) - 1));
}

// One frequency of the packed header: a prefix code read from the low bits of `bits`.
std::uint16_t decodeFrequency(std::uint32_t bits, int& length) {
    static constexpr std::array<std::int8_t, 32> lengths{2, 3, 2, 5, 2, 3, 2, 8, 2, 3, 2, 5, 2, 3, 2, 14,
                                                         2, 3, 2, 5, 2, 3, 2, 8, 2, 3, 2, 5, 2, 3, 2, 14};
    static constexpr std::array<std::int8_t, 32> values{0, 2, 1, 4, 0, 3, 1, -1, 0, 2, 1, 5, 0, 3, 1, -1,
                                                        0, 2, 1, 6, 0, 3, 1, -1, 0, 2, 1, 7, 0, 3, 1, -1};
    const std::uint32_t low = bits & 31;
    length = lengths[low];
    if (length == 8) return static_cast<std::uint16_t>(8 + ((bits >> 4) & 0x0f));
    if (length == 14) return static_cast<std::uint16_t>(24 + ((bits >> 4) & 0x3ff));
    return static_cast<std::uint16_t>(values[low]);
}

bool parseV2Header(std::span<const std::uint8_t> block, BlockHeader& h, std::size_t& headerSize) {
    if (block.size() < v2FixedHeaderSize) return false;
    const std::uint8_t* p = block.data();
    h.rawBytes = loadLE32(p + 4);
    const std::uint64_t v0 = loadLE64(p + 8), v1 = loadLE64(p + 16), v2 = loadLE64(p + 24);
    h.literalCount = field(v0, 0, 20);
    h.literalPayloadBytes = field(v0, 20, 20);
    h.matchCount = field(v0, 40, 20);
    h.literalBits = static_cast<std::int32_t>(field(v0, 60, 3)) - 7;
    for (int i = 0; i < 4; ++i) h.literalState[i] = static_cast<std::uint16_t>(field(v1, 10 * i, 10));
    h.lmdPayloadBytes = field(v1, 40, 20);
    h.lmdBits = static_cast<std::int32_t>(field(v1, 60, 3)) - 7;
    headerSize = field(v2, 0, 32);
    h.lState = static_cast<std::uint16_t>(field(v2, 32, 10));
    h.mState = static_cast<std::uint16_t>(field(v2, 42, 10));
    h.dState = static_cast<std::uint16_t>(field(v2, 52, 10));
    if (headerSize < v2FixedHeaderSize || headerSize > v2MaxHeaderSize || headerSize > block.size()) return false;
    if (headerSize == v2FixedHeaderSize) return true; // tables omitted: all frequencies zero

    std::array<std::uint16_t*, 4> tables{h.lFreq.data(), h.mFreq.data(), h.dFreq.data(), h.literalFreq.data()};
    std::array<int, 4> counts{lSymbols, mSymbols, dSymbols, literalSymbols};
    const std::uint8_t* src = p + v2FixedHeaderSize;
    const std::uint8_t* end = p + headerSize;
    std::uint32_t accum = 0;
    int accumBits = 0;
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < counts[t]; ++i) {
            while (src < end && accumBits + 8 <= 32) {
                accum |= std::uint32_t(*src++) << accumBits;
                accumBits += 8;
            }
            int length = 0;
            tables[t][i] = decodeFrequency(accum, length);
            if (length > accumBits) return false;
            accum >>= length;
            accumBits -= length;
        }
    }
    // The tables must use the header exactly, up to the padding of the last byte.
    return accumBits < 8 && src == end;
}

// Bits are read from the end of a stream towards its start; the accumulator keeps the next bits
// at its top. `floor` is the lowest byte the stream may touch.
class BackwardBitReader {
public:
    bool init(std::int32_t extraBits, const std::uint8_t* floor, const std::uint8_t* end) {
        floor_ = floor;
        pos_ = end;
        const std::size_t available = static_cast<std::size_t>(end - floor);
        if (extraBits != 0) {
            if (available < 8) return false;
            pos_ -= 8;
            accum_ = loadLE64(pos_);
            bits_ = std::int64_t{extraBits} + 64;
        } else {
            if (available < 7) return false;
            pos_ -= 7;
            accum_ = loadLE64Partial7(pos_);
            bits_ = 56;
        }
        // The encoder leaves the unused top bits zero; anything else is damage.
        return bits_ >= 56 && bits_ < 64 && (accum_ >> bits_) == 0;
    }

    // Tops the accumulator up to at least 56 bits with whole bytes from below.
    bool refill() {
        const int bytes = static_cast<int>((63 - bits_) >> 3);
        if (bytes <= 0) return true;
        if (pos_ - floor_ < bytes) return false;
        pos_ -= bytes;
        std::uint64_t incoming = 0;
        for (int i = bytes - 1; i >= 0; --i) incoming = incoming << 8 | pos_[i];
        accum_ = accum_ << (8 * bytes) | incoming;
        bits_ += 8 * bytes;
        return true;
    }

    bool pull(int count, std::uint32_t& value) {
        if (count < 0 || count > bits_) return false;
        bits_ -= count;
        value = static_cast<std::uint32_t>(accum_ >> bits_);
        accum_ &= bits_ == 0 ? 0 : (~std::uint64_t{0} >> (64 - bits_));
        return true;
    }

private:
    static std::uint64_t loadLE64Partial7(const std::uint8_t* p) {
        std::uint64_t v = 0;
        for (int i = 6; i >= 0; --i) v = v << 8 | p[i];
        return v;
    }

    const std::uint8_t* floor_ = nullptr;
    const std::uint8_t* pos_ = nullptr;
    std::uint64_t accum_ = 0;
    std::int64_t bits_ = 0;
};

struct SymbolEntry {
    std::uint8_t bits = 0;
    std::uint8_t symbol = 0;
    std::int16_t delta = 0;
};

struct ValueEntry {
    std::uint8_t totalBits = 0; // state bits plus the value's extra bits
    std::uint8_t valueBits = 0;
    std::int16_t delta = 0;
    std::int32_t base = 0;
};

// Walks the states each symbol owns: a symbol of frequency f holds f consecutive states; from
// state j of them the next state is delta + (k or k-1 fresh bits), which always lands below
// `states` when the frequencies sum to at most `states` (checked here). States no symbol owns stay
// zero, so damaged tables decode to something deterministic instead of reading garbage.
template <class Visit>
bool forEachState(int states, const std::uint16_t* freq, int symbols, Visit visit) {
    int used = 0;
    const int leadingZeros = std::countl_zero(static_cast<std::uint32_t>(states));
    for (int s = 0; s < symbols; ++s) {
        const int f = freq[s];
        if (f == 0) continue;
        if (f > states - used) return false;
        const int k = std::countl_zero(static_cast<std::uint32_t>(f)) - leadingZeros;
        const int j0 = ((2 * states) >> k) - f;
        for (int j = 0; j < f; ++j) {
            if (j < j0)
                visit(used + j, s, k, ((f + j) << k) - states);
            else
                visit(used + j, s, k - 1, (j - j0) << (k - 1));
        }
        used += f;
    }
    return true;
}

bool buildSymbolTable(int states, const std::uint16_t* freq, int symbols, std::vector<SymbolEntry>& table) {
    table.assign(static_cast<std::size_t>(states), SymbolEntry{});
    return forEachState(states, freq, symbols, [&](int state, int symbol, int bits, int delta) {
        table[state] = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(symbol),
                        static_cast<std::int16_t>(delta)};
    });
}

bool buildValueTable(int states, const std::uint16_t* freq, int symbols, const std::uint8_t* extraBits,
                     const std::int32_t* baseValue, std::vector<ValueEntry>& table) {
    table.assign(static_cast<std::size_t>(states), ValueEntry{});
    return forEachState(states, freq, symbols, [&](int state, int symbol, int bits, int delta) {
        table[state] = {static_cast<std::uint8_t>(bits + extraBits[symbol]), extraBits[symbol],
                        static_cast<std::int16_t>(delta), baseValue[symbol]};
    });
}

bool decodeSymbol(int& state, const std::vector<SymbolEntry>& table, BackwardBitReader& in, std::uint8_t& symbol) {
    const SymbolEntry& e = table[static_cast<std::size_t>(state)];
    std::uint32_t bits = 0;
    if (!in.pull(e.bits, bits)) return false;
    state = e.delta + static_cast<int>(bits);
    symbol = e.symbol;
    return state >= 0 && static_cast<std::size_t>(state) < table.size();
}

bool decodeValue(int& state, const std::vector<ValueEntry>& table, BackwardBitReader& in, std::int32_t& value) {
    const ValueEntry& e = table[static_cast<std::size_t>(state)];
    std::uint32_t bits = 0;
    if (!in.pull(e.totalBits, bits)) return false;
    state = e.delta + static_cast<int>(bits >> e.valueBits);
    value = e.base + static_cast<std::int32_t>(bits & ((std::uint32_t{1} << e.valueBits) - 1));
    return state >= 0 && static_cast<std::size_t>(state) < table.size();
}

} // namespace

bool decodeFseBlock(std::span<const std::uint8_t> block, bool packedHeader, Output& out, std::size_t& consumed,
                    std::string& error) {
    BlockHeader h;
    std::size_t headerSize = 0;
    if (!(packedHeader ? parseV2Header(block, h, headerSize) : parseV1Header(block, h, headerSize))) {
        error = "LZFSE block header is truncated or malformed";
        return false;
    }
    const std::uint64_t blockSize = std::uint64_t{headerSize} + h.literalPayloadBytes + h.lmdPayloadBytes;
    if (blockSize > block.size()) {
        error = "LZFSE block is truncated";
        return false;
    }
    if (h.literalCount > maxLiteralsPerBlock) {
        error = "LZFSE block announces too many literals";
        return false;
    }
    for (auto s : h.literalState)
        if (s >= literalStates) {
            error = "LZFSE block has an invalid literal state";
            return false;
        }
    if (h.lState >= lStates || h.mState >= mStates || h.dState >= dStates) {
        error = "LZFSE block has an invalid match state";
        return false;
    }
    std::vector<SymbolEntry> literalTable;
    std::vector<ValueEntry> lTable, mTable, dTable;
    if (!buildSymbolTable(literalStates, h.literalFreq.data(), literalSymbols, literalTable) ||
        !buildValueTable(lStates, h.lFreq.data(), lSymbols, lExtraBits.data(), lBaseValue.data(), lTable) ||
        !buildValueTable(mStates, h.mFreq.data(), mSymbols, mExtraBits.data(), mBaseValue.data(), mTable) ||
        !buildValueTable(dStates, h.dFreq.data(), dSymbols, dExtraBits.data(), dBaseValue.data(), dTable)) {
        error = "LZFSE block has an invalid frequency table";
        return false;
    }
    if (!out.beginBlock(h.rawBytes)) {
        error = "LZFSE stream exceeds the output limit";
        return false;
    }

    // Both bit streams may reach back into the block's own header for their first bytes (a short
    // stream is loaded as one whole word), never further.
    const std::uint8_t* floor = block.data();
    const std::uint8_t* literalEnd = block.data() + headerSize + h.literalPayloadBytes;
    const std::uint8_t* lmdEnd = literalEnd + h.lmdPayloadBytes;

    // Literals come in groups of four, one per interleaved state.
    std::vector<std::uint8_t> literals((h.literalCount + 3u) & ~3u);
    {
        BackwardBitReader in;
        if (!in.init(h.literalBits, floor, literalEnd)) {
            error = "LZFSE literal stream is malformed";
            return false;
        }
        std::array<int, 4> state{h.literalState[0], h.literalState[1], h.literalState[2], h.literalState[3]};
        for (std::size_t i = 0; i < literals.size(); i += 4) {
            if (!in.refill()) {
                error = "LZFSE literal stream is truncated";
                return false;
            }
            for (int j = 0; j < 4; ++j)
                if (!decodeSymbol(state[j], literalTable, in, literals[i + j])) {
                    error = "LZFSE literal stream is malformed";
                    return false;
                }
        }
        // The encoder starts every state at 0, so decoding must end there; this is what exposes
        // damage inside the coded bits, which otherwise decodes to plausible wrong bytes.
        if (state != std::array<int, 4>{}) {
            error = "LZFSE literal stream is damaged";
            return false;
        }
    }

    BackwardBitReader in;
    if (!in.init(h.lmdBits, floor, lmdEnd)) {
        error = "LZFSE match stream is malformed";
        return false;
    }
    int lState = h.lState, mState = h.mState, dState = h.dState;
    std::int64_t distance = -1; // no previous distance yet
    std::size_t literalPos = 0;
    for (std::uint32_t n = 0; n < h.matchCount; ++n) {
        std::int32_t l = 0, m = 0, d = 0;
        if (!in.refill() || !decodeValue(lState, lTable, in, l) || !decodeValue(mState, mTable, in, m) ||
            !decodeValue(dState, dTable, in, d)) {
            error = "LZFSE match stream is truncated or malformed";
            return false;
        }
        if (d != 0) distance = d;
        const auto literalLength = static_cast<std::size_t>(l);
        if (literalLength > h.literalCount - literalPos || !out.literals(literals.data() + literalPos, literalLength)) {
            error = "LZFSE block uses more literals than it holds";
            return false;
        }
        literalPos += literalLength;
        if (m > 0 && (distance <= 0 || !out.match(static_cast<std::size_t>(distance), static_cast<std::size_t>(m)))) {
            error = "LZFSE match has an invalid distance or overruns the block";
            return false;
        }
    }
    if (lState != 0 || mState != 0 || dState != 0) {
        error = "LZFSE match stream is damaged";
        return false;
    }
    if (!out.blockComplete()) {
        error = "LZFSE block decodes to a different size than its header announces";
        return false;
    }
    consumed = static_cast<std::size_t>(blockSize);
    return true;
}

} // namespace lzfse_detail
