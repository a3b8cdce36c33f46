#include "core/files/ExifMetadataReport.h"

#include "core/common/CFormat.h"

ExifMetadataReport::Entry::Entry(QString group, QString label, QString value)
    : id(group + u'.' + label), group(std::move(group)), label(std::move(label)), value(std::move(value)) {}

std::optional<QString> ExifMetadataReport::gpsFormatted() const {
    if (!hasGPS()) return std::nullopt;
    return cFormat("%.5f, %.5f", *latitude, *longitude);
}

const ExifMetadataReport& ExifMetadataReport::empty() {
    static const ExifMetadataReport report;
    return report;
}
