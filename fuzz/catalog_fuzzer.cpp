// A language catalog as read from disk: the bytes either as JSON text or as an LZFSE stream that
// decompresses to it. Parsing must fail cleanly on anything that is not a catalog, keep no empty
// translation, and give the same table when the table is written out and read again.
#include "core/localization/AppStringCatalog.h"
#include "core/localization/LzfseDecoder.h"
#include "fuzz/FuzzTarget.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace catalogfuzz {
void checkTable(const QByteArray& bytes) {
    const auto table = AppStringCatalog::parseCatalog(bytes);
    if (!table) return;
    QJsonObject flat;
    for (auto it = table->cbegin(); it != table->cend(); ++it) {
        TAVI_FUZZ_CHECK(!it.value().isEmpty());
        flat.insert(it.key(), it.value());
    }
    const auto again = AppStringCatalog::parseCatalog(QJsonDocument(flat).toJson(QJsonDocument::Compact));
    TAVI_FUZZ_CHECK(again && *again == *table);
}
} // namespace catalogfuzz

TAVI_FUZZ_TARGET(catalog) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    catalogfuzz::checkTable(bytes);
    const auto decompressed = LzfseDecoder::decode({data, size}, nullptr, std::size_t{4} << 20);
    if (decompressed)
        catalogfuzz::checkTable(QByteArray(reinterpret_cast<const char*>(decompressed->data()),
                                           static_cast<qsizetype>(decompressed->size())));
    return 0;
}
