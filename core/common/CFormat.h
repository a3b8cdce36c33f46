#pragma once

#include <QString>

// Text of a C format ("%.1f MP", "hsl(%.0f, %.0f%%, %.0f%%)") exactly as the C library's printf
// writes it: an exact binary tie rounds to even (1.25 → "1.2", 4.5 → "4"), which Qt's own
// formatting does not do, and the decimal mark is always a period, whatever the locale.
[[gnu::format(printf, 1, 2)]] QString cFormat(const char* format, ...);
