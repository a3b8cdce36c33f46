// The library state file as the store finds it at start-up. Whatever it holds, the store must
// come up (empty for a damaged file), answer questions about its content, keep no favourite it
// could not reach again, and never keep more presets than it allows.
#include "core/common/Paths.h"
#include "core/files/FavoritesAndPresetsStore.h"
#include "fuzz/FuzzFiles.h"
#include "fuzz/FuzzTarget.h"

TAVI_FUZZ_TARGET(library_state) {
    const QString path = tavifuzz::writeScratchFile(QStringLiteral("library_state.json"), data, size);
    if (path.isEmpty()) return 0;
    const FavoritesAndPresetsStore store(tavifuzz::scratchFolder().path());
    TAVI_FUZZ_CHECK(store.fileURL() == path);
    const QStringList ordered = store.favoritePathsInOrder();
    // Each favourite is listed once, in the standardized absolute form the store itself writes,
    // so every one it lists can be asked about and toggled off.
    TAVI_FUZZ_CHECK(store.allFavoritePaths().size() == ordered.size());
    for (const QString& favorite : ordered) {
        TAVI_FUZZ_CHECK(favorite.startsWith(u'/') && standardizedPath(favorite) == favorite);
        TAVI_FUZZ_CHECK(store.isFavorite(favorite));
    }
    TAVI_FUZZ_CHECK(store.customPresets().size() <= FavoritesAndPresetsStore::kMaxPresets);
    // Reading alone never moves or rewrites the user's file.
    TAVI_FUZZ_CHECK(!store.setAsideFile());
    TAVI_FUZZ_CHECK(QFileInfo(path).size() == static_cast<qint64>(size));
    return 0;
}
