#include "core/imaging/SubjectSegmentation.h"
#include "core/imaging/VisionAIService.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Cut-outs are written here for a person to look at when TAVIVIEW_TEST_OUTPUT names a folder.
void keepForInspection(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("TAVIVIEW_TEST_OUTPUT");
    if (!folder.isEmpty()) image.save(QDir(folder).filePath(name));
}

#define REQUIRE_MODEL()                                                                                     \
    ASSERT_TRUE(personSegmentationModelPath())                                                              \
        << "selfie_segmentation.tflite not found: run scripts/fetch-models BUILD_DIR (scripts/test does) " \
           "or set TAVIVIEW_MODELS_DIR"

// A hand-labelled region drawn as a polygon into a boolean grid.
QImage region(QSize size, const QPolygonF& polygon) {
    QImage label(size, QImage::Format_Grayscale8);
    label.fill(0);
    QPainter painter(&label);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPolygon(polygon);
    return label;
}

QImage disc(QSize size, QPointF centre, double radius) {
    QImage label(size, QImage::Format_Grayscale8);
    label.fill(0);
    QPainter painter(&label);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, radius, radius);
    return label;
}

// Share of the labelled pixels whose mask value is on the given side of one half.
double share(const QImage& mask, const QImage& label, bool kept) {
    const QImage grey = mask.convertToFormat(QImage::Format_Grayscale8);
    int total = 0, matching = 0;
    for (int y = 0; y < label.height(); ++y)
        for (int x = 0; x < label.width(); ++x) {
            if (label.constScanLine(y)[x] < 128) continue;
            ++total;
            if ((grey.constScanLine(y)[x] >= 128) == kept) ++matching;
        }
    return total ? static_cast<double>(matching) / total : 0;
}

QPolygonF box(double x0, double y0, double x1, double y1) { return QPolygonF(QRectF(QPointF(x0, y0), QPointF(x1, y1))); }

TEST(PersonSegmentation, HopperKeepsFaceCapAndShouldersAndDropsFlagAndBackdrop) {
    REQUIRE_MODEL();
    const QImage hopper(testsupport::fixture(QStringLiteral("photos/hopper.png")));
    ASSERT_FALSE(hopper.isNull());
    BackgroundStudioSettings settings;
    settings.engine = BackgroundCutoutEngine::portraitAI;
    const VisionAIService service;
    const QImage mask = service.generateSubjectMask(hopper, settings);
    ASSERT_EQ(mask.size(), hopper.size());
    keepForInspection(mask, QStringLiteral("hopper_mask.png"));
    keepForInspection(service.compositeWithBackground(hopper, mask, settings), QStringLiteral("hopper_cutout.png"));

    const QSize size = hopper.size();
    const double face = share(mask, region(size, box(50, 40, 80, 75)), true);
    const double cap = share(mask, region(size, QPolygonF({{52, 6}, {78, 6}, {86, 26}, {44, 26}})), true);
    const double shoulders = share(mask, region(size, box(20, 105, 110, 127)), true);
    const double flag = share(mask, region(size, QPolygonF({{0, 0}, {40, 0}, {30, 25}, {25, 70}, {0, 70}})), false);
    const double backdrop = share(mask, region(size, QPolygonF({{95, 0}, {127, 0}, {127, 70}, {100, 70}, {92, 30}})), false);
    std::printf("hopper: face %.3f cap %.3f shoulders %.3f kept; flag %.3f backdrop %.3f removed\n", face, cap,
                shoulders, flag, backdrop);
    EXPECT_GE(face, 0.95);
    EXPECT_GE(cap, 0.9);
    EXPECT_GE(shoulders, 0.9);
    EXPECT_GE(flag, 0.9);
    EXPECT_GE(backdrop, 0.9);
}

TEST(PersonSegmentation, NoPersonInAFlatOrObjectImage) {
    REQUIRE_MODEL();
    QImage plain(300, 200, QImage::Format_RGBA8888_Premultiplied);
    plain.fill(QColor(120, 160, 200));
    try {
        segmentPerson(plain);
        FAIL() << "a person was found in a flat image";
    } catch (const VisionAIError& error) {
        EXPECT_EQ(error.kind(), VisionAIError::Kind::noForegroundSubject);
    }
}

TEST(PersonSegmentation, DamagedModelIsAClearError) {
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("selfie_segmentation.tflite")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(64, '\xab'));
    file.close();
    qputenv("TAVIVIEW_MODELS_DIR", dir.path().toUtf8());
    QImage image(64, 64, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::gray);
    EXPECT_THROW(segmentPerson(image), SegmentationModelError);
    // Automatic mode still cuts out without a usable model (here: falls back to the colour key).
    EXPECT_NO_THROW(VisionAIService().generateSubjectMask(image, {}));
    qunsetenv("TAVIVIEW_MODELS_DIR");
}

// A product shot: a disc cut from a real photo (the saw's blade guard) on a real smooth
// backdrop (the vignetted gradient of the flowers photo), or on one flat colour of it.
struct ProductShot {
    QImage image;
    QImage subject;
};

ProductShot productShot(bool gradient) {
    const QImage backdropPhoto(testsupport::fixture(QStringLiteral("photos/flowers-1920x1080.jpg")));
    const QImage objectPhoto(testsupport::fixture(QStringLiteral("photos/saw-2725x2225.jpg")));
    if (backdropPhoto.isNull() || objectPhoto.isNull()) return {};
    QImage image = backdropPhoto.scaled(640, 360, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (!gradient) image.fill(image.pixelColor(320, 180));
    const QImage object = objectPhoto.scaled(681, 556, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QPointF centre(320, 180);
    const double radius = 110;
    {
        QPainter painter(&image);
        QPainterPath clip;
        clip.addEllipse(centre, radius, radius);
        painter.setClipPath(clip);
        painter.drawImage(QPointF(centre.x() - 255, centre.y() - 265), object);
    }
    return {image, disc(image.size(), centre, radius)};
}

void checkProductShot(bool gradient) {
    const ProductShot shot = productShot(gradient);
    ASSERT_FALSE(shot.image.isNull());
    const VisionAIService service;
    BackgroundStudioSettings settings; // autoAI
    const QImage mask = service.generateSubjectMask(shot.image, settings);
    ASSERT_EQ(mask.size(), shot.image.size());
    const QString name = gradient ? QStringLiteral("product_gradient") : QStringLiteral("product_plain");
    keepForInspection(shot.image, name + QStringLiteral("_source.png"));
    keepForInspection(service.compositeWithBackground(shot.image, mask, settings), name + QStringLiteral("_cutout.png"));
    QImage background = shot.subject;
    background.invertPixels();
    const double kept = share(mask, shot.subject, true);
    const double removed = share(mask, background, false);
    std::printf("%s: subject kept %.3f, background removed %.3f\n", qPrintable(name), kept, removed);
    EXPECT_GE(kept, 0.9);
    EXPECT_GE(removed, 0.9);
}

TEST(SalientSegmentation, ProductOnGradientBackdrop) {
    REQUIRE_MODEL();
    checkProductShot(true);
}

TEST(SalientSegmentation, ProductOnPlainBackdrop) {
    REQUIRE_MODEL();
    checkProductShot(false);
}

TEST(SalientSegmentation, FeatherAtOrBelowFiveHundredthsLeavesTheMaskUnblurred) {
    REQUIRE_MODEL();
    const ProductShot shot = productShot(true);
    ASSERT_FALSE(shot.image.isNull());
    const VisionAIService service;
    BackgroundStudioSettings sharp;
    sharp.edgeFeather = 0;
    BackgroundStudioSettings limit;
    limit.edgeFeather = 0.05;
    BackgroundStudioSettings soft;
    soft.edgeFeather = 4;
    const QImage a = service.generateSubjectMask(shot.image, sharp);
    EXPECT_EQ(a, service.generateSubjectMask(shot.image, limit));
    const QImage blurred = service.generateSubjectMask(shot.image, soft);
    EXPECT_NE(a, blurred);
    EXPECT_GT(testsupport::meanAbsoluteDifference(a, blurred), 0.1);
}

} // namespace
