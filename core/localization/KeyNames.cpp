#include "core/localization/KeyNames.h"

#include <QStringList>

namespace {

constexpr char16_t kCommand = u'\u2318';
constexpr char16_t kOption = u'\u2325';
constexpr char16_t kShift = u'\u21E7';
constexpr char16_t kControl = u'\u2303';
constexpr char16_t kDeleteBackward = u'\u232B';
constexpr char16_t kDeleteForward = u'\u2326';
constexpr char16_t kReturn = u'\u21A9';

bool isModifier(QChar c) {
    return c == kCommand || c == kOption || c == kShift || c == kControl;
}

// The name of a key glyph, or nothing when the character is not one.
QString keyGlyphName(QChar c) {
    switch (c.unicode()) {
    case kDeleteBackward:
        return QStringLiteral("Backspace");
    case kDeleteForward:
        return QStringLiteral("Del");
    case kReturn:
        return QStringLiteral("Return");
    default:
        return {};
    }
}

} // namespace

QString withPlatformKeyNames(const QString& text) {
#ifdef Q_OS_MACOS
    return text;
#else
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (!isModifier(c)) {
            const QString name = keyGlyphName(c);
            out += name.isEmpty() ? QString(c) : name;
            ++i;
            continue;
        }
        // The Command key is Ctrl here, so ⌃ and ⌘ together are one Ctrl.
        bool ctrl = false, alt = false, shift = false;
        for (; i < text.size() && isModifier(text[i]); ++i) {
            const char16_t m = text[i].unicode();
            ctrl |= m == kCommand || m == kControl;
            alt |= m == kOption;
            shift |= m == kShift;
        }
        QStringList parts;
        if (ctrl) parts << QStringLiteral("Ctrl");
        if (alt) parts << QStringLiteral("Alt");
        if (shift) parts << QStringLiteral("Shift");
        // The key the modifiers belong to directly follows them; a space, a closing parenthesis,
        // a hyphen before a word ("⌘-click") or the end means they stand alone.
        if (i < text.size()) {
            const QChar key = text[i];
            const QString name = keyGlyphName(key);
            if (!name.isEmpty()) {
                parts << name;
                ++i;
            } else if (!key.isSpace() && key != u')' && !key.isSurrogate() &&
                       !(key == u'-' && i + 1 < text.size() && text[i + 1].isLetter())) {
                parts << key.toUpper();
                ++i;
            }
        }
        out += parts.join(u'+');
    }
    return out;
#endif
}
