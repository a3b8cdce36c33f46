// Deeply nested JSON wherever stored JSON is read: the parser's nesting limit turns it into a
// clean failure (or the documented fallback) instead of a stack overflow.
#include "core/files/FavoritesAndPresetsStore.h"
#include "core/localization/AppStringCatalog.h"
#include "core/model/AnnotationItem.h"
#include "core/model/EditAdjustments.h"
#include "core/model/JsonDecoding.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int kDepth = 100'000;

QByteArray deepArray() {
    return QByteArray(kDepth, '[') + QByteArray(kDepth, ']');
}
// The same depth inside an object, where a decoder expects a value.
QByteArray deepInObject(const char* key) {
    return QByteArray("{\"") + key + "\": " + deepArray() + "}";
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(JsonNesting, RecipesAndItemsFailWithAParseError) {
    for (const QByteArray& text : {deepArray(), deepInObject("exposure"), deepInObject("cropRect")}) {
        JsonDecodeError error;
        EXPECT_FALSE(parseJsonObject(text, &error));
        EXPECT_FALSE(error.message.isEmpty());
    }
    // Items arrive as a list; the parser stops before any item is decoded.
    QJsonParseError parseError;
    (void)QJsonDocument::fromJson(deepArray(), &parseError);
    EXPECT_EQ(parseError.error, QJsonParseError::DeepNesting);

    QTemporaryDir dir;
    writeFile(dir.filePath("deep.json"), deepInObject("exposure"));
    const auto recipe = testsupport::runCli(
        {QStringLiteral("recipe"), QStringLiteral("--validate"), dir.filePath("deep.json")});
    EXPECT_NE(recipe.exitCode, 0);
    EXPECT_FALSE(recipe.err.isEmpty());
    writeFile(dir.filePath("items.json"), deepArray());
    const auto annotate =
        testsupport::runCli({QStringLiteral("annotate"), testsupport::fixture("photos/hopper.png"),
                             dir.filePath("items.json"), QStringLiteral("-o"), dir.filePath("out.png")});
    EXPECT_NE(annotate.exitCode, 0);
    EXPECT_FALSE(annotate.err.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("out.png")));
}

TEST(JsonNesting, LibraryStateStartsEmptyAndKeepsTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("library_state.json");
    writeFile(path, deepInObject("favoritePaths"));
    FavoritesAndPresetsStore store(dir.path());
    EXPECT_TRUE(store.favoritePathsInOrder().isEmpty());
    EXPECT_TRUE(store.customPresets().isEmpty());
    // The damaged file is set aside, not overwritten, by the first save.
    store.toggleFavorite(QStringLiteral("/photos/a.jpg"));
    ASSERT_TRUE(store.setAsideFile());
    QFile setAside(*store.setAsideFile());
    ASSERT_TRUE(setAside.open(QIODevice::ReadOnly));
    EXPECT_EQ(setAside.readAll(), deepInObject("favoritePaths"));
}

TEST(JsonNesting, CatalogsFallBack) {
    EXPECT_FALSE(AppStringCatalog::parseCatalog(deepArray()));
    EXPECT_FALSE(AppStringCatalog::parseCatalog(deepInObject("strings")));
    EXPECT_FALSE(AppStringCatalog::parseCatalog(deepInObject("Cancel")));
}
