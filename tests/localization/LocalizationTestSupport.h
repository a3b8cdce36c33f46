#pragma once

#include "core/localization/AppLanguage.h"
#include "core/localization/AppResources.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Catalog folders of a test: the application-support ones under the test's private data home and a
// fresh resource folder. Each test starts with empty folders and no stored language.
class CatalogFolders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(resources_.isValid());
        QDir(supportRoot()).removeRecursively();
        AppResources::setResourceDirectory(resources_.path());
        QSettings(QStringLiteral("Quellora"), QStringLiteral("TaviView")).remove(AppLanguage::defaultsKey);
    }
    void TearDown() override {
        AppResources::setResourceDirectory({});
        QSettings(QStringLiteral("Quellora"), QStringLiteral("TaviView")).remove(AppLanguage::defaultsKey);
    }

    static QString supportRoot() {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Quellora");
    }
    static QString downloaded() { return supportRoot() + QStringLiteral("/Localizations"); }
    static QString custom() { return supportRoot() + QStringLiteral("/Localizations/Custom"); }
    QString bundled() const { return resources_.path() + QStringLiteral("/Localizations"); }

    static void write(const QString& folder, const QString& name, const QByteArray& bytes) {
        QDir().mkpath(folder);
        QFile file(folder + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    static void copy(const QString& from, const QString& folder, const QString& name) {
        QFile source(from);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << from.toStdString();
        write(folder, name, source.readAll());
    }

private:
    QTemporaryDir resources_;
};
