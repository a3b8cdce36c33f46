// favorites and presets: the library state file, scriptable.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "cli/CliRecipe.h"
#include "core/files/FavoritesAndPresetsStore.h"

#include <QFile>
#include <algorithm>
#include <QJsonDocument>

namespace {

int runFavorites(const QStringList& arguments) {
    const QString usage = QStringLiteral("favorites list | favorites toggle FILE");
    CliArguments cli(usage);
    if (const auto exit = cli.parse(arguments)) return *exit;
    const QStringList args = cli.positional();
    if (args.isEmpty()) return cliUsage(usage);
    FavoritesAndPresetsStore store;
    if (args[0] == u"list" && args.size() == 1) {
        for (const QString& path : store.favoritePathsInOrder()) cliOut(path);
        return 0;
    }
    if (args[0] == u"toggle" && args.size() == 2) {
        const bool now = store.toggleFavorite(args[1]);
        cliOut(QStringLiteral("%1 %2").arg(now ? QStringLiteral("added") : QStringLiteral("removed"), args[1]));
        return 0;
    }
    return cliUsage(usage);
}

int runPresets(const QStringList& arguments) {
    const QString usage = QStringLiteral("presets list | presets save NAME RECIPE.json | presets delete ID");
    CliArguments cli(usage);
    if (const auto exit = cli.parse(arguments)) return *exit;
    const QStringList args = cli.positional();
    if (args.isEmpty()) return cliUsage(usage);
    FavoritesAndPresetsStore store;
    if (args[0] == u"list" && args.size() == 1) {
        for (const CustomEditPreset& preset : store.customPresets())
            cliOut(QStringLiteral("%1  %2").arg(uuidText(preset.id), preset.name));
        return 0;
    }
    if (args[0] == u"save" && args.size() == 3) {
        const std::optional<EditAdjustments> recipe = cliReadRecipe(args[2]);
        if (!recipe) return 1;
        const CustomEditPreset preset = store.savePreset(args[1], *recipe);
        cliOut(QStringLiteral("%1  %2").arg(uuidText(preset.id), preset.name));
        return 0;
    }
    if (args[0] == u"delete" && args.size() == 2) {
        const QUuid id = QUuid::fromString(args[1]);
        if (id.isNull()) {
            cliErr(QStringLiteral("%1: not a preset id").arg(args[1]));
            return 1;
        }
        const QList<CustomEditPreset> before = store.customPresets();
        const bool existed =
            std::any_of(before.cbegin(), before.cend(), [&](const CustomEditPreset& p) { return p.id == id; });
        store.deletePreset(id);
        if (!existed) {
            cliErr(QStringLiteral("%1: no such preset").arg(args[1]));
            return 1;
        }
        return 0;
    }
    return cliUsage(usage);
}

const CliRegistration favorites{{QStringLiteral("favorites"), QStringLiteral("favorites list | toggle FILE"),
                                 QStringLiteral("List the favourite files, or flip FILE's mark."), runFavorites, false}};
const CliRegistration presets{{QStringLiteral("presets"),
                               QStringLiteral("presets list | save NAME RECIPE.json | delete ID"),
                               QStringLiteral("List, save (without geometry) or delete custom presets."), runPresets, false}};
} // namespace
