#include "core/files/imageio/ImageSource.h"

#include "core/common/ImageLimits.h"
#include "core/files/imageio/ApngImageSource.h"
#include "core/files/imageio/QtImageSource.h"
#include "core/files/imageio/RawImageSource.h"
#include "core/files/imageio/VipsImageSource.h"
#include "core/files/imageio/VipsSupport.h"

#include <QFileInfo>

std::unique_ptr<ImageSource> ImageSource::open(const QString& path) {
    vipsio::ensureStarted();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !info.isReadable()) return nullptr;
    // Raw files first: many are TIFF containers that the TIFF reader would show as a tiny preview.
    if (auto source = RawImageSource::tryOpen(path)) return source;
    if (auto source = ApngImageSource::tryOpen(path)) return source;
    if (auto source = VipsImageSource::tryOpen(path)) return source;
    if (auto source = QtImageSource::tryOpen(path)) return source;
    return nullptr;
}

bool ImageSource::admitsDecode(std::int64_t width, std::int64_t height) const {
    lastDecodeError_ = decodeSizeRefusal(width, height);
    return lastDecodeError_.isEmpty();
}
