#include "core/imaging/tflite/FlatBufferTable.h"

#include "core/imaging/tflite/TfliteError.h"

#include <cstring>

namespace tfl {

namespace {

void require(std::span<const std::uint8_t> data, std::size_t position, std::size_t size) {
    if (position > data.size() || size > data.size() - position)
        throw ModelError(QStringLiteral("model file truncated or damaged (offset %1 + %2 outside %3 bytes)")
                             .arg(position)
                             .arg(size)
                             .arg(data.size()));
}

template <typename T>
T readAt(std::span<const std::uint8_t> data, std::size_t position) {
    require(data, position, sizeof(T));
    T value;
    std::memcpy(&value, data.data() + position, sizeof(T)); // the format is little-endian, as is this machine
    return value;
}

// Follows a forward offset stored at `position`.
std::size_t follow(std::span<const std::uint8_t> data, std::size_t position) {
    const std::uint32_t offset = readAt<std::uint32_t>(data, position);
    const std::size_t target = position + offset;
    require(data, target, 4);
    return target;
}

} // namespace

FlatTable FlatTable::root(std::span<const std::uint8_t> data) {
    return FlatTable(data, follow(data, 0));
}

FlatTable::FlatTable(std::span<const std::uint8_t> data, std::size_t position) : data_(data), position_(position) {
    const std::int32_t back = readAt<std::int32_t>(data, position);
    const std::int64_t vtable = static_cast<std::int64_t>(position) - back;
    if (vtable < 0 || static_cast<std::uint64_t>(vtable) >= data.size())
        throw ModelError(QStringLiteral("model file damaged (table directory outside the file)"));
    vtable_ = static_cast<std::size_t>(vtable);
    vtableSize_ = readAt<std::uint16_t>(data, vtable_);
    tableSize_ = readAt<std::uint16_t>(data, vtable_ + 2);
    if (vtableSize_ < 4 || vtableSize_ % 2 != 0)
        throw ModelError(QStringLiteral("model file damaged (bad table directory size)"));
    require(data, vtable_, vtableSize_);
    require(data, position_, tableSize_);
}

std::optional<std::size_t> FlatTable::fieldPosition(int field) const {
    if (field < 0) return std::nullopt;
    const std::size_t entry = 4 + 2 * static_cast<std::size_t>(field);
    if (entry + 2 > vtableSize_) return std::nullopt;
    const std::uint16_t offset = readAt<std::uint16_t>(data_, vtable_ + entry);
    if (offset == 0) return std::nullopt;
    if (offset >= tableSize_) throw ModelError(QStringLiteral("model file damaged (field outside its table)"));
    return position_ + offset;
}

std::int64_t FlatTable::integer(int field, std::int64_t fallback, int width, bool isSigned) const {
    const auto at = fieldPosition(field);
    if (!at) return fallback;
    switch (width) {
    case 1: return isSigned ? readAt<std::int8_t>(data_, *at) : readAt<std::uint8_t>(data_, *at);
    case 2: return isSigned ? readAt<std::int16_t>(data_, *at) : readAt<std::uint16_t>(data_, *at);
    default: return isSigned ? readAt<std::int32_t>(data_, *at) : readAt<std::uint32_t>(data_, *at);
    }
}

std::uint64_t FlatTable::uint64(int field, std::uint64_t fallback) const {
    const auto at = fieldPosition(field);
    return at ? readAt<std::uint64_t>(data_, *at) : fallback;
}

std::optional<FlatTable> FlatTable::table(int field) const {
    const auto at = fieldPosition(field);
    if (!at) return std::nullopt;
    return FlatTable(data_, follow(data_, *at));
}

std::optional<FlatVector> FlatTable::vector(int field) const {
    const auto at = fieldPosition(field);
    if (!at) return std::nullopt;
    const std::size_t start = follow(data_, *at);
    const std::uint32_t count = readAt<std::uint32_t>(data_, start);
    // Every element is at least one byte: a count larger than the rest of the file is a lie.
    require(data_, start + 4, count);
    return FlatVector(data_, start + 4, count);
}

std::optional<std::string> FlatTable::string(int field) const {
    const auto bytes = vector(field);
    if (!bytes) return std::nullopt;
    const auto span = bytes->bytes(1);
    return std::string(reinterpret_cast<const char*>(span.data()), span.size());
}

std::int32_t FlatVector::int32At(std::size_t index) const {
    if (index >= count_) throw ModelError(QStringLiteral("model file damaged (index past a list)"));
    return readAt<std::int32_t>(data_, position_ + 4 * index);
}

FlatTable FlatVector::tableAt(std::size_t index) const {
    if (index >= count_) throw ModelError(QStringLiteral("model file damaged (index past a list)"));
    return FlatTable(data_, follow(data_, position_ + 4 * index));
}

std::span<const std::uint8_t> FlatVector::bytes(std::size_t elementSize) const {
    if (elementSize != 0 && count_ > (data_.size() / elementSize)) require(data_, data_.size(), 1);
    require(data_, position_, count_ * elementSize);
    return data_.subspan(position_, count_ * elementSize);
}

} // namespace tfl
