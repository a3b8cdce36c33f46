#include "core/imaging/AnnotationRenderer.h"
#include "core/imaging/VisionAIService.h"
#include "core/imaging/filters/ClampedGaussianBlur.h"
#include "tests/support/TestSupport.h"

#include <QFontDatabase>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

namespace {

constexpr int kWidth = 1200, kHeight = 800; // m = 800
const QRect kBox(200, 200, 800, 400);        // the redacted box in pixels

QImage documentPhoto(QColor background = Qt::white) {
    QImage image(kWidth, kHeight, QImage::Format_RGBA8888_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(64);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(220, 240, 760, 120), Qt::AlignCenter, QStringLiteral("ACCOUNT 4821"));
    painter.drawText(QRect(220, 400, 760, 120), Qt::AlignCenter, QStringLiteral("PIN 7390"));
    return image;
}

AnnotationItem redaction(AnnotationTool tool, double strength) {
    return AnnotationItem{.tool = tool,
                          .start = {kBox.left() / double(kWidth), kBox.top() / double(kHeight)},
                          .end = {(kBox.right() + 1) / double(kWidth), (kBox.bottom() + 1) / double(kHeight)},
                          .redactStrength = strength};
}

// Detail finer than a few pixels: the mean squared difference between the box and a slight
// blur of itself (a high-pass filter), on grey levels.
double highFrequencyEnergy(const QImage& image, const QRect& box) {
    const QImage inside = image.copy(box);
    const QImage smooth = clampedGaussianBlur(inside, 1.5);
    double sum = 0;
    for (int y = 8; y < inside.height() - 8; ++y)
        for (int x = 8; x < inside.width() - 8; ++x) {
            const double d = qGray(inside.pixel(x, y)) - qGray(smooth.pixel(x, y));
            sum += d * d;
        }
    return sum / ((inside.width() - 16) * (inside.height() - 16));
}

// Lengths of the runs of equal pixels along one row (or column) of the box, its two partial
// ends dropped.
std::map<int, int> runLengths(const QImage& image, int line, const QRect& box, bool vertical = false) {
    std::map<int, int> runs;
    int length = 1;
    bool first = true;
    const int from = vertical ? box.top() : box.left(), to = vertical ? box.bottom() : box.right();
    auto at = [&](int i) { return vertical ? image.pixel(line, i) : image.pixel(i, line); };
    for (int i = from + 1; i <= to; ++i) {
        if (at(i) == at(i - 1)) {
            ++length;
            continue;
        }
        if (!first) ++runs[length];
        first = false;
        length = 1;
    }
    return runs;
}

} // namespace

TEST(Redaction, StrengthIsLimitedToTheMeaningfulRange) {
    EXPECT_DOUBLE_EQ(AnnotationRenderer::effectiveRedactStrength(0.05), 0.2);
    EXPECT_DOUBLE_EQ(AnnotationRenderer::effectiveRedactStrength(0.65), 0.65);
    EXPECT_DOUBLE_EQ(AnnotationRenderer::effectiveRedactStrength(1.5), 1.0);
    EXPECT_DOUBLE_EQ(AnnotationRenderer::effectiveRedactStrength(std::nan("")), 1.0);

    const AnnotationRenderer renderer;
    const QImage photo = documentPhoto();
    for (auto tool : {AnnotationTool::blurRedact, AnnotationTool::pixelateRedact}) {
        EXPECT_EQ(testsupport::meanAbsoluteDifference(renderer.render({redaction(tool, 0.05)}, photo),
                                                      renderer.render({redaction(tool, 0.2)}, photo)),
                  0);
        EXPECT_EQ(testsupport::meanAbsoluteDifference(renderer.render({redaction(tool, 1.5)}, photo),
                                                      renderer.render({redaction(tool, 1.0)}, photo)),
                  0);
    }
}

TEST(Redaction, BlurRemovesFineDetailInProportionToStrength) {
    const AnnotationRenderer renderer;
    const QImage photo = documentPhoto();
    const double original = highFrequencyEnergy(photo, kBox);
    ASSERT_GT(original, 50);
    // Radius max(s · 800 · 0.028, 8): 8 px at 0.2, 12.3 px at 0.55, 22.4 px at 1.
    double previous = original;
    for (double strength : {0.2, 0.55, 1.0}) {
        const double energy = highFrequencyEnergy(renderer.render({redaction(AnnotationTool::blurRedact, strength)}, photo), kBox);
        const double sigma = std::max(strength * 800 * 0.028, 8.0);
        // Blurring a sharp edge by σ leaves about 1/σ³ of its fine-detail energy.
        EXPECT_LT(energy, original / std::pow(sigma, 3)) << "strength " << strength;
        EXPECT_LT(energy, previous) << "strength " << strength;
        previous = energy;
    }
    // Outside the box nothing changed.
    const QImage out = renderer.render({redaction(AnnotationTool::blurRedact, 1)}, photo);
    EXPECT_EQ(testsupport::meanAbsoluteDifference(out.copy(0, 0, kWidth, 199), photo.copy(0, 0, kWidth, 199)), 0);
}

TEST(Redaction, PixellateUsesCellsOfTheStrengthsSizeCentredOnTheBox) {
    const AnnotationRenderer renderer;
    const QImage photo = documentPhoto();
    for (double strength : {0.2, 0.65, 1.0}) {
        const QImage out = renderer.render({redaction(AnnotationTool::pixelateRedact, strength)}, photo);
        const int cell = qRound(std::max(strength * 800 * 0.03, 10.0)); // 10, 15.6, 24 px
        // Along a text row and a text column every inner run is one cell long (or a multiple,
        // where neighbouring cells happen to agree): no detail finer than a cell is left.
        for (bool vertical : {false, true}) {
            const auto runs = runLengths(out, vertical ? 450 : 300, kBox, vertical);
            ASSERT_GT(runs.size(), 0u);
            for (const auto& [length, count] : runs) {
                const double cells = length / std::max(strength * 800 * 0.03, 10.0);
                EXPECT_NEAR(cells, std::round(cells), 0.13) << "strength " << strength << " run " << length;
                EXPECT_GE(std::round(cells), 1);
            }
        }
        // A cell is centred on the box centre (600, 400): the pixels around it share one colour.
        EXPECT_EQ(out.pixel(600 - cell / 2 + 1, 400), out.pixel(600 + cell / 2 - 1, 400));
    }
}

TEST(Redaction, RedactedTextCannotBeReadBack) {
    if (VisionAIService::recognitionDataPath().isEmpty()) GTEST_SKIP() << "no recognition data installed";
    const VisionAIService vision;
    const QImage photo = documentPhoto();
    const QString before = vision.recognizeText(photo).fullText;
    ASSERT_TRUE(before.contains(QStringLiteral("4821"))) << before.toStdString();
    const AnnotationRenderer renderer;
    for (auto tool : {AnnotationTool::blurRedact, AnnotationTool::pixelateRedact}) {
        const QImage out = renderer.render({redaction(tool, 0.2)}, photo);
        QString after;
        try {
            after = vision.recognizeText(out).fullText;
        } catch (const VisionAIError&) {
            // Nothing readable at all.
        }
        for (const char* secret : {"4821", "7390", "ACCOUNT", "PIN"})
            EXPECT_FALSE(after.contains(QLatin1String(secret))) << after.toStdString();
    }
}

TEST(Redaction, TransparentPhotosDoNotShowTheOriginalThroughTheBox) {
    // Black text on a fully transparent page: a blur laid over the original would leave the
    // sharp glyphs visible beneath its see-through parts.
    const QImage photo = documentPhoto(Qt::transparent);
    const QImage out = AnnotationRenderer().render({redaction(AnnotationTool::blurRedact, 0.2)}, photo);
    double sharp = 0, left = 0;
    for (int y = kBox.top(); y <= kBox.bottom(); ++y)
        for (int x = kBox.left(); x <= kBox.right(); ++x) {
            sharp += qAlpha(photo.pixel(x, y)) > 250;
            left += qAlpha(out.pixel(x, y)) > 250;
        }
    ASSERT_GT(sharp, 2000);
    EXPECT_LT(left, sharp * 0.02);
}

TEST(Redaction, DegenerateBoxesAreSkipped) {
    const AnnotationRenderer renderer;
    const QImage photo = documentPhoto();
    // Boxes at least 0.02 wide are kept even from a click; one entirely outside the image is not.
    auto outside = redaction(AnnotationTool::blurRedact, 1);
    outside.start = {1.5, 1.5};
    outside.end = {1.8, 1.9};
    EXPECT_EQ(testsupport::meanAbsoluteDifference(renderer.render({outside}, photo), photo), 0);
    auto tinyImage = QImage(40, 40, QImage::Format_RGBA8888_Premultiplied);
    tinyImage.fill(Qt::red);
    auto click = redaction(AnnotationTool::pixelateRedact, 1);
    click.start = click.end = {0.5, 0.5}; // 0.02 × 40 = 0.8 px: under 2 px, skipped
    EXPECT_EQ(testsupport::meanAbsoluteDifference(renderer.render({click}, tinyImage), tinyImage), 0);
}

// A redaction that can't be made must fail the output: an image wider than the filters take
// refuses the blur, and the file written would show what the box hides. The preview form draws
// what it can.
TEST(Redaction, OneThatCannotBeMadeFailsTheOutput) {
    QImage wide(65536, 8, QImage::Format_RGBA8888_Premultiplied);
    ASSERT_FALSE(wide.isNull());
    wide.fill(Qt::white);
    for (AnnotationTool tool : {AnnotationTool::blurRedact, AnnotationTool::pixelateRedact}) {
        const AnnotationItem everything{.tool = tool, .start = {0, 0}, .end = {1, 1}, .redactStrength = 1};
        EXPECT_FALSE(AnnotationRenderer().tryRender({everything}, wide)) << rawValue(tool).toStdString();
        EXPECT_EQ(AnnotationRenderer().render({everything}, wide).size(), wide.size());
    }
    const auto redacted = AnnotationRenderer().tryRender({redaction(AnnotationTool::blurRedact, 1)}, documentPhoto());
    ASSERT_TRUE(redacted);
    EXPECT_EQ(redacted->size(), QSize(kWidth, kHeight));
}
