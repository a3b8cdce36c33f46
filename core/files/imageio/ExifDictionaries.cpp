#include "core/files/imageio/ExifDictionaries.h"

#include "core/files/imageio/ImageProperties.h"

#include <QVariantList>
#include <cmath>
#include <exiv2/exiv2.hpp>
#include <mutex>

namespace exifdict {
namespace {

void startExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
        Exiv2::enableBMFF(true);
    });
}

bool isRational(Exiv2::TypeId type) {
    return type == Exiv2::unsignedRational || type == Exiv2::signedRational;
}

bool isInteger(Exiv2::TypeId type) {
    switch (type) {
    case Exiv2::unsignedShort: case Exiv2::unsignedLong: case Exiv2::signedShort:
    case Exiv2::signedLong: case Exiv2::unsignedByte: case Exiv2::signedByte:
        return true;
    default:
        return false;
    }
}

// RATIONAL is two unsigned 32-bit numbers and SRATIONAL two signed ones. The generic conversion
// goes through the signed pair, which turns a numerator or denominator of 2^31 or more negative
// (3500000000/500000000 seconds of latitude, 2600000000/200000000 s of exposure); unsigned ones
// are therefore read from their own value type.
std::optional<double> rationalAt(const Exiv2::Metadatum& datum, long i) {
    double numerator = 0, denominator = 0;
    if (datum.typeId() == Exiv2::unsignedRational) {
        const auto* values = dynamic_cast<const Exiv2::URationalValue*>(&datum.value());
        if (!values || i < 0 || static_cast<std::size_t>(i) >= values->value_.size()) return std::nullopt;
        numerator = values->value_[static_cast<std::size_t>(i)].first;
        denominator = values->value_[static_cast<std::size_t>(i)].second;
    } else {
        const Exiv2::Rational r = datum.toRational(i);
        numerator = r.first;
        denominator = r.second;
    }
    if (denominator == 0) return std::nullopt;
    const double v = numerator / denominator;
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

// Typed conversion of one EXIF value; an invalid QVariant when the value is unusable.
QVariant convert(const Exiv2::Metadatum& datum, bool forceList) {
    const Exiv2::TypeId type = datum.typeId();
    const long count = datum.count();
    if (count <= 0 || count > 4096) return {};
    if (type == Exiv2::asciiString || type == Exiv2::comment || type == Exiv2::string) {
        std::string text = datum.toString();
        while (!text.empty() && text.back() == '\0') text.pop_back();
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (isRational(type) || type == Exiv2::tiffFloat || type == Exiv2::tiffDouble) {
        QVariantList values;
        for (long i = 0; i < count; ++i) {
            std::optional<double> v;
            if (isRational(type)) v = rationalAt(datum, i);
            else {
                const double f = datum.toFloat(i);
                if (std::isfinite(f)) v = f;
            }
            if (!v) return {};
            values.append(*v);
        }
        if (values.size() == 1 && !forceList) return values.front();
        return values;
    }
    if (isInteger(type)) {
        if (type == Exiv2::unsignedByte && count > 16) return {};
        QVariantList values;
        for (long i = 0; i < count; ++i) values.append(static_cast<qlonglong>(datum.toLong(i)));
        if (values.size() == 1 && !forceList) return values.front();
        return values;
    }
    return {};
}

std::optional<double> degrees(const Exiv2::Exifdatum& datum) {
    if (!isRational(datum.typeId()) || datum.count() < 1) return std::nullopt;
    double total = 0;
    const double scale[3] = {1.0, 60.0, 3600.0};
    for (long i = 0; i < std::min<long>(datum.count(), 3); ++i) {
        auto v = rationalAt(datum, i);
        if (!v) return std::nullopt;
        total += *v / scale[i];
    }
    return total;
}

void addExif(const Exiv2::ExifData& exif, QVariantMap& properties) {
    QVariantMap tiff = properties.value(ImageProperty::TIFFDictionary).toMap();
    QVariantMap photo = properties.value(ImageProperty::ExifDictionary).toMap();
    QVariantMap gps = properties.value(ImageProperty::GPSDictionary).toMap();
    for (const auto& datum : exif) {
        const std::string group = datum.groupName();
        const QString tag = QString::fromStdString(datum.tagName());
        if (tag.startsWith(u"0x")) continue; // unnamed tags
        if (group == "Image") {
            const QVariant v = convert(datum, false);
            if (v.isValid()) tiff.insert(tag, v);
        } else if (group == "Photo") {
            if (tag == u"MakerNote") continue;
            const QVariant v = convert(datum, tag == u"ISOSpeedRatings");
            if (v.isValid()) photo.insert(tag, v);
        } else if (group == "GPSInfo") {
            QString key = tag.startsWith(u"GPS") ? tag.mid(3) : tag;
            if (key == u"Latitude" || key == u"Longitude" || key == u"DestLatitude" ||
                key == u"DestLongitude") {
                if (auto d = degrees(datum)) gps.insert(key, *d);
                continue;
            }
            const QVariant v = convert(datum, false);
            if (v.isValid()) gps.insert(key, v);
        }
    }
    if (!tiff.isEmpty()) properties.insert(ImageProperty::TIFFDictionary, tiff);
    if (!photo.isEmpty()) properties.insert(ImageProperty::ExifDictionary, photo);
    if (!gps.isEmpty()) properties.insert(ImageProperty::GPSDictionary, gps);
}

// IPTC datasets that may repeat are always lists, whatever their count in this file.
bool isRepeatable(const QString& tag) {
    return tag == u"Byline" || tag == u"Keywords" || tag == u"BylineTitle" || tag == u"Contact" ||
           tag == u"SubjectReference" || tag == u"SuppCategory" || tag == u"Writer";
}

void addIptc(const Exiv2::IptcData& iptc, QVariantMap& properties) {
    QVariantMap dict = properties.value(ImageProperty::IPTCDictionary).toMap();
    for (const auto& datum : iptc) {
        if (datum.recordName() != "Application2") continue;
        QString tag = QString::fromStdString(datum.tagName());
        // exiv2 calls dataset 2:116 "Copyright"; the property vocabulary calls it "CopyrightNotice".
        if (tag == u"Copyright") tag = QStringLiteral("CopyrightNotice");
        std::string raw = datum.toString();
        while (!raw.empty() && raw.back() == '\0') raw.pop_back();
        const QString text = QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
        if (isRepeatable(tag)) {
            QVariantList list = dict.value(tag).toList();
            list.append(text);
            dict.insert(tag, list);
        } else if (!dict.contains(tag)) {
            dict.insert(tag, text);
        }
    }
    if (!dict.isEmpty()) properties.insert(ImageProperty::IPTCDictionary, dict);
}

} // namespace

void addMetadataDictionaries(const QString& path, const QByteArray& fallbackExif,
                             const QByteArray& fallbackIptc, QVariantMap& properties) {
    startExiv2();
    bool haveExif = false;
    bool haveIptc = false;
    try {
        auto image = Exiv2::ImageFactory::open(path.toStdString());
        if (image.get()) {
            image->readMetadata();
            if (!image->exifData().empty()) {
                addExif(image->exifData(), properties);
                haveExif = true;
            }
            if (!image->iptcData().empty()) {
                addIptc(image->iptcData(), properties);
                haveIptc = true;
            }
        }
    } catch (...) {
        // Unknown or damaged container: the decoder's own EXIF block may still be readable.
    }
    try {
        if (!haveExif && fallbackExif.size() > 8) {
            QByteArray block = fallbackExif;
            if (block.startsWith(QByteArray("Exif\0\0", 6))) block.remove(0, 6);
            Exiv2::ExifData exif;
            Exiv2::ExifParser::decode(exif, reinterpret_cast<const Exiv2::byte*>(block.constData()),
                                      static_cast<uint32_t>(block.size()));
            addExif(exif, properties);
        }
        if (!haveIptc && fallbackIptc.size() > 4) {
            Exiv2::IptcData iptc;
            if (Exiv2::IptcParser::decode(iptc, reinterpret_cast<const Exiv2::byte*>(fallbackIptc.constData()),
                                          static_cast<uint32_t>(fallbackIptc.size())) == 0)
                addIptc(iptc, properties);
        }
    } catch (...) {
    }
}

} // namespace exifdict
