#include "core/common/CFormat.h"

#include <QByteArray>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>

namespace {

// The "C" locale for this thread only: the application sets the user's locale at start, whose
// decimal mark may be a comma.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

QString cFormat(const char* format, ...) {
    const locale_t previous = cLocale() ? uselocale(cLocale()) : static_cast<locale_t>(nullptr);
    char small[128];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    QString text;
    if (length >= 0 && static_cast<std::size_t>(length) < sizeof small) {
        text = QString::fromUtf8(small, length);
    } else if (length >= 0) {
        QByteArray large(length + 1, Qt::Uninitialized);
        std::vsnprintf(large.data(), large.size(), format, again);
        text = QString::fromUtf8(large.constData(), length);
    }
    va_end(again);
    if (previous) uselocale(previous);
    return text;
}
