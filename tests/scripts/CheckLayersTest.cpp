#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QString err;
};

// scripts/check-layers over a tree holding one file, `from`, that includes `to`.
Outcome check(const QString& from, const QString& to) {
    QTemporaryDir root;
    const QString path = root.filePath(from);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(QStringLiteral("#include \"%1\"\n").arg(to).toUtf8());
    file.close();
    QProcess process;
    process.start(QStringLiteral(TAVI_SOURCE_DIR "/scripts/check-layers"), {root.path()});
    if (!process.waitForFinished(30000)) return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

// The layers, including the folders the application adds: each may include its own layer and
// those below, never one above; the command line and the benchmarks stand beside the ui.
TEST(CheckLayers, IncludesRunOnlyDownTheLayers) {
    const QList<std::pair<QString, QString>> allowed{
        {"core/imaging/filters/A.cpp", "core/common/B.h"},    {"imagecodec/A.cpp", "core/files/imageio/B.h"},
        {"core/files/A.cpp", "imagecodec/B.h"},               {"editor/A.cpp", "core/model/B.h"},
        {"ui/A.cpp", "editor/B.h"},                           {"app/A.cpp", "ui/B.h"},
        {"cli/A.cpp", "editor/B.h"},                          {"bench/A.cpp", "core/imaging/B.h"},
        {"tests/x/A.cpp", "app/B.h"},                         {"fuzz/A.cpp", "ui/B.h"},
    };
    for (const auto& [from, to] : allowed) {
        const Outcome outcome = check(from, to);
        EXPECT_EQ(outcome.exitCode, 0) << from.toStdString() << " -> " << to.toStdString() << ": "
                                       << outcome.err.toStdString();
    }
    const QList<std::pair<QString, QString>> refused{
        {"core/common/A.h", "core/files/B.h"}, {"core/files/imageio/A.cpp", "imagecodec/B.h"},
        {"imagecodec/A.h", "core/model/B.h"},  {"core/model/A.h", "editor/B.h"},
        {"editor/A.cpp", "ui/B.h"},            {"ui/A.cpp", "app/B.h"},
        {"cli/A.cpp", "ui/B.h"},               {"bench/A.cpp", "tests/support/B.h"},
        {"core/model/A.h", "thirdparty/B.h"}, // a folder with no layer yet
    };
    for (const auto& [from, to] : refused) {
        const Outcome outcome = check(from, to);
        EXPECT_EQ(outcome.exitCode, 1) << from.toStdString() << " -> " << to.toStdString();
        EXPECT_TRUE(outcome.err.contains(from + QStringLiteral(":1:"))) << outcome.err.toStdString();
    }
}
