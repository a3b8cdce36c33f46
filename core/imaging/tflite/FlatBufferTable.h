#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tfl {

// Read-only access to the tables of a FlatBuffers file. Every offset read from the file is checked
// against the buffer before it is followed, so a truncated or hostile file throws ModelError
// instead of reading outside the bytes it was given.
class FlatVector;

class FlatTable {
public:
    // The root table of a buffer (its first four bytes point at it).
    static FlatTable root(std::span<const std::uint8_t> data);

    bool has(int field) const { return fieldPosition(field).has_value(); }
    std::int64_t integer(int field, std::int64_t fallback, int width, bool isSigned) const;
    std::int32_t int32(int field, std::int32_t fallback = 0) const { return static_cast<std::int32_t>(integer(field, fallback, 4, true)); }
    std::uint32_t uint32(int field, std::uint32_t fallback = 0) const { return static_cast<std::uint32_t>(integer(field, fallback, 4, false)); }
    std::int8_t int8(int field, std::int8_t fallback = 0) const { return static_cast<std::int8_t>(integer(field, fallback, 1, true)); }
    std::uint8_t uint8(int field, std::uint8_t fallback = 0) const { return static_cast<std::uint8_t>(integer(field, fallback, 1, false)); }
    std::uint64_t uint64(int field, std::uint64_t fallback = 0) const;
    bool boolean(int field, bool fallback = false) const { return uint8(field, fallback ? 1 : 0) != 0; }

    std::optional<FlatTable> table(int field) const;
    std::optional<FlatVector> vector(int field) const;
    std::optional<std::string> string(int field) const;

private:
    FlatTable(std::span<const std::uint8_t> data, std::size_t position);
    std::optional<std::size_t> fieldPosition(int field) const;
    friend class FlatVector;

    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
    std::size_t vtable_ = 0;
    std::size_t vtableSize_ = 0;
    std::size_t tableSize_ = 0;
};

class FlatVector {
public:
    std::size_t size() const { return count_; }
    std::int32_t int32At(std::size_t index) const;
    FlatTable tableAt(std::size_t index) const;
    // The elements as raw bytes, each `elementSize` bytes wide (checked to lie in the buffer).
    std::span<const std::uint8_t> bytes(std::size_t elementSize) const;

private:
    FlatVector(std::span<const std::uint8_t> data, std::size_t position, std::size_t count)
        : data_(data), position_(position), count_(count) {}
    friend class FlatTable;

    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0; // first element
    std::size_t count_ = 0;
};

} // namespace tfl
