#include "MetadataTestFiles.h"

#include <QDir>
#include <QFile>
#include <exiv2/exiv2.hpp>

namespace metatest {

void writeMetadata(const QString& path, const std::vector<std::pair<QString, QString>>& exif,
                   const std::vector<std::pair<QString, QString>>& iptc,
                   const std::vector<std::pair<QString, QString>>& xmp) {
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    Exiv2::ExifData& exifData = image->exifData();
    for (const auto& [key, value] : exif)
        exifData[key.toStdString()] = value.toStdString();
    Exiv2::IptcData& iptcData = image->iptcData();
    for (const auto& [key, value] : iptc) {
        Exiv2::IptcKey k(key.toStdString());
        auto v = Exiv2::Value::create(Exiv2::string);
        v->read(value.toStdString());
        iptcData.add(k, v.get());
    }
    Exiv2::XmpData& xmpData = image->xmpData();
    for (const auto& [key, value] : xmp)
        xmpData[key.toStdString()] = value.toStdString();
    image->writeMetadata();
}

Blocks readBlocks(const QString& path) {
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    Blocks blocks;
    blocks.exifCount = static_cast<int>(image->exifData().count());
    blocks.iptcCount = static_cast<int>(image->iptcData().size());
    blocks.xmpCount = static_cast<int>(image->xmpData().count()) + (image->xmpPacket().empty() ? 0 : 1);
    blocks.hasComment = !image->comment().empty();
    return blocks;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace metatest
