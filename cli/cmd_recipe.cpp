// recipe: checks a stored edit recipe, or prints the identity recipe.
#include "cli/CliArguments.h"
#include "cli/CliCommand.h"
#include "core/model/EditAdjustments.h"

#include <QFile>
#include <QJsonDocument>

namespace {

const QString usage = QStringLiteral("recipe --validate FILE.json | recipe --default");

// Recipes are a few kilobytes; anything far larger is not one, and is not read into memory.
constexpr qint64 maximumRecipeBytes = 16 * 1024 * 1024;

int validate(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        cliErr(QStringLiteral("%1: cannot open (%2)").arg(path, file.errorString()));
        return 1;
    }
    if (file.size() > maximumRecipeBytes) {
        cliErr(QStringLiteral("%1: too large to be a recipe (%2 bytes)").arg(path).arg(file.size()));
        return 1;
    }
    const QByteArray text = file.read(maximumRecipeBytes + 1);
    if (text.size() > maximumRecipeBytes) {
        cliErr(QStringLiteral("%1: too large to be a recipe").arg(path));
        return 1;
    }
    JsonDecodeError error;
    const auto object = parseJsonObject(text, &error);
    const auto recipe = object ? EditAdjustments::fromJson(*object, &error) : std::nullopt;
    if (!recipe) {
        cliErr(QStringLiteral("%1: %2").arg(path, error.toString()));
        return 1;
    }
    cliOut(QStringLiteral("%1: valid recipe%2")
               .arg(path, recipe->isIdentity() ? QStringLiteral(" (no edits)") : QString()));
    return 0;
}

int runRecipe(const QStringList& args) {
    CliArguments cli(usage, {
        {"validate", "Check a recipe file.", "FILE.json"},
        {"default", "Print the recipe with no edits."},
    });
    if (const auto exit = cli.parse(args)) return *exit;
    const bool validating = cli.isSet(QStringLiteral("validate"));
    if (!cli.positional().isEmpty() || validating == cli.isSet(QStringLiteral("default")))
        return cli.usageError();
    if (validating) return validate(cli.value(QStringLiteral("validate")));
    cliOut(QString::fromUtf8(QJsonDocument(EditAdjustments().toJson()).toJson(QJsonDocument::Indented))
               .trimmed());
    return 0;
}

const CliRegistration recipe{{QStringLiteral("recipe"), usage,
                              QStringLiteral("Check a stored edit recipe (reports the first problem with its key "
                                             "path), or print the recipe of an unedited photo."),
                              runRecipe}};
} // namespace
