#pragma once

#include "core/files/ImageDocumentInfo.h"

#include <QImage>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// Which files are images we open, which images lie beside a file and in which order, their
// pixels upright, and their document information. Stateless; callable from any thread.
class FolderBrowserService {
public:
    struct SiblingList {
        QStringList images;   // standardized paths, Finder order
        int selectedIndex = 0;
        bool operator==(const SiblingList&) const = default;
    };

    static const QSet<QString>& supportedExtensions();

    bool isSupportedImage(const QString& path) const;
    SiblingList siblingImages(const QString& path) const;
    // `failure`, when given, receives why nothing came back if the reason is known (an image
    // beyond the decode limits); it is left empty otherwise.
    std::optional<QImage> loadOrientedCGImage(const QString& path, std::optional<int> maxPixelSize = std::nullopt,
                                              QString* failure = nullptr) const;
    std::optional<ImageDocumentInfo> readDocumentInfo(const QString& path) const;
};
