#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::fixture;
using testsupport::runCli;

namespace {

TEST(FilesCli, InfoAndThumbOfEveryBadFileFailCleanlyOrDescribeIt) {
    QTemporaryDir out;
    const QDir bad(fixture("bad"));
    for (const QString& name : bad.entryList(QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        const auto info = runCli({"info", bad.filePath(name), "--json"});
        EXPECT_TRUE(info.exitCode == 0 || info.exitCode == 1) << info.err.toStdString();
        const auto thumb = runCli({"thumb", bad.filePath(name), "--max", "220", "-o", out.filePath(name + ".png")});
        EXPECT_TRUE(thumb.exitCode == 0 || thumb.exitCode == 1) << thumb.err.toStdString();
        if (thumb.exitCode == 1) {
            EXPECT_TRUE(thumb.err.contains("could not decode"));
            EXPECT_FALSE(QFile::exists(out.filePath(name + ".png")));
        }
    }
}

TEST(FilesCli, InfoJsonThumbAndList) {
    const auto info = runCli({"info", fixture("photos/landscape_6.jpg"), "--json"});
    ASSERT_EQ(info.exitCode, 0);
    EXPECT_TRUE(info.out.contains("\"dimensionsText\": \"600 \u00D7 450\""));
    EXPECT_TRUE(info.out.contains("\"megapixelsText\": \"0.3 MP\""));

    QTemporaryDir out;
    const auto thumb = runCli({"thumb", fixture("photos/landscape_6.jpg"), "--max", "100", "-o", out.filePath("t.png")});
    ASSERT_EQ(thumb.exitCode, 0);
    EXPECT_EQ(QImage(out.filePath("t.png")).size(), QSize(100, 75));

    const auto list = runCli({"list", fixture("photos/landscape_2.jpg")});
    ASSERT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.contains("* " + fixture("photos/landscape_2.jpg")));
    EXPECT_TRUE(list.out.contains("selectedIndex: 5")); // after Canon, DSCN, flowers, hopper, landscape_1

    EXPECT_EQ(runCli({"info", out.filePath("missing.jpg")}).exitCode, 1);
    EXPECT_EQ(runCli({"thumb"}).exitCode, 2);
    EXPECT_EQ(runCli({"no-such-command"}).exitCode, 2);
}

} // namespace
