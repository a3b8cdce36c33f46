// Every fuzz target runs in the ordinary suite over its seeds and over every input that ever made
// it fail (fuzz/regressions/<target>/), so a fixed crash stays fixed without a fuzzing build.
#define TAVI_FUZZ_REPLAY
#include "fuzz/FuzzTarget.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString fuzzFolder() { return testsupport::sourcePath(QStringLiteral("fuzz")); }

// The seed folders of each target, as the fuzzing build lists them.
QStringList seedFoldersOf(const std::string& target) {
    const QString seeds = fuzzFolder() + QStringLiteral("/seeds/") + QString::fromStdString(target);
    if (target == "lzfse") return {testsupport::fixture("catalogs")};
    if (target == "catalog") return {testsupport::fixture("catalogs"), seeds};
    if (target == "image_decode" || target == "metadata_report")
        return {testsupport::fixture("formats"), testsupport::fixture("photos"), testsupport::fixture("bad")};
    return {seeds};
}

int replayFolder(const std::string& target, tavifuzz::Entry entry, const QString& folder) {
    const QDir dir(folder);
    int replayed = 0;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        SCOPED_TRACE((target + ": " + dir.filePath(name).toStdString()));
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(entry(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                        static_cast<std::size_t>(bytes.size())),
                  0);
        ++replayed;
    }
    return replayed;
}

} // namespace

TEST(FuzzReplay, EveryTargetIsRegistered) {
    std::vector<std::string> names;
    for (const auto& [name, entry] : tavifuzz::targets())
        names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"catalog", "image_decode", "library_state", "lzfse",
                                               "metadata_report", "recipe_json"}));
}

TEST(FuzzReplay, SeedsAndRegressionsPass) {
    for (const auto& [name, entry] : tavifuzz::targets()) {
        int replayed = 0;
        for (const QString& folder : seedFoldersOf(name)) {
            EXPECT_TRUE(QDir(folder).exists()) << folder.toStdString();
            replayed += replayFolder(name, entry, folder);
        }
        const QString regressions =
            fuzzFolder() + QStringLiteral("/regressions/") + QString::fromStdString(name);
        if (QDir(regressions).exists()) replayed += replayFolder(name, entry, regressions);
        EXPECT_GT(replayed, 0) << name;
        // The empty input, which every target must take too.
        EXPECT_EQ(entry(nullptr, 0), 0) << name;
    }
}
