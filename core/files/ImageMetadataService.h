#pragma once

#include "core/files/ExifMetadataReport.h"

#include <QString>
#include <QVariantMap>

// Reads the privacy-relevant metadata of an image file, and removes all of a file's metadata by
// re-encoding its upright pixels in place. Stateless; callable from any thread.
class ImageMetadataService {
  public:
    // Never fails: a file that can't be read gives ExifMetadataReport::empty().
    ExifMetadataReport inspect(const QString& path) const;

    // Rewrites the file without metadata. Throws MetadataStripError (domain "TaviViewMetadata")
    // or, when the final replacement fails, FileSystemError. Whatever fails, the file is left as
    // it was and no temporary file remains.
    void stripMetadataInPlace(const QString& path) const;

    // The report for an image's property dictionary (ImageProperty keys); values of the wrong
    // kind count as missing.
    static ExifMetadataReport reportFromProperties(const QVariantMap& properties);
};
