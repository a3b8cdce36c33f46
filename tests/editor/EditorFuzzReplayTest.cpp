// The editor's fuzz target runs here over its seeds and every input that ever made it fail
// (fuzz/regressions/editor_urls/): the hardening suite replays the engine's targets, but only this
// suite links the editor.
#define TAVI_FUZZ_REPLAY
#include "fuzz/editor_urls_fuzzer.cpp"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

TEST(EditorFuzzReplay, SeedsAndRegressionsPass) {
    const tavifuzz::Entry entry = tavifuzz::targets().at("editor_urls");
    int replayed = 0;
    for (const QString& kind : {QStringLiteral("seeds"), QStringLiteral("regressions")}) {
        const QDir dir(
            testsupport::sourcePath(QStringLiteral("fuzz/") + kind + QStringLiteral("/editor_urls")));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            SCOPED_TRACE(dir.filePath(name).toStdString());
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            EXPECT_EQ(entry(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<std::size_t>(bytes.size())),
                      0);
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
    EXPECT_EQ(entry(nullptr, 0), 0);
}
