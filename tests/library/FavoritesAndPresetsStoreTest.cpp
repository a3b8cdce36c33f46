#include "core/files/FavoritesAndPresetsStore.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>
#include <thread>

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class Store : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file() const { return dir.filePath("library_state.json"); }
};

TEST_F(Store, FreshStartCreatesTheFileAtTheFirstChange) {
    FavoritesAndPresetsStore store(dir.path());
    EXPECT_EQ(store.fileURL(), file());
    EXPECT_FALSE(QFile::exists(file()));
    EXPECT_TRUE(store.allFavoritePaths().isEmpty());
    EXPECT_TRUE(store.toggleFavorite("/photos/a.jpg"));
    ASSERT_TRUE(QFile::exists(file()));
    // Indented, keys sorted: customPresets before favoritePaths.
    const QByteArray text = readAll(file());
    EXPECT_LT(text.indexOf("customPresets"), text.indexOf("favoritePaths"));
    EXPECT_TRUE(text.contains("\n    "));
}

TEST_F(Store, DefaultLocationIsTheUserDataFolder) {
    FavoritesAndPresetsStore store;
    EXPECT_TRUE(store.fileURL().endsWith("/TaviView/library_state.json"));
    EXPECT_TRUE(store.fileURL().startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
}

TEST_F(Store, FavouritesAreStandardizedOrderedAndUnique) {
    FavoritesAndPresetsStore store(dir.path());
    EXPECT_TRUE(store.toggleFavorite("/Users/a/Pictures/../Pictures/x.jpg"));
    EXPECT_TRUE(store.isFavorite("/Users/a/Pictures/x.jpg"));
    EXPECT_TRUE(store.toggleFavorite("/b.jpg"));
    EXPECT_EQ(store.favoritePathsInOrder(), (QStringList{"/Users/a/Pictures/x.jpg", "/b.jpg"}));
    EXPECT_FALSE(store.toggleFavorite("/Users/a/Pictures/x.jpg"));
    EXPECT_EQ(store.favoritePathsInOrder(), QStringList{"/b.jpg"});
    // Read back by a new store.
    FavoritesAndPresetsStore again(dir.path());
    EXPECT_EQ(again.allFavoritePaths(), QSet<QString>{"/b.jpg"});
}

TEST_F(Store, HandEditedFavouritesAreStandardizedOrDropped) {
    // A relative entry names no file, so it is dropped; uncleaned spellings of one file become
    // one favourite in its standardized form, which queries and toggles then reach.
    writeFile(file(), R"({"customPresets": [], "favoritePaths": ["highl/photos/a.jpg", "/photos//b c.png",
        "/x/../photos/b c.png", "", "/../../c.jpg", "./d.jpg", "/c.jpg"]})");
    FavoritesAndPresetsStore store(dir.path());
    EXPECT_EQ(store.favoritePathsInOrder(), (QStringList{"/photos/b c.png", "/c.jpg"}));
    EXPECT_TRUE(store.isFavorite("/photos/./b c.png"));
    EXPECT_TRUE(store.isFavorite("/../c.jpg"));
    EXPECT_FALSE(store.isFavorite("highl/photos/a.jpg"));
    EXPECT_FALSE(store.toggleFavorite("/photos/b c.png"));
    EXPECT_FALSE(store.toggleFavorite("/c.jpg"));
    EXPECT_TRUE(store.allFavoritePaths().isEmpty());
    EXPECT_TRUE(FavoritesAndPresetsStore(dir.path()).favoritePathsInOrder().isEmpty());
}

TEST_F(Store, PresetsDropGeometryNameAndLimit) {
    FavoritesAndPresetsStore store(dir.path());
    EditAdjustments recipe;
    recipe.exposure = 0.7;
    recipe.filterPreset = PhotoFilterPreset::noirBW;
    recipe.cropRect = NormalizedCropRect(0.1, 0.1, 0.5, 0.5);
    recipe.quarterTurns = 3;
    recipe.straightenDegrees = 4;
    recipe.flipHorizontal = recipe.flipVertical = true;
    const CustomEditPreset blank = store.savePreset("   ", recipe);
    EXPECT_EQ(blank.name, "Preset");
    EXPECT_EQ(blank.adjustments.exposure, 0.7);
    EXPECT_EQ(blank.adjustments.filterPreset, PhotoFilterPreset::noirBW);
    EXPECT_TRUE(blank.adjustments.cropRect.isFull());
    EXPECT_EQ(blank.adjustments.quarterTurns, 0);
    EXPECT_EQ(blank.adjustments.straightenDegrees, 0);
    EXPECT_FALSE(blank.adjustments.flipHorizontal || blank.adjustments.flipVertical);
    EXPECT_EQ(store.savePreset("  Warm \n", recipe).name, "Warm");

    for (int i = 0; i < 23; ++i) store.savePreset(QString("P%1").arg(i), recipe);
    const auto presets = store.customPresets();
    ASSERT_EQ(presets.size(), 24);
    EXPECT_EQ(presets.front().name, "P22");           // newest first
    EXPECT_EQ(presets.back().name, "Warm");           // the oldest ("Preset") was dropped
    FavoritesAndPresetsStore again(dir.path());
    EXPECT_EQ(again.customPresets(), presets);        // ids, names and recipes round-trip
    const QByteArray text = readAll(file());
    EXPECT_TRUE(text.contains(uuidText(presets.front().id).toUtf8()));
}

TEST_F(Store, AnEditedFileWithTooManyPresetsKeepsTheNewest) {
    QJsonArray presets;
    for (int i = 0; i < 30; ++i)
        presets.append(CustomEditPreset{QUuid::createUuid(), QString("P%1").arg(i), {}}.toJson());
    const QByteArray text =
        QJsonDocument(QJsonObject{{"customPresets", presets}, {"favoritePaths", QJsonArray{}}}).toJson();
    writeFile(file(), text);
    FavoritesAndPresetsStore store(dir.path());
    const auto kept = store.customPresets();
    ASSERT_EQ(kept.size(), FavoritesAndPresetsStore::kMaxPresets);
    EXPECT_EQ(kept.front().name, "P0");
    EXPECT_EQ(kept.back().name, "P23");
    EXPECT_EQ(readAll(file()), text); // reading alone leaves the file as it was
}

TEST_F(Store, DeletingAnUnknownIdStillRewrites) {
    FavoritesAndPresetsStore store(dir.path());
    const auto preset = store.savePreset("Keep", EditAdjustments{});
    QFile::remove(file());
    store.deletePreset(QUuid::createUuid());
    EXPECT_TRUE(QFile::exists(file()));
    EXPECT_EQ(store.customPresets().size(), 1);
    store.deletePreset(preset.id);
    EXPECT_TRUE(store.customPresets().isEmpty());
}

TEST_F(Store, DamagedFilesStartEmptyAndAreSetAsideOnce) {
    for (const QByteArray& damaged :
         {QByteArray(R"({"favoritePaths": ["/a.jpg"]})"), QByteArray("{not json"), QByteArray("[]"),
          QByteArray(R"({"favoritePaths": [1], "customPresets": []})")}) {
        QTemporaryDir folder;
        const QString path = folder.filePath("library_state.json");
        writeFile(path, damaged);
        FavoritesAndPresetsStore store(folder.path());
        EXPECT_TRUE(store.allFavoritePaths().isEmpty());
        EXPECT_EQ(readAll(path), damaged); // nothing is written at creation
        store.toggleFavorite("/new.jpg");
        ASSERT_TRUE(store.setAsideFile());
        EXPECT_EQ(readAll(*store.setAsideFile()), damaged);
        store.toggleFavorite("/other.jpg");
        EXPECT_EQ(QDir(folder.path()).entryList({"library_state.corrupt-*"}).size(), 1);
        FavoritesAndPresetsStore again(folder.path());
        EXPECT_EQ(again.favoritePathsInOrder(), (QStringList{"/new.jpg", "/other.jpg"}));
    }
}

TEST_F(Store, AcceptsEscapedSlashesAndAnyKeyOrder) {
    writeFile(file(), R"({"customPresets": [], "favoritePaths": ["\/photos\/a.jpg"], "extra": 1})");
    FavoritesAndPresetsStore store(dir.path());
    EXPECT_TRUE(store.isFavorite("/photos/a.jpg"));
}

TEST_F(Store, ConcurrentChangesLeaveAConsistentFile) {
    FavoritesAndPresetsStore store(dir.path());
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&store, t] {
            for (int i = 0; i < 25; ++i) {
                store.toggleFavorite(QString("/t%1/%2.jpg").arg(t).arg(i));
                if (i % 5 == 0) store.savePreset(QString("t%1-%2").arg(t).arg(i), EditAdjustments{});
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(store.allFavoritePaths().size(), 200);
    FavoritesAndPresetsStore reread(dir.path());
    EXPECT_EQ(reread.favoritePathsInOrder(), store.favoritePathsInOrder());
    EXPECT_EQ(reread.customPresets(), store.customPresets());
}

TEST_F(Store, KillingTheProcessMidSaveNeverLeavesABrokenFile) {
    // A child process saves in a loop; it is killed at arbitrary moments and the file must
    // always decode as a whole library.
    for (int round = 0; round < 4; ++round) {
        QProcess saver;
        // Its own process group, so the kill reaches the CLI process in the middle of its save.
        saver.setProgram("setsid");
        saver.setArguments({"sh", "-c", QString("while true; do '%1' favorites toggle /x/%2.jpg >/dev/null; done")
                                      .arg(TAVI_CLI_PATH).arg(round)});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dir.path());
        saver.setProcessEnvironment(env);
        saver.start();
        ASSERT_TRUE(saver.waitForStarted());
        QThread::msleep(300 + 70 * round);
        ::kill(-static_cast<pid_t>(saver.processId()), SIGKILL);
        saver.waitForFinished();
        const QString path = dir.filePath("TaviView/library_state.json");
        if (!QFile::exists(path)) continue;
        const QJsonDocument doc = QJsonDocument::fromJson(readAll(path));
        ASSERT_TRUE(doc.isObject()) << "round " << round;
        EXPECT_TRUE(doc.object().contains("favoritePaths"));
        EXPECT_TRUE(QDir(dir.path() + "/TaviView").entryList({"library_state.corrupt-*"}).isEmpty());
    }
}

} // namespace
