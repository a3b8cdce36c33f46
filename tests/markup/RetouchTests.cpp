#include "core/imaging/AnnotationRenderer.h"
#include "core/imaging/RetouchAndBarcodeService.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QPainter>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

AnnotationItem heal(NormalizedPoint start, NormalizedPoint end) {
    return AnnotationItem{.tool = AnnotationTool::spotHeal, .start = start, .end = end};
}

QImage filled(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    image.fill(color);
    return image;
}

// The process's address space now, from the kernel's own count.
std::int64_t addressSpaceBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:")) return line.mid(7).trimmed().split(' ').front().toLongLong() * 1024;
    return -1;
}

} // namespace

TEST(SpotHeal, RemovesASpotFromAnEvenSurface) {
    const RetouchAndBarcodeService service;
    QImage skin = filled(600, 400, QColor(210, 160, 140));
    {
        QPainter painter(&skin);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(60, 30, 20));
        painter.drawEllipse(QPointF(300, 200), 8, 8);
    }
    // The box 0.04 × 0.06 → side 24 px, r = 13.2: the ramp is fully the donor within 7 px.
    const QImage healed = service.applySpotHeals({heal({0.48, 0.47}, {0.52, 0.53})}, skin);
    EXPECT_NEAR(healed.pixelColor(300, 200).red(), 210, 3);
    EXPECT_NEAR(healed.pixelColor(300, 200).green(), 160, 3);
    // Nothing outside the healed square (1.4 r around the centre) changes.
    EXPECT_EQ(testsupport::meanAbsoluteDifference(healed.copy(0, 0, 600, 170), skin.copy(0, 0, 600, 170)), 0);
    EXPECT_EQ(testsupport::meanAbsoluteDifference(healed.copy(0, 0, 270, 400), skin.copy(0, 0, 270, 400)), 0);
    // The source is untouched; an empty list returns it as it is.
    EXPECT_EQ(qRed(skin.pixel(300, 200)), 60);
    EXPECT_EQ(service.applySpotHeals({}, skin).cacheKey(), skin.cacheKey());
}

TEST(SpotHeal, DonorComesFromTheRightUnlessTheEdgeIsNear) {
    const RetouchAndBarcodeService service;
    // Blue left half, red right half, a grey column between as the "spot" to heal.
    QImage image = filled(1000, 400, Qt::blue);
    QPainter(&image).fillRect(490, 0, 510, 400, Qt::red);
    // Centre 480, side 20 px, r = 11: the donor is read 14.85 px to the right, blurred by 2.42.
    const QImage fromRight = service.applySpotHeals({heal({0.47, 0.475}, {0.49, 0.525})}, image);
    EXPECT_GT(fromRight.pixelColor(480, 200).red(), 150); // red from x ≈ 495 onward, blurred in
    // Near the right edge the patch comes from the left: a spot on red takes blue from its left.
    QImage edge = filled(1000, 400, Qt::red);
    QPainter(&edge).fillRect(0, 0, 985, 400, Qt::blue);
    const QImage fromLeft = service.applySpotHeals({heal({0.99, 0.475}, {1.0, 0.525})}, edge);
    EXPECT_GT(fromLeft.pixelColor(995, 200).blue(), 200);
    EXPECT_LT(fromLeft.pixelColor(995, 200).red(), 60);
}

TEST(SpotHeal, HealsRunBeforeEverythingElseInTheRenderer) {
    QImage skin = filled(400, 400, QColor(200, 150, 120));
    QPainter(&skin).fillRect(195, 195, 10, 10, Qt::black);
    const auto spot = heal({0.48, 0.48}, {0.52, 0.52});
    auto loupe = AnnotationItem{.tool = AnnotationTool::magnifier, .start = {0.5, 0.5}, .end = {0.6, 0.5}};
    // The loupe listed first still shows the healed skin.
    const QImage out = AnnotationRenderer().render({loupe, spot}, skin);
    EXPECT_NEAR(out.pixelColor(200, 200).red(), 200, 6);
}

TEST(MagnifierLoupe, WholeSourceAndSampleGiveTheSameLoupe) {
    const RetouchAndBarcodeService service;
    QImage photo = filled(800, 600, Qt::black);
    for (int y = 0; y < 600; y += 7) QPainter(&photo).fillRect(0, y, 800, 3, QColor(250, 200, 40));
    const auto loupe = AnnotationItem{.tool = AnnotationTool::magnifier, .start = {0.5, 0.5}, .end = {0.55, 0.5},
                                      .color = RGBAColor::blue};
    const QRect sample = RetouchAndBarcodeService::magnifierSampleRect(loupe, 800, 600, 1.0);
    // r0 = 40 → R = 40, k = 18.2: a 37-pixel square around the centre.
    EXPECT_EQ(sample, QRect(381, 281, 38, 38));
    QImage a = filled(800, 600, Qt::white), b = a;
    {
        QPainter pa(&a), pb(&b);
        service.drawMagnifierLoupe(loupe, photo, pa, 800, 600, 1.0);
        service.drawMagnifierLoupeFromSample(loupe, photo.copy(sample), pb, 800, 600, 1.0);
    }
    EXPECT_EQ(testsupport::meanAbsoluteDifference(a, b), 0);
    // Stripes 3 px on, 4 off come out 2.2 times wider inside the disc.
    int changes = 0;
    for (int y = 300 - 30; y < 300 + 30; ++y)
        changes += (qRed(a.pixel(400, y)) > 128) != (qRed(a.pixel(400, y + 1)) > 128);
    EXPECT_NEAR(changes, 2 * 60 / (7 * 2.2), 2);
    // Too small an image to sample draws nothing.
    QImage tiny = filled(3, 3, Qt::white);
    {
        QPainter p(&tiny);
        service.drawMagnifierLoupe(loupe, photo, p, 3, 3, 0.5);
    }
    EXPECT_EQ(tiny.pixelColor(1, 1), QColor(Qt::white));
}

TEST(MarkupMemory, PhotoSizedHealsAndRedactionsStayNearTheImage) {
    // Heals and redactions as large as a 24 MP photo, in a child process allowed only the photo
    // and three more of its size (with the canvas): the wide blurs of the heal's donor and the
    // redaction must not need gigabytes of margins, and nothing may be killed for memory.
    // Re-run in a fresh process: a forked copy of this one would inherit a thread pool whose
    // threads it does not have.
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed blocks in quarantine and pads every allocation, so an address
    // space cap measures the sanitizer, not the renderer.
    GTEST_SKIP() << "address-space cap not meaningful under AddressSanitizer";
#endif
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::int64_t before = addressSpaceBytes();
    ASSERT_GT(before, 0);
    const QImage photo = filled(6000, 4000, QColor(120, 140, 160));
    const std::int64_t imageBytes = photo.sizeInBytes();
    const QList<AnnotationItem> items{
        heal({0, 0}, {1, 1}),
        AnnotationItem{
            .tool = AnnotationTool::blurRedact, .start = {0, 0}, .end = {1, 1}, .redactStrength = 1},
        AnnotationItem{.tool = AnnotationTool::pixelateRedact, .start = {0, 0}, .end = {1, 1}},
        AnnotationItem{.tool = AnnotationTool::magnifier, .start = {0.5, 0.5}, .end = {1, 1}},
        AnnotationItem{.tool = AnnotationTool::spotlight, .start = {0.1, 0.1}, .end = {0.9, 0.9}}};
    auto renderWithinLimit = [&] {
        const auto cap = static_cast<rlim_t>(before + 4 * imageBytes);
        const rlimit limit{cap, cap};
        setrlimit(RLIMIT_AS, &limit);
        const QImage out = AnnotationRenderer().render(items, photo);
        std::exit(out.size() == photo.size() && out.pixelColor(3000, 2000).alpha() == 255 ? 0 : 1);
    };
    EXPECT_EXIT(renderWithinLimit(), ::testing::ExitedWithCode(0), "");
}
