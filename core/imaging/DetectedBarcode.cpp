#include "core/imaging/DetectedBarcode.h"

DetectedBarcode::DetectedBarcode(QString symbology_, QString payload_)
    : id(symbology_ + u':' + payload_), symbology(std::move(symbology_)), payload(std::move(payload_)) {}

std::optional<QUrl> DetectedBarcode::url() const {
    // Strict parsing: a payload with spaces or stray characters is text, not a link.
    const QUrl parsed(payload, QUrl::StrictMode);
    if (!parsed.isValid()) return std::nullopt;
    const QString scheme = parsed.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto" || scheme == u"tel") return parsed;
    return std::nullopt;
}
