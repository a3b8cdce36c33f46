#include "core/files/FavoritesAndPresetsStore.h"

#include "core/common/AtomicFileWriter.h"
#include "core/common/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

namespace {
// Library files are small; anything far larger is not ours and isn't read into memory.
constexpr qint64 kMaxLibraryFileBytes = 64LL * 1024 * 1024;

QString defaultDirectory() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/TaviView");
}
} // namespace

QJsonObject FavoritesAndPresetsStore::PersistedLibraryState::toJson() const {
    QJsonArray presets;
    for (const CustomEditPreset& preset : customPresets) presets.append(preset.toJson());
    return {{QStringLiteral("favoritePaths"), QJsonArray::fromStringList(favoritePaths)},
            {QStringLiteral("customPresets"), presets}};
}

std::optional<FavoritesAndPresetsStore::PersistedLibraryState>
FavoritesAndPresetsStore::PersistedLibraryState::fromJson(const QJsonValue& value, JsonDecodeError* error,
                                                          const QString& path) {
    JsonObjectReader reader(value, path, error);
    PersistedLibraryState state;
    const QJsonArray favorites = reader.array(u"favoritePaths");
    state.customPresets = reader.list<CustomEditPreset>(u"customPresets");
    if (!reader.ok()) return std::nullopt;
    // The list holds the newest presets first and never more than the limit; a longer one can
    // only come from an edited file, and its oldest would be dropped at the next save anyway.
    if (state.customPresets.size() > kMaxPresets) state.customPresets.resize(kMaxPresets);
    for (qsizetype i = 0; i < favorites.size(); ++i) {
        if (!favorites.at(i).isString()) {
            reader.fail(u"favoritePaths", QStringLiteral("expected strings"));
            return std::nullopt;
        }
        // A favourite names a file by its standardized absolute path, and that is all the store
        // ever writes. A hand-edited or synced file may hold other forms: an uncleaned path is
        // taken in its standardized form (and a second spelling of a file already listed is the
        // same favourite); a relative one names no file, since it would depend on the working
        // directory of whoever reads it, so it is dropped rather than kept where no query or
        // toggle could reach it.
        const QString entry = favorites.at(i).toString();
        if (!entry.startsWith(u'/')) continue;
        const QString key = standardizedPath(entry);
        if (!state.favoritePaths.contains(key)) state.favoritePaths.append(key);
    }
    return state;
}

FavoritesAndPresetsStore::FavoritesAndPresetsStore(const std::optional<QString>& directory) {
    const QString folder = directory ? *directory : defaultDirectory();
    QDir().mkpath(folder); // a failure shows up later as a failed (silent) save
    fileURL_ = QDir(folder).filePath(QStringLiteral("library_state.json"));

    QFile file(fileURL_);
    if (!file.exists()) return;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxLibraryFileBytes) {
        damagedFilePending_ = true;
        return;
    }
    const QByteArray bytes = file.readAll();
    JsonDecodeError error;
    std::optional<PersistedLibraryState> decoded;
    if (auto object = parseJsonObject(bytes, &error)) decoded = PersistedLibraryState::fromJson(*object, &error, {});
    if (decoded) state_ = std::move(*decoded);
    else damagedFilePending_ = true;
}

bool FavoritesAndPresetsStore::isFavorite(const QString& path) const {
    const QString key = standardizedPath(path);
    std::lock_guard guard(lock_);
    return state_.favoritePaths.contains(key);
}

bool FavoritesAndPresetsStore::toggleFavorite(const QString& path) {
    const QString key = standardizedPath(path);
    std::lock_guard guard(lock_);
    const qsizetype index = state_.favoritePaths.indexOf(key);
    const bool nowFavorite = index < 0;
    if (nowFavorite) state_.favoritePaths.append(key);
    else state_.favoritePaths.removeAt(index);
    saveLocked();
    return nowFavorite;
}

QSet<QString> FavoritesAndPresetsStore::allFavoritePaths() const {
    std::lock_guard guard(lock_);
    return QSet<QString>(state_.favoritePaths.begin(), state_.favoritePaths.end());
}

QStringList FavoritesAndPresetsStore::favoritePathsInOrder() const {
    std::lock_guard guard(lock_);
    return state_.favoritePaths;
}

QList<CustomEditPreset> FavoritesAndPresetsStore::customPresets() const {
    std::lock_guard guard(lock_);
    return state_.customPresets;
}

CustomEditPreset FavoritesAndPresetsStore::savePreset(const QString& name, const EditAdjustments& adjustments) {
    CustomEditPreset preset;
    preset.name = name.trimmed();
    if (preset.name.isEmpty()) preset.name = QStringLiteral("Preset");
    preset.adjustments = adjustments;
    // A preset carries the look, never the geometry of the photo it was made on.
    preset.adjustments.cropRect = NormalizedCropRect::full;
    preset.adjustments.quarterTurns = 0;
    preset.adjustments.straightenDegrees = 0;
    preset.adjustments.flipHorizontal = false;
    preset.adjustments.flipVertical = false;

    std::lock_guard guard(lock_);
    state_.customPresets.prepend(preset);
    if (state_.customPresets.size() > kMaxPresets) state_.customPresets.resize(kMaxPresets);
    saveLocked();
    return preset;
}

void FavoritesAndPresetsStore::deletePreset(const QUuid& id) {
    std::lock_guard guard(lock_);
    state_.customPresets.removeIf([&](const CustomEditPreset& p) { return p.id == id; });
    saveLocked();
}

std::optional<QString> FavoritesAndPresetsStore::setAsideFile() const {
    std::lock_guard guard(lock_);
    return setAsideFile_;
}

void FavoritesAndPresetsStore::saveLocked() {
    if (damagedFilePending_) {
        const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        const QDir folder = QFileInfo(fileURL_).dir();
        QString target = folder.filePath(QStringLiteral("library_state.corrupt-%1.json").arg(stamp));
        for (int n = 2; QFile::exists(target); ++n)
            target = folder.filePath(QStringLiteral("library_state.corrupt-%1-%2.json").arg(stamp).arg(n));
        // Keep trying on later saves when the rename fails, rather than overwriting the file.
        if (!QFile::rename(fileURL_, target)) return;
        setAsideFile_ = target;
        damagedFilePending_ = false;
    }
    const QByteArray bytes = QJsonDocument(state_.toJson()).toJson(QJsonDocument::Indented);
    try {
        AtomicFileWriter::write(fileURL_, bytes);
    } catch (const TaviError&) {
        // The change stays in memory for this run; nothing is reported.
    }
}
