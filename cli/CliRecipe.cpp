#include "cli/CliRecipe.h"

#include "cli/CliCommand.h"

#include <QFile>

std::optional<EditAdjustments> cliReadRecipe(const QString& path) {
    constexpr qint64 maximumRecipeBytes = 16 * 1024 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        cliErr(QStringLiteral("%1: cannot open (%2)").arg(path, file.errorString()));
        return std::nullopt;
    }
    const QByteArray text = file.read(maximumRecipeBytes + 1);
    if (text.size() > maximumRecipeBytes) {
        cliErr(QStringLiteral("%1: too large to be a recipe").arg(path));
        return std::nullopt;
    }
    JsonDecodeError error;
    const auto object = parseJsonObject(text, &error);
    auto recipe = object ? EditAdjustments::fromJson(*object, &error) : std::nullopt;
    if (!recipe) cliErr(QStringLiteral("%1: %2").arg(path, error.toString()));
    return recipe;
}
