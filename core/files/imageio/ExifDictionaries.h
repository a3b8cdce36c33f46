#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// Fills the TIFF, Exif, GPS and IPTC sub-dictionaries of an image's property map from the file
// (through exiv2), falling back to a raw EXIF/IPTC block the decoder found. Values are typed:
// rationals become doubles, integers ints, texts strings, repeated values lists. GPS latitude and
// longitude are unsigned decimal degrees, with their references beside them. Hostile or odd
// metadata is skipped, never fatal.
namespace exifdict {

void addMetadataDictionaries(const QString& path, const QByteArray& fallbackExif,
                             const QByteArray& fallbackIptc, QVariantMap& properties);

} // namespace exifdict
