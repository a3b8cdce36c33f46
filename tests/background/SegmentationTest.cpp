#include "core/imaging/SubjectSegmentation.h"
#include "core/imaging/VisionAIService.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Cut-outs are written here for a person to look at when TAVIVIEW_TEST_OUTPUT names a folder.
void keepForInspection(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("TAVIVIEW_TEST_OUTPUT");
    if (!folder.isEmpty()) image.save(QDir(folder).filePath(name));
}

#define REQUIRE_MODEL()                                                                                       \
    if (!personSegmentationModelPath())                                                                       \
    GTEST_SKIP() << "selfie_segmentation.tflite not found: run scripts/fetch-models BUILD_DIR (scripts/test does) " \
                    "or set TAVIVIEW_MODELS_DIR"

#define REQUIRE_POSE_MODEL()                                                                                  \
    REQUIRE_MODEL();                                                                                          \
    if (!poseLandmarkModelPath())                                                                             \
    GTEST_SKIP() << "pose_landmark_full.tflite not found: run scripts/fetch-models BUILD_DIR (scripts/test does) " \
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

// Scenes made from the fixtures: hopper's head and shoulders, cut out along the whole-frame
// model's mask, pasted at the bottom edge of a busy photo (the jungle of landscape_1), as if the
// frame cut the body. The pasted people must stay; the jungle must go.
struct Scene {
    QImage image;
    QImage keep, drop;
};

Scene busyScene(QSize size, const std::vector<QRectF>& people) {
    const QImage jungle(testsupport::fixture(QStringLiteral("photos/landscape_1.jpg")));
    const QImage hopper(testsupport::fixture(QStringLiteral("photos/hopper.png")));
    if (jungle.isNull() || hopper.isNull()) return {};
    const std::vector<float> probability = runPersonModel(hopper);
    QImage alpha(256, 256, QImage::Format_Grayscale8);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) alpha.scanLine(y)[x] = probability[y * 256 + x] > 0.5f ? 255 : 0;
    alpha = alpha.scaled(hopper.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage cutout = hopper.convertToFormat(QImage::Format_ARGB32);
    cutout.setAlphaChannel(alpha);

    Scene scene;
    scene.image = jungle.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    QImage pasted(size, QImage::Format_ARGB32_Premultiplied);
    pasted.fill(Qt::transparent);
    {
        QPainter image(&scene.image), label(&pasted);
        image.setRenderHint(QPainter::SmoothPixmapTransform);
        for (const QRectF& where : people) {
            image.drawImage(where, cutout);
            label.drawImage(where, cutout);
        }
    }
    // Kept: well inside a pasted person. Dropped: the jungle clear of every person by a margin
    // that leaves the refined edge unjudged.
    scene.keep = QImage(size, QImage::Format_Grayscale8);
    scene.drop = QImage(size, QImage::Format_Grayscale8);
    for (int y = 0; y < size.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(pasted.constScanLine(y));
        for (int x = 0; x < size.width(); ++x) scene.keep.scanLine(y)[x] = qAlpha(row[x]) > 250 ? 255 : 0;
    }
    scene.drop.fill(255);
    QPainter drop(&scene.drop);
    drop.setPen(Qt::NoPen);
    drop.setBrush(Qt::black);
    for (const QRectF& where : people) drop.drawRect(where.adjusted(-where.width() / 8, -where.height() / 8, 0, 0));
    drop.end();
    QImage eroded = scene.keep;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int r = 4;
            bool inside = true;
            for (int dy = -r; dy <= r && inside; dy += r)
                for (int dx = -r; dx <= r && inside; dx += r) {
                    const int yy = std::clamp(y + dy, 0, size.height() - 1), xx = std::clamp(x + dx, 0, size.width() - 1);
                    inside = scene.keep.constScanLine(yy)[xx] != 0;
                }
            eroded.scanLine(y)[x] = inside ? 255 : 0;
        }
    scene.keep = eroded;
    return scene;
}

void checkScene(const Scene& scene, BackgroundCutoutEngine engine, const QString& name) {
    ASSERT_FALSE(scene.image.isNull());
    BackgroundStudioSettings settings;
    settings.engine = engine;
    const VisionAIService service;
    const QImage mask = service.generateSubjectMask(scene.image, settings);
    ASSERT_EQ(mask.size(), scene.image.size());
    keepForInspection(scene.image, name + QStringLiteral("_source.png"));
    keepForInspection(service.compositeWithBackground(scene.image, mask, settings), name + QStringLiteral(".png"));
    const double kept = share(mask, scene.keep, true);
    const double removed = share(mask, scene.drop, false);
    std::printf("%s: people kept %.3f, clutter removed %.3f\n", qPrintable(name), kept, removed);
    EXPECT_GE(kept, 0.9);
    EXPECT_GE(removed, 0.97);
}

TEST(PersonSegmentation, SmallPersonInABusyPhotoIsCutOutAndTheClutterGoes) {
    REQUIRE_POSE_MODEL();
    // The person is a sixth of the photo's height: a few dozen pixels to the whole-frame model.
    const Scene scene = busyScene({1200, 900}, {QRectF(760, 750, 150, 150)});
    checkScene(scene, BackgroundCutoutEngine::portraitAI, QStringLiteral("small_person_portrait"));
    checkScene(scene, BackgroundCutoutEngine::autoAI, QStringLiteral("small_person_auto"));
}

TEST(PersonSegmentation, TwoPeopleOfDifferentSizesAreBothKept) {
    REQUIRE_POSE_MODEL();
    const Scene scene = busyScene({1200, 800}, {QRectF(100, 380, 420, 420), QRectF(800, 570, 230, 230)});
    checkScene(scene, BackgroundCutoutEngine::portraitAI, QStringLiteral("two_people_portrait"));
    checkScene(scene, BackgroundCutoutEngine::autoAI, QStringLiteral("two_people_auto"));
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

TEST(PersonSegmentation, NoPersonInTreesAndFields) {
    REQUIRE_POSE_MODEL();
    // Seen small, foliage and shadows look like people to the pose model.
    for (const char* name : {"photos/DSCN0010.jpg", "photos/landscape_1.jpg"}) {
        const QImage photo(testsupport::fixture(QString::fromLatin1(name)));
        ASSERT_FALSE(photo.isNull());
        try {
            segmentPerson(photo);
            ADD_FAILURE() << "a person was found in " << name;
        } catch (const VisionAIError& error) {
            EXPECT_EQ(error.kind(), VisionAIError::Kind::noForegroundSubject) << name;
        }
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

enum class Backdrop { gradient, plain, busy };

ProductShot productShot(Backdrop backdrop) {
    const bool gradient = backdrop != Backdrop::plain;
    const QImage backdropPhoto(testsupport::fixture(backdrop == Backdrop::busy ? QStringLiteral("photos/DSCN0010.jpg")
                                                                               : QStringLiteral("photos/flowers-1920x1080.jpg")));
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

void checkProductShot(Backdrop backdrop) {
    const ProductShot shot = productShot(backdrop);
    ASSERT_FALSE(shot.image.isNull());
    const VisionAIService service;
    BackgroundStudioSettings settings; // autoAI
    const QImage mask = service.generateSubjectMask(shot.image, settings);
    ASSERT_EQ(mask.size(), shot.image.size());
    const QString name = backdrop == Backdrop::gradient ? QStringLiteral("product_gradient")
                         : backdrop == Backdrop::plain ? QStringLiteral("product_plain")
                                                       : QStringLiteral("product_busy");
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
    checkProductShot(Backdrop::gradient);
}

TEST(SalientSegmentation, ProductOnPlainBackdrop) {
    REQUIRE_MODEL();
    checkProductShot(Backdrop::plain);
}

TEST(SalientSegmentation, ProductInFrontOfABusyLandscape) {
    REQUIRE_POSE_MODEL();
    checkProductShot(Backdrop::busy);
}

TEST(SalientSegmentation, FeatherAtOrBelowFiveHundredthsLeavesTheMaskUnblurred) {
    REQUIRE_MODEL();
    const ProductShot shot = productShot(Backdrop::gradient);
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
