#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <sys/stat.h>

namespace metatest {

// Adds or replaces metadata in a file through exiv2 (as a user's tool would have written it).
// `exif` and `iptc` map exiv2 keys ("Exif.GPSInfo.GPSLatitude") to values in exiv2's text form;
// a key listed several times in `iptc` repeats the dataset.
void writeMetadata(const QString& path, const std::vector<std::pair<QString, QString>>& exif,
                   const std::vector<std::pair<QString, QString>>& iptc = {},
                   const std::vector<std::pair<QString, QString>>& xmp = {});

struct Blocks {
    int exifCount = 0;
    int iptcCount = 0;
    int xmpCount = 0;
    bool hasComment = false;
};
// What exiv2 finds in a file.
Blocks readBlocks(const QString& path);

QByteArray readAll(const QString& path);
// Names in a folder, hidden ones included.
QStringList folderEntries(const QString& folder);

} // namespace metatest
