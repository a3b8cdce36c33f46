#pragma once

#include <QString>
#include <span>
#include <vector>

// The string table as data: every text the interface can show, for listings and checks. The
// lookups themselves are in S.h.
namespace S {

// The names of the enumeration cases: "BackgroundFillStyle.sunsetGradient", English, Turkish.
// Portra is not among them: it is never looked up.
struct EnumerationName {
    const char* item;
    const char* english; // UTF-8
    const char* turkish; // UTF-8
};
std::span<const EnumerationName> enumerationNames();

// The pairs written where they are shown (core/localization/InlineTexts.h).
struct InlinePair {
    const char* english; // UTF-8
    const char* turkish; // UTF-8
};
std::span<const InlinePair> inlinePairs();

// Every text the interface can show, each English key once: the text properties in table order,
// then the enumeration names, then the inline pairs. `origin` names where the text comes from (a
// property name, an enumeration case, or "inline"). A catalog is complete when it holds every key.
struct TableEntry {
    QString english;
    QString turkish;
    QString origin;
};
const std::vector<TableEntry>& completeTable();

} // namespace S
