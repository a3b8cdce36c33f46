#include "core/localization/TextTable.h"
#include "core/localization/S.h"

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <optional>

// The complete table is what the catalogs are checked against, so a pair written at a call site but
// missing from the registry would ship untranslated in every catalog language. These tests read the
// program's own sources the way a reviewer would and hold the registry to them.

namespace {

struct FoundPair {
    QString english;
    QString turkish;
    QString where; // file:line
};

// A reader of C++ source text at a position: string literals (adjacent ones joined, escapes
// decoded) and the wrappers the code puts around them.
class SourceReader {
  public:
    SourceReader(const QString& text, qsizetype pos) : text_(text), pos_(pos) {}

    qsizetype pos() const { return pos_; }

    void skipBlanks() {
        while (pos_ < text_.size()) {
            if (text_[pos_].isSpace()) {
                ++pos_;
            } else if (text_.mid(pos_, 2) == u"//") {
                while (pos_ < text_.size() && text_[pos_] != u'\n')
                    ++pos_;
            } else {
                break;
            }
        }
    }

    bool take(QStringView token) {
        skipBlanks();
        if (text_.mid(pos_, token.size()) != token) return false;
        pos_ += token.size();
        return true;
    }

    // One or more adjacent "..." literals, or a wrapper around them: QStringLiteral("..."),
    // QString::fromUtf8("..."), QLatin1String("..."), u"...". Nothing (position unchanged) otherwise.
    std::optional<QString> literalArgument() {
        const qsizetype start = pos_;
        for (QStringView wrapper :
             {u"QStringLiteral(", u"QString::fromUtf8(", u"QLatin1String(", u"QLatin1StringView("}) {
            if (take(wrapper)) {
                auto value = literals();
                if (value && take(u")")) return value;
                pos_ = start;
                return std::nullopt;
            }
        }
        auto value = literals();
        if (!value) pos_ = start;
        return value;
    }

  private:
    std::optional<QString> literals() {
        std::optional<QString> joined;
        for (;;) {
            skipBlanks();
            if (text_.mid(pos_, 2) == u"u\"") ++pos_;
            if (pos_ >= text_.size() || text_[pos_] != u'"') return joined;
            ++pos_;
            QString value;
            while (pos_ < text_.size() && text_[pos_] != u'"') {
                if (text_[pos_] == u'\\')
                    value += escape();
                else
                    value += text_[pos_++];
            }
            ++pos_; // closing quote
            joined = joined.value_or(QString()) + value;
        }
    }

    QString escape() {
        const QChar kind = text_[pos_ + 1];
        pos_ += 2;
        if (kind == u'u' || kind == u'U') {
            const int digits = kind == u'u' ? 4 : 8;
            const char32_t code = text_.mid(pos_, digits).toUInt(nullptr, 16);
            pos_ += digits;
            return QString::fromUcs4(&code, 1);
        }
        switch (kind.unicode()) {
        case 'n':
            return QStringLiteral("\n");
        case 't':
            return QStringLiteral("\t");
        default:
            return QString(kind); // \" \\ \'
        }
    }

    const QString& text_;
    qsizetype pos_;
};

QString lineOf(const QString& text, qsizetype pos, const QString& file) {
    return file + u':' + QString::number(text.left(pos).count(u'\n') + 1);
}

QString readSource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

struct Scan {
    QList<FoundPair> pairs;
    QStringList builtBeforeLookup; // S::t(QStringLiteral("...").arg(...), ...)
    QStringList computedKeys;      // S::t(variable, ...) outside the known tables
};

// Where S::t takes computed texts on purpose: each of these files lists its pairs in a table that
// the scan reads separately (the menu's pair(...) calls, the EXIF row names), or is the string table.
const QStringList computedKeyFiles{
    QStringLiteral("ui/shell/AppMenus.cpp"), QStringLiteral("ui/inspector/InfoTab.cpp"),
    QStringLiteral("core/localization/S.cpp"), QStringLiteral("core/localization/SEnumerationNames.cpp")};

Scan scanSources() {
    Scan scan;
    const QString root = QStringLiteral(TAVI_SOURCE_DIR) + u'/';
    for (const char* folder : {"editor", "ui", "app", "cli", "core"}) {
        QDirIterator it(root + QLatin1String(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString file = path.mid(root.size());
            const QString text = readSource(path);

            for (qsizetype at = text.indexOf(u"S::t("); at >= 0; at = text.indexOf(u"S::t(", at + 1)) {
                SourceReader reader(text, at + 5);
                const auto english = reader.literalArgument();
                if (!english) {
                    if (!computedKeyFiles.contains(file)) scan.computedKeys << lineOf(text, at, file);
                    continue;
                }
                if (!reader.take(u",")) {
                    scan.builtBeforeLookup << lineOf(text, at, file);
                    continue;
                }
                const auto turkish = reader.literalArgument();
                if (!turkish || !reader.take(u")")) {
                    scan.builtBeforeLookup << lineOf(text, at, file);
                    continue;
                }
                scan.pairs << FoundPair{*english, *turkish, lineOf(text, at, file)};
            }

            if (file == u"ui/shell/AppMenus.cpp") {
                for (qsizetype at = text.indexOf(u"pair(\""); at >= 0;
                     at = text.indexOf(u"pair(\"", at + 1)) {
                    SourceReader reader(text, at + 5);
                    const auto english = reader.literalArgument();
                    const bool comma = reader.take(u",");
                    const auto turkish = reader.literalArgument();
                    if (english && comma && turkish)
                        scan.pairs << FoundPair{*english, *turkish, lineOf(text, at, file)};
                }
            }
            if (file == u"ui/inspector/InfoTab.cpp") {
                // The EXIF row names: {"Make", "Marka"}, ... inside rowLabel.
                const qsizetype begin = text.indexOf(u"rowLabel(");
                const qsizetype end = text.indexOf(u"return label;", begin);
                static const QRegularExpression row(
                    QStringLiteral(R"re(\{\s*"([^"]*)"\s*,\s*"([^"]*)"\s*\})re"));
                auto match = row.globalMatch(text.mid(begin, end - begin));
                while (match.hasNext()) {
                    const auto m = match.next();
                    scan.pairs << FoundPair{m.captured(1), m.captured(2),
                                            lineOf(text, begin + m.capturedStart(), file)};
                }
            }
        }
    }
    return scan;
}

} // namespace

TEST(TextTable, EveryPairWrittenInTheSourcesIsRegistered) {
    const Scan scan = scanSources();
    ASSERT_GT(scan.pairs.size(), 40); // the scan found the call sites at all

    QHash<QString, QString> registry;
    for (const auto& pair : S::inlinePairs())
        registry.insert(QString::fromUtf8(pair.english), QString::fromUtf8(pair.turkish));

    QSet<QString> used;
    for (const auto& found : scan.pairs) {
        used.insert(found.english);
        if (!registry.contains(found.english)) {
            ADD_FAILURE() << found.where.toStdString() << ": \"" << found.english.toStdString()
                          << "\" is shown but missing from core/localization/InlineTexts.h";
            continue;
        }
        EXPECT_EQ(registry.value(found.english), found.turkish)
            << found.where.toStdString() << ": the Turkish text differs from the registry's";
    }
    EXPECT_TRUE(scan.builtBeforeLookup.isEmpty())
        << "texts built before their lookup can never be translated; look up a %1 template, then fill it: "
        << scan.builtBeforeLookup.join(u", ").toStdString();
    EXPECT_TRUE(scan.computedKeys.isEmpty()) << "S::t with a computed English text, which no check can see: "
                                             << scan.computedKeys.join(u", ").toStdString();

    // A registered pair that nothing shows any more would make every translator translate it.
    for (auto it = registry.cbegin(); it != registry.cend(); ++it)
        EXPECT_TRUE(used.contains(it.key())) << "registered but shown nowhere: " << it.key().toStdString();
}

TEST(TextTable, OneKeyHasOneMeaning) {
    // A catalog holds one translation per English key, so a key written twice must mean the same
    // thing both times; the Turkish text is the witness.
    QHash<QString, QString> turkishOf;
    auto check = [&](const char* english, const char* turkish, const char* where) {
        const QString key = QString::fromUtf8(english), tr = QString::fromUtf8(turkish);
        EXPECT_FALSE(key.isEmpty()) << where;
        EXPECT_FALSE(tr.isEmpty()) << where << ": " << english;
        const auto it = turkishOf.constFind(key);
        if (it != turkishOf.constEnd())
            EXPECT_EQ(it.value(), tr) << where << ": \"" << english << "\" has two Turkish texts";
        else
            turkishOf.insert(key, tr);
    };
    for (const auto& p : S::textProperties())
        check(p.english, p.turkish, p.name);
    for (const auto& n : S::enumerationNames())
        check(n.english, n.turkish, n.item);
    for (const auto& p : S::inlinePairs())
        check(p.english, p.turkish, "inline");

    const auto& table = S::completeTable();
    EXPECT_EQ(static_cast<qsizetype>(table.size()), turkishOf.size()); // every key once
    EXPECT_EQ(table.front().origin, u"appSubtitle");
    EXPECT_FALSE(turkishOf.contains(QStringLiteral("Portra"))); // never looked up
}
