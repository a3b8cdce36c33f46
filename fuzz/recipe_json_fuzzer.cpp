// Stored JSON of the editing model: a recipe (EditAdjustments) and a list of markup items. Strict
// decoding must either fail with a located error or give a value that survives being written out
// and read back unchanged.
#include "core/model/AnnotationItem.h"
#include "core/model/EditAdjustments.h"
#include "core/model/JsonDecoding.h"
#include "fuzz/FuzzTarget.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace recipefuzz {
void checkRecipe(const QByteArray& text) {
    JsonDecodeError error;
    const auto object = parseJsonObject(text, &error);
    if (!object) {
        TAVI_FUZZ_CHECK(!error.message.isEmpty());
        return;
    }
    const auto recipe = EditAdjustments::fromJson(*object, &error, {});
    if (!recipe) {
        TAVI_FUZZ_CHECK(!error.message.isEmpty());
        return;
    }
    const QByteArray written = QJsonDocument(recipe->toJson()).toJson(QJsonDocument::Compact);
    JsonDecodeError again;
    const auto reread = parseJsonObject(written, &again);
    TAVI_FUZZ_CHECK(reread);
    const auto recipeAgain = EditAdjustments::fromJson(*reread, &again, {});
    TAVI_FUZZ_CHECK(recipeAgain && *recipeAgain == *recipe);
}

void checkItems(const QByteArray& text) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isArray()) return;
    JsonDecodeError error;
    const auto items = decodeJsonArray<AnnotationItem>(document.array(), QStringLiteral("items"), &error);
    if (!items) {
        TAVI_FUZZ_CHECK(!error.message.isEmpty());
        return;
    }
    QJsonArray written;
    for (const AnnotationItem& item : *items)
        written.append(item.toJson());
    const QJsonDocument reread =
        QJsonDocument::fromJson(QJsonDocument(written).toJson(QJsonDocument::Compact));
    const auto itemsAgain = decodeJsonArray<AnnotationItem>(reread.array(), QStringLiteral("items"), &error);
    TAVI_FUZZ_CHECK(itemsAgain && *itemsAgain == *items);
}
} // namespace recipefuzz

TAVI_FUZZ_TARGET(recipe_json) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    recipefuzz::checkRecipe(text);
    recipefuzz::checkItems(text);
    return 0;
}
