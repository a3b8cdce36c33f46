#pragma once

#include <QString>
#include <QUrl>
#include <optional>

// One decoded barcode or QR code. Identified by `id`, which is unique within one detection result.
struct DetectedBarcode {
    QString id;        // symbology + ":" + payload
    QString symbology; // a short identifier: QR, EAN13, Code128, DataMatrix, …
    QString payload;   // the decoded text without surrounding white space; never empty

    DetectedBarcode() = default;
    DetectedBarcode(QString symbology, QString payload);

    // The payload as a link the user can open: only http, https, mailto and tel, in any letter case.
    std::optional<QUrl> url() const;

    bool operator==(const DetectedBarcode&) const = default;
};
