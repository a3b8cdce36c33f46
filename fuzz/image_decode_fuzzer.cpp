// An image file as the viewer meets it: opened, described, and decoded upright within a small
// bound. Every step must fail cleanly on damaged or hostile files, a bitmap handed out must be
// the system's shape and within the bound, and a file beyond the decode limits must be refused
// with the reason.
#include "core/common/ImageLimits.h"
#include "core/files/FolderBrowserService.h"
#include "core/files/imageio/ImageSource.h"
#include "fuzz/FuzzFiles.h"
#include "fuzz/FuzzTarget.h"

#ifndef TAVI_FUZZ_REPLAY
#include <QGuiApplication>
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}
#endif

TAVI_FUZZ_TARGET(image_decode) {
    constexpr int bound = 64;
    const QString path = tavifuzz::writeScratchFile(QStringLiteral("input.img"), data, size);
    if (path.isEmpty()) return 0;
    if (auto source = ImageSource::open(path)) {
        TAVI_FUZZ_CHECK(source->count() >= 1);
        (void)source->typeIdentifier();
        (void)source->properties(0);
        (void)source->properties(source->count());
    }
    const FolderBrowserService browser;
    const auto info = browser.readDocumentInfo(path);
    QString failure;
    const auto image = browser.loadOrientedCGImage(path, bound, &failure);
    if (image) {
        TAVI_FUZZ_CHECK(failure.isEmpty());
        TAVI_FUZZ_CHECK(!image->isNull());
        TAVI_FUZZ_CHECK(image->format() == QImage::Format_RGBA8888_Premultiplied);
        TAVI_FUZZ_CHECK(std::max(image->width(), image->height()) <= bound);
    }
    // A header that declares more than the limits is never decoded, and says why.
    if (info && !isDecodableSize(info->pixelWidth, info->pixelHeight) && info->pixelWidth > 0 &&
        info->pixelHeight > 0)
        TAVI_FUZZ_CHECK(!image && !failure.isEmpty());
    return 0;
}
