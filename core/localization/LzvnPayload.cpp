// LZVN: byte-aligned opcodes, each carrying up to a few literals and/or one match. The opcode's
// first byte selects its shape:
//   LLMMMDDD DDDDDDDD            small distance (low bits 000-101)
//   LLMMM110                     previous distance (rows 0x40-0x6f, 0x80-0x9f, 0xc0-0xdf)
//   LLMMM111 DDDDDDDD DDDDDDDD   large distance (little-endian)
//   101LLMMM DDDDDDMM DDDDDDDD   medium distance
//   1110LLLL / 11100000 LLLLLLLL small / large literal run
//   1111MMMM / 11110000 MMMMMMMM small / large match at the previous distance
//   00000110 + 7 bytes           end of stream; 0x0e and 0x16 are no-ops; the rest is undefined
// Literals follow their opcode; the match (M bytes, D back) is copied after them.
#include "core/localization/LzfseBlocks.h"

namespace lzfse_detail {
namespace {

enum class Op { smallDistance, previousDistance, largeDistance, mediumDistance, smallLiteral, largeLiteral,
                smallMatch, largeMatch, endOfStream, nop, undefined };

Op classify(std::uint8_t opc) {
    if (opc >= 0xf0) return opc == 0xf0 ? Op::largeMatch : Op::smallMatch;
    if (opc >= 0xe0) return opc == 0xe0 ? Op::largeLiteral : Op::smallLiteral;
    if (opc >= 0xa0 && opc < 0xc0) return Op::mediumDistance;
    if (opc >= 0x70 && opc < 0x80) return Op::undefined;
    switch (opc & 7) {
    case 7:
        return Op::largeDistance;
    case 6:
        if (opc >= 0x40) return Op::previousDistance;
        if (opc == 0x06) return Op::endOfStream;
        if (opc == 0x0e || opc == 0x16) return Op::nop;
        return Op::undefined;
    default:
        return Op::smallDistance;
    }
}

} // namespace

bool decodeLzvnPayload(std::span<const std::uint8_t> payload, Output& out, std::string& error) {
    const std::uint8_t* src = payload.data();
    const std::size_t size = payload.size();
    std::size_t pos = 0;
    std::size_t previousDistance = 0; // none yet: a match that reuses it is an error
    while (pos < size) {
        const std::uint8_t opc = src[pos];
        const std::size_t available = size - pos;
        std::size_t opLength = 1, literalCount = 0, matchLength = 0, distance = previousDistance;
        switch (classify(opc)) {
        case Op::endOfStream:
            if (available < 8) {
                error = "LZVN end-of-stream opcode is truncated";
                return false;
            }
            if (available != 8) {
                error = "LZVN payload continues after its end-of-stream opcode";
                return false;
            }
            if (!out.blockComplete()) {
                error = "LZVN block decodes to fewer bytes than its header announces";
                return false;
            }
            return true;
        case Op::nop:
            ++pos;
            continue;
        case Op::undefined:
            error = "LZVN payload holds an undefined opcode";
            return false;
        case Op::smallDistance:
            opLength = 2;
            if (available < opLength) break;
            literalCount = opc >> 6;
            matchLength = ((opc >> 3) & 7) + 3;
            distance = std::size_t(opc & 7) << 8 | src[pos + 1];
            break;
        case Op::previousDistance:
            literalCount = opc >> 6;
            matchLength = ((opc >> 3) & 7) + 3;
            break;
        case Op::largeDistance:
            opLength = 3;
            if (available < opLength) break;
            literalCount = opc >> 6;
            matchLength = ((opc >> 3) & 7) + 3;
            distance = std::size_t(src[pos + 1]) | std::size_t(src[pos + 2]) << 8;
            break;
        case Op::mediumDistance: {
            opLength = 3;
            if (available < opLength) break;
            const std::size_t tail = std::size_t(src[pos + 1]) | std::size_t(src[pos + 2]) << 8;
            literalCount = (opc >> 3) & 3;
            matchLength = ((std::size_t(opc & 7) << 2) | (tail & 3)) + 3;
            distance = tail >> 2;
            break;
        }
        case Op::smallLiteral:
            literalCount = opc & 0x0f;
            break;
        case Op::largeLiteral:
            opLength = 2;
            if (available < opLength) break;
            literalCount = std::size_t(src[pos + 1]) + 16;
            break;
        case Op::smallMatch:
            matchLength = opc & 0x0f;
            break;
        case Op::largeMatch:
            opLength = 2;
            if (available < opLength) break;
            matchLength = std::size_t(src[pos + 1]) + 16;
            break;
        }
        if (available < opLength || available - opLength < literalCount) {
            error = "LZVN payload is truncated inside an opcode";
            return false;
        }
        if (!out.literals(src + pos + opLength, literalCount)) {
            error = "LZVN literals overrun the block's announced size";
            return false;
        }
        pos += opLength + literalCount;
        if (matchLength > 0 && !out.match(distance, matchLength)) {
            error = "LZVN match has an invalid distance or overruns the block";
            return false;
        }
        previousDistance = distance;
    }
    error = "LZVN payload ends without an end-of-stream opcode";
    return false;
}

} // namespace lzfse_detail
