#include "core/files/FolderBrowserService.h"

#include "core/common/Paths.h"
#include "core/files/imageio/ImageProperties.h"
#include "core/files/imageio/ImageSource.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <algorithm>
#include <cmath>

namespace {
// A property read with its type checked: a value of another type counts as missing.
std::optional<int> intProperty(const QVariantMap& map, const QString& key) {
    const QVariant v = map.value(key);
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::ULongLong:
        return static_cast<int>(v.toLongLong());
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (!std::isfinite(d) || std::abs(d) > 2e9) return std::nullopt;
        return static_cast<int>(d);
    }
    default:
        return std::nullopt;
    }
}
} // namespace

const QSet<QString>& FolderBrowserService::supportedExtensions() {
    static const QSet<QString> extensions{
        "jpg", "jpeg", "jpe", "png", "heic", "heif", "webp", "avif", "gif", "tif", "tiff", "bmp",
        "ico", "icns", "psd", "dng", "cr2", "cr3", "nef", "arw", "orf", "rw2", "raf"};
    return extensions;
}

bool FolderBrowserService::isSupportedImage(const QString& path) const {
    const QString ext = pathExtension(path).toLower();
    if (ext.isEmpty()) return false;
    if (supportedExtensions().contains(ext)) return true;
    // Any further extension the type registry declares as an image.
    static const QMimeDatabase database;
    const QList<QMimeType> types = database.mimeTypesForFileName(QStringLiteral("x.") + ext);
    return std::any_of(types.begin(), types.end(), [](const QMimeType& t) { return t.name().startsWith(u"image/"); });
}

FolderBrowserService::SiblingList FolderBrowserService::siblingImages(const QString& path) const {
    const QString standardized = standardizedPath(path);
    const QFileInfo given(standardized);
    const bool isDirectory = given.isDir();
    const QString folder = isDirectory ? standardized : given.path();

    struct Entry { QString name; QString path; };
    std::vector<Entry> entries;
    QDir dir(folder);
    // No symbolic links and no hidden entries; only regular files survive the check below.
    const QFileInfoList listing = dir.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : listing) {
        if (entry.isSymLink() || !entry.isFile() || entry.fileName().startsWith(u'.')) continue;
        const QString entryPath = standardizedPath(entry.absoluteFilePath());
        if (!isSupportedImage(entryPath)) continue;
        entries.push_back({entry.fileName(), entryPath});
    }
    // The POSIX locale's collation is plain code points and can't compare digits as numbers;
    // sessions without a locale (services, CI) get the neutral English order instead.
    QLocale locale;
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const Entry& a, const Entry& b) { return collator.compare(a.name, b.name) < 0; });

    SiblingList result;
    for (const Entry& e : entries) result.images.append(e.path);
    if (isDirectory) return result;
    const qsizetype found = result.images.indexOf(standardized);
    if (found >= 0) {
        result.selectedIndex = static_cast<int>(found);
    } else if (given.isFile() && isSupportedImage(standardized)) {
        // Named on its own (a hidden image, a link): it opens alone, but only a regular file;
        // a missing one would list a file that is not there, and a pipe would block its decode.
        result.images = QStringList{standardized};
        result.selectedIndex = 0;
    }
    return result;
}

std::optional<QImage> FolderBrowserService::loadOrientedCGImage(const QString& path, std::optional<int> maxPixelSize,
                                                              QString* failure) const {
    if (failure) failure->clear();
    auto source = ImageSource::open(standardizedPath(path));
    if (!source) return std::nullopt;
    auto decoded = [&]() -> std::optional<QImage> {
        if (maxPixelSize) return source->createThumbnail(*maxPixelSize);
        const QVariantMap props = source->properties(0);
        const std::optional<int> orientation = intProperty(props, ImageProperty::Orientation);
        const int longer = std::max(intProperty(props, ImageProperty::PixelWidth).value_or(0),
                                    intProperty(props, ImageProperty::PixelHeight).value_or(0));
        if (orientation && *orientation != 1 && longer > 0) {
            if (auto upright = source->createThumbnail(longer)) return upright;
        }
        return source->createImage(0);
    }();
    if (!decoded && failure) *failure = source->lastDecodeError();
    return decoded;
}

std::optional<ImageDocumentInfo> FolderBrowserService::readDocumentInfo(const QString& path) const {
    const QString standardized = standardizedPath(path);
    auto source = ImageSource::open(standardized);
    if (!source) return std::nullopt;
    const QVariantMap props = source->properties(0);
    ImageDocumentInfo info;
    info.url = standardized;
    info.pixelWidth = intProperty(props, ImageProperty::PixelWidth).value_or(0);
    info.pixelHeight = intProperty(props, ImageProperty::PixelHeight).value_or(0);
    const std::optional<int> orientation = intProperty(props, ImageProperty::Orientation);
    if (orientation && *orientation >= 5 && *orientation <= 8) std::swap(info.pixelWidth, info.pixelHeight);
    if (auto dpi = intProperty(props, ImageProperty::DPIWidth)) info.dpi = dpi;
    const QVariant alpha = props.value(ImageProperty::HasAlpha);
    info.hasAlpha = alpha.typeId() == QMetaType::Bool && alpha.toBool();
    const QVariant model = props.value(ImageProperty::ColorModel);
    if (model.typeId() == QMetaType::QString) info.colorModel = model.toString();
    const QVariant profile = props.value(ImageProperty::ProfileName);
    if (profile.typeId() == QMetaType::QString) info.colorProfile = profile.toString();

    const QFileInfo file(standardized);
    info.fileSizeBytes = file.exists() ? file.size() : 0;
    const QDateTime modified = file.lastModified();
    if (modified.isValid()) info.modifiedAt = modified;
    info.frameCount = source->count();
    info.fileName = file.fileName();
    info.fileExtension = pathExtension(standardized).toUpper();
    return info;
}
