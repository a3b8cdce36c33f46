#pragma once

#include "core/files/CustomEditPreset.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <mutex>
#include <optional>

// The favourite files and the custom presets, kept across runs in one JSON file
// ("library_state.json") that is read once here and rewritten whole after every change.
// Every operation may be called from any thread: one lock guards the state and its saves, so
// two changes are never written out of order.
class FavoritesAndPresetsStore {
public:
    static constexpr int kMaxPresets = 24;

    // `directory`: where the file lives; by default the per-user data folder's "TaviView".
    explicit FavoritesAndPresetsStore(const std::optional<QString>& directory = std::nullopt);

    const QString& fileURL() const { return fileURL_; }

    bool isFavorite(const QString& path) const;
    // Flips the mark; true when the file is a favourite afterwards.
    bool toggleFavorite(const QString& path);
    QSet<QString> allFavoritePaths() const;
    // In the order they were added.
    QStringList favoritePathsInOrder() const;

    // Newest first.
    QList<CustomEditPreset> customPresets() const;
    // Saves the recipe without its geometry under the trimmed name ("Preset" when blank).
    CustomEditPreset savePreset(const QString& name, const EditAdjustments& adjustments);
    void deletePreset(const QUuid& id);

    // The name a damaged library file was moved to before it was replaced, if that happened.
    std::optional<QString> setAsideFile() const;

private:
    struct PersistedLibraryState {
        QStringList favoritePaths;
        QList<CustomEditPreset> customPresets;
        QJsonObject toJson() const;
        static std::optional<PersistedLibraryState> fromJson(const QJsonValue& value, JsonDecodeError* error,
                                                             const QString& path);
    };

    void saveLocked();

    QString fileURL_;
    mutable std::mutex lock_;
    PersistedLibraryState state_;
    // A file was there but didn't decode: it is kept under another name before the first save
    // replaces it, so a damaged file never silently costs the user their presets.
    bool damagedFilePending_ = false;
    std::optional<QString> setAsideFile_;
};
