#pragma once

#include <QAnyStringView>
#include <QHashFunctions>
#include <QLatin1StringView>
#include <QString>
#include <array>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

// Every enumeration of the edit model has a stable text value equal to its case name, which is
// also its stored form. An enumeration opts in by specialising EnumCases with its cases in their
// listed order:
//
//     template <> struct EnumCases<PhotoFilterPreset> {
//         static constexpr std::array cases{std::pair{PhotoFilterPreset::original, "original"}, ...};
//     };
//
// and then gets rawValue(e), fromRawValue<E>(text) and allCases<E>() from here.
template <class E>
struct EnumCases;

template <class E>
concept RawValueEnum = requires {
    EnumCases<E>::cases.size();
    { EnumCases<E>::cases[0].first } -> std::convertible_to<E>;
};

template <RawValueEnum E>
QString rawValue(E value) {
    for (const auto& [c, raw] : EnumCases<E>::cases)
        if (c == value) return QString::fromLatin1(raw);
    return {}; // only reachable for a value outside the enumeration's cases
}

// The case whose raw value is exactly `raw` (case-sensitive), or nothing.
template <RawValueEnum E>
std::optional<E> fromRawValue(QAnyStringView raw) {
    for (const auto& [c, text] : EnumCases<E>::cases)
        if (QAnyStringView::equal(QLatin1StringView(text), raw)) return c;
    return std::nullopt;
}

// The position of a case in the listed order (as lists and chip rows show them), or -1.
template <RawValueEnum E>
int caseIndex(E value) {
    for (std::size_t i = 0; i < EnumCases<E>::cases.size(); ++i)
        if (EnumCases<E>::cases[i].first == value) return static_cast<int>(i);
    return -1;
}

template <RawValueEnum E>
const std::vector<E>& allCases() {
    static const std::vector<E> all = [] {
        std::vector<E> v;
        for (const auto& entry : EnumCases<E>::cases) v.push_back(entry.first);
        return v;
    }();
    return all;
}

// The identity used by lists and selections is the raw value.
template <RawValueEnum E>
QString id(E value) {
    return rawValue(value);
}

// Lets the enumerations key QHash and QSet (std::hash already works for any enumeration).
template <RawValueEnum E>
size_t qHash(E value, size_t seed = 0) noexcept {
    return ::qHash(static_cast<std::underlying_type_t<E>>(value), seed);
}
