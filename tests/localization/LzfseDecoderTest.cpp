#include "core/localization/LzfseDecoder.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

Bytes catalogFixture(const char* name) { return readBytes(testsupport::fixture(QStringLiteral("catalogs/") + name)); }

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

void append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

void appendLE32(Bytes& to, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) to.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A fixture stream without its closing "bvx$", so its blocks can be chained.
Bytes blocksOf(const char* name) {
    Bytes stream = catalogFixture(name);
    EXPECT_GE(stream.size(), 4u);
    stream.resize(stream.size() - 4);
    return stream;
}

const Bytes endOfStream = bytesOf("bvx$");

Bytes storedBlock(const Bytes& raw) {
    Bytes block = bytesOf("bvx-");
    appendLE32(block, static_cast<std::uint32_t>(raw.size()));
    append(block, raw);
    return block;
}

Bytes lzvnBlock(std::uint32_t rawBytes, Bytes payload, bool terminate = true) {
    if (terminate) append(payload, Bytes{0x06, 0, 0, 0, 0, 0, 0, 0});
    Bytes block = bytesOf("bvxn");
    appendLE32(block, rawBytes);
    appendLE32(block, static_cast<std::uint32_t>(payload.size()));
    append(block, payload);
    return block;
}

Bytes stream(std::initializer_list<Bytes> blocks) {
    Bytes out;
    for (const auto& block : blocks) append(out, block);
    append(out, endOfStream);
    return out;
}

std::optional<Bytes> decode(const Bytes& input, std::size_t limit = LzfseDecoder::defaultOutputLimit,
                            std::string* error = nullptr) {
    return LzfseDecoder::decode(input, error, limit);
}

// Rewrites the packed "bvx2" header of a block as the plain 772-byte "bvx1" record, so the same
// coded payload exercises the other header form.
Bytes repackAsV1(const Bytes& v2Stream) {
    auto le64 = [&](std::size_t at) {
        std::uint64_t v = 0;
        for (int i = 7; i >= 0; --i) v = v << 8 | v2Stream[at + i];
        return v;
    };
    auto get = [](std::uint64_t v, int offset, int bits) { return std::uint32_t((v >> offset) & ((1ull << bits) - 1)); };
    const std::uint64_t v0 = le64(8), v1 = le64(16), v2 = le64(24);
    const std::uint32_t headerSize = get(v2, 0, 32);
    std::vector<std::uint16_t> freq;
    std::uint32_t accum = 0;
    int accumBits = 0;
    std::size_t pos = 32;
    while (freq.size() < 360) {
        while (pos < headerSize && accumBits <= 24) {
            accum |= std::uint32_t(v2Stream[pos++]) << accumBits;
            accumBits += 8;
        }
        // The header's frequency code: 2, 3 or 5 bits from a small table, or 8/14-bit escapes.
        static const int lengths[32] = {2, 3, 2, 5, 2, 3, 2, 8, 2, 3, 2, 5, 2, 3, 2, 14,
                                        2, 3, 2, 5, 2, 3, 2, 8, 2, 3, 2, 5, 2, 3, 2, 14};
        static const int values[32] = {0, 2, 1, 4, 0, 3, 1, -1, 0, 2, 1, 5, 0, 3, 1, -1,
                                       0, 2, 1, 6, 0, 3, 1, -1, 0, 2, 1, 7, 0, 3, 1, -1};
        const int n = lengths[accum & 31];
        freq.push_back(std::uint16_t(n == 8 ? 8 + ((accum >> 4) & 15) : n == 14 ? 24 + ((accum >> 4) & 1023) : values[accum & 31]));
        accum >>= n;
        accumBits -= n;
    }
    Bytes out = bytesOf("bvx1");
    auto put16 = [&out](std::uint32_t v) { out.push_back(std::uint8_t(v)); out.push_back(std::uint8_t(v >> 8)); };
    const std::uint32_t literalPayload = get(v0, 20, 20), lmdPayload = get(v1, 40, 20);
    for (std::uint32_t v : {std::uint32_t(v2Stream[4] | v2Stream[5] << 8 | v2Stream[6] << 16 | v2Stream[7] << 24),
                            literalPayload + lmdPayload, get(v0, 0, 20), get(v0, 40, 20), literalPayload, lmdPayload,
                            get(v0, 60, 3) - 7})
        appendLE32(out, v);
    for (int i = 0; i < 4; ++i) put16(get(v1, 10 * i, 10));
    appendLE32(out, get(v1, 60, 3) - 7);
    put16(get(v2, 32, 10));
    put16(get(v2, 42, 10));
    put16(get(v2, 52, 10));
    for (auto f : freq) put16(f);
    out.resize(772, 0);
    out.insert(out.end(), v2Stream.begin() + headerSize, v2Stream.end());
    return out;
}

} // namespace

TEST(LzfseDecoder, DecodesEveryCatalogFixtureExactly) {
    for (const char* name : {"de.json", "edge4095.json", "flat-ja.json", "fr.json", "tiny"}) {
        const Bytes compressed = catalogFixture((std::string(name) + ".lzfse").c_str());
        const Bytes expected = catalogFixture((std::string(name) + ".expected").c_str());
        ASSERT_FALSE(compressed.empty()) << name;
        std::string error;
        const auto decoded = decode(compressed, LzfseDecoder::defaultOutputLimit, &error);
        ASSERT_TRUE(decoded.has_value()) << name << ": " << error;
        EXPECT_EQ(*decoded, expected) << name;
    }
}

TEST(LzfseDecoder, RejectsTheDamagedFixturesAndEveryTruncation) {
    for (const char* name : {"de-truncated.lzfse", "de-bitflip.lzfse"}) {
        std::string error;
        EXPECT_FALSE(decode(catalogFixture(name), LzfseDecoder::defaultOutputLimit, &error).has_value()) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    // Without its end-of-stream block no prefix of a stream is a stream.
    for (const char* name : {"de.json.lzfse", "edge4095.json.lzfse", "fr.json.lzfse"}) {
        const Bytes full = catalogFixture(name);
        for (std::size_t n = 0; n < full.size(); ++n)
            EXPECT_FALSE(decode(Bytes(full.begin(), full.begin() + n)).has_value()) << name << " cut at " << n;
    }
}

TEST(LzfseDecoder, DecodesTheFullHeaderFormOfACompressedBlock) {
    const Bytes v1 = repackAsV1(catalogFixture("de.json.lzfse"));
    ASSERT_EQ(std::string(v1.begin(), v1.begin() + 4), "bvx1");
    const auto decoded = decode(v1);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, catalogFixture("de.json.expected"));
}

TEST(LzfseDecoder, ChainsBlocksOfEveryKind) {
    // stored, LZVN, FSE, stored again: the output is the concatenation.
    const Bytes input = stream({blocksOf("tiny.lzfse"), blocksOf("edge4095.json.lzfse"), blocksOf("de.json.lzfse"),
                                blocksOf("fr.json.lzfse")});
    Bytes expected = catalogFixture("tiny.expected");
    append(expected, catalogFixture("edge4095.json.expected"));
    append(expected, catalogFixture("de.json.expected"));
    append(expected, catalogFixture("fr.json.expected"));
    const auto decoded = decode(input);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, expected);

    // Empty blocks and an empty stream are fine; bytes after the end-of-stream block are ignored.
    EXPECT_EQ(decode(stream({storedBlock({}), storedBlock(bytesOf("x"))})), std::optional(bytesOf("x")));
    EXPECT_EQ(decode(endOfStream), std::optional(Bytes{}));
    Bytes trailing = stream({storedBlock(bytesOf("ab"))});
    append(trailing, bytesOf("garbage"));
    EXPECT_EQ(decode(trailing), std::optional(bytesOf("ab")));
}

TEST(LzfseDecoder, LzvnMatchesReachIntoEarlierBlocks) {
    // Small-distance opcode L=0, M=8, D=8 copies the previous block; one literal; a run of ten
    // with D=1, and ten more at the previous distance.
    const Bytes input = stream({storedBlock(bytesOf("abcdefgh")),
                                lzvnBlock(8 + 1 + 20, {0x28, 0x08, 0xe1, 'z', 0x38, 0x01, 0xfa})});
    const auto decoded = decode(input);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, bytesOf("abcdefgh" "abcdefgh" "z" "zzzzzzzzzzzzzzzzzzzz"));

    // A no-op, then medium distance (101LLMMM DDDDDDMM DDDDDDDD, L=1, M=4, D=3) and large
    // distance (LLMMM111 + 16-bit D, L=0, M=3, D=5).
    const auto medium = decode(stream({lzvnBlock(3 + 1 + 4 + 3, {0xe3, 'a', 'b', 'c', 0x0e, 0xa8, 0x0d, 0x00, 'd',
                                                                 0x07, 0x05, 0x00})}));
    ASSERT_TRUE(medium.has_value());
    EXPECT_EQ(*medium, bytesOf("abc" "d" "bcdb" "dbc"));
}

TEST(LzfseDecoder, RejectsDamagedLzvn) {
    const Bytes abc{0xe3, 'a', 'b', 'c'};
    auto fails = [](const Bytes& input) { return !decode(input).has_value(); };
    EXPECT_FALSE(fails(stream({lzvnBlock(3, abc)})));
    EXPECT_TRUE(fails(stream({lzvnBlock(4, abc)})));                       // fewer bytes than announced
    EXPECT_TRUE(fails(stream({lzvnBlock(2, abc)})));                       // more bytes than announced
    EXPECT_TRUE(fails(stream({lzvnBlock(3, abc, false)})));                // no end-of-stream opcode
    EXPECT_TRUE(fails(stream({lzvnBlock(3, {0xe3, 'a', 'b', 'c', 0x06, 0, 0}, false)}))); // short end opcode
    EXPECT_TRUE(fails(stream({lzvnBlock(3, {0xe3, 'a', 'b', 'c', 0x06, 0, 0, 0, 0, 0, 0, 0, 0x0e}, false)})));
    EXPECT_TRUE(fails(stream({lzvnBlock(7, {0xe3, 'a', 'b', 'c', 0xf4})})));      // no previous distance
    EXPECT_TRUE(fails(stream({lzvnBlock(7, {0xe3, 'a', 'b', 'c', 0x08, 0x04})}))); // distance beyond output
    EXPECT_TRUE(fails(stream({lzvnBlock(7, {0xe3, 'a', 'b', 'c', 0x08, 0x00})}))); // distance zero
    EXPECT_TRUE(fails(stream({lzvnBlock(3, {0x1e, 'a', 'b', 'c'})})));     // undefined opcode
    EXPECT_TRUE(fails(stream({lzvnBlock(3, {0x70})})));                    // undefined opcode row
    EXPECT_TRUE(fails(stream({lzvnBlock(3, {0xe5, 'a', 'b'}, false)})));   // literals cut short
    Bytes lying = lzvnBlock(3, abc);
    lying[8] = 0xff; // payload size larger than the input
    EXPECT_TRUE(fails(lying));
}

TEST(LzfseDecoder, RejectsBadFramingAndHoldsTheOutputLimit) {
    auto fails = [](const Bytes& input, std::size_t limit = LzfseDecoder::defaultOutputLimit) {
        return !decode(input, limit).has_value();
    };
    EXPECT_TRUE(fails({}));
    EXPECT_TRUE(fails(bytesOf("bvx")));
    EXPECT_TRUE(fails(bytesOf("{\"a\":1}")));
    EXPECT_TRUE(fails(stream({bytesOf("bvx9")})));
    Bytes lyingStored = storedBlock(bytesOf("abc"));
    lyingStored[4] = 4;
    EXPECT_TRUE(fails(stream({lyingStored})));
    Bytes hugeStored = bytesOf("bvx-");
    appendLE32(hugeStored, 0xffffffffu);
    EXPECT_TRUE(fails(stream({hugeStored})));

    // The limit counts every block, and an LZVN run cannot expand past it.
    const Bytes twoBlocks = stream({storedBlock(bytesOf("abcd")), storedBlock(bytesOf("efgh"))});
    EXPECT_FALSE(fails(twoBlocks, 8));
    EXPECT_TRUE(fails(twoBlocks, 7));
    const Bytes run = stream({lzvnBlock(1 + 10 + 271, {0xe1, 'z', 0x38, 0x01, 0xf0, 0xff})});
    EXPECT_FALSE(fails(run, 282));
    EXPECT_TRUE(fails(run, 281));
    Bytes claimsHuge = lzvnBlock(0, {0xe1, 'z', 0xf0, 0xff});
    claimsHuge[4] = 0xff, claimsHuge[5] = 0xff, claimsHuge[6] = 0xff, claimsHuge[7] = 0x7f;
    EXPECT_TRUE(fails(stream({claimsHuge})));

    // The compressed fixture decodes under a limit of exactly its size and not one byte less.
    const Bytes de = catalogFixture("de.json.lzfse");
    EXPECT_FALSE(fails(de, 6229));
    EXPECT_TRUE(fails(de, 6228));
}

TEST(LzfseDecoder, SurvivesDamageAnywhereInACompressedBlock) {
    // Every byte of the FSE fixture's header and payload, flipped: decoding may fail or produce
    // something, but never more than the block announces (ASan and UBSan builds catch the rest).
    const Bytes original = catalogFixture("de.json.lzfse");
    for (std::size_t i = 0; i < original.size(); ++i) {
        for (std::uint8_t mask : {std::uint8_t{0x01}, std::uint8_t{0x80}, std::uint8_t{0xff}}) {
            Bytes damaged = original;
            damaged[i] ^= mask;
            const auto decoded = decode(damaged, 1 << 20);
            if (decoded) {
                EXPECT_LE(decoded->size(), std::size_t{1} << 20);
            }
        }
    }
}

TEST(LzfseDecoder, ReplaysTheFuzzingCorpus) {
    // Inputs that once troubled the decoder are kept beside the fuzz target; each must decode or
    // fail within the limit.
    const QDir regressions(testsupport::sourcePath(QStringLiteral("fuzz/regressions/lzfse")));
    ASSERT_TRUE(regressions.exists()) << regressions.path().toStdString();
    QStringList files = regressions.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    QDir catalogs(testsupport::fixture(QStringLiteral("catalogs")));
    for (const QString& name : catalogs.entryList({QStringLiteral("*.lzfse")}, QDir::Files)) files << catalogs.filePath(name);
    ASSERT_GE(files.size(), 7);
    for (const QString& file : files) {
        const QString path = QFileInfo(file).isAbsolute() ? file : regressions.filePath(file);
        const auto decoded = decode(readBytes(path), 1 << 20);
        if (decoded) {
            EXPECT_LE(decoded->size(), std::size_t{1} << 20) << path.toStdString();
        }
    }
}
