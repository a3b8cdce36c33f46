// Frames and display times of animated files, real and generated.
#include "AnimationWriters.h"

#include "core/files/AnimatedImageService.h"
#include "core/files/imageio/ImageProperties.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::fixture;

namespace {

std::vector<double> delaysOf(const AnimatedImageSequence& sequence) {
    std::vector<double> delays;
    for (const auto& frame : sequence.frames())
        delays.push_back(frame.delaySeconds());
    return delays;
}

QImage solid(QColor colour, int size = 8) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

class GeneratedAnimations : public ::testing::Test {
  protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(animtest::writeFile(path, bytes));
        return path;
    }
    QTemporaryDir dir;
    AnimatedImageService service;
};

} // namespace

TEST(AnimatedFrame, ClampsItsDelay) {
    EXPECT_DOUBLE_EQ(AnimatedFrame(QImage(), 12.0).delaySeconds(), 5.0);
    EXPECT_DOUBLE_EQ(AnimatedFrame(QImage(), 0.015).delaySeconds(), 0.02);
    EXPECT_DOUBLE_EQ(AnimatedFrame(QImage(), 0.25).delaySeconds(), 0.25);
    EXPECT_DOUBLE_EQ(AnimatedFrame(QImage(), std::nan("")).delaySeconds(), 0.02);
}

TEST(AnimatedImageService, DelayCandidatesInOrder) {
    using namespace ImageProperty;
    auto delay = [](const QVariantMap& p) { return AnimatedImageService::frameDelay(p); };
    // Unclamped first; a value of 0.01 or less is "no delay" and passes to the next candidate.
    EXPECT_DOUBLE_EQ(delay({{GIFDictionary, QVariantMap{{UnclampedDelayTime, 0.005}, {DelayTime, 0.1}}}}),
                     0.1);
    EXPECT_DOUBLE_EQ(delay({{GIFDictionary, QVariantMap{{UnclampedDelayTime, 0.015}, {DelayTime, 0.1}}}}),
                     0.015);
    EXPECT_DOUBLE_EQ(delay({{GIFDictionary, QVariantMap{{UnclampedDelayTime, 0.01}, {DelayTime, 0.01}}}}),
                     0.1);
    // GIF before WebP before APNG, each only when usable.
    EXPECT_DOUBLE_EQ(delay({{GIFDictionary, QVariantMap{{DelayTime, 0.0}}},
                            {WebPDictionary, QVariantMap{{DelayTime, 0.3}}},
                            {PNGDictionary, QVariantMap{{APNGDelayTime, 0.7}}}}),
                     0.3);
    EXPECT_DOUBLE_EQ(
        delay({{WebPDictionary, QVariantMap{{UnclampedDelayTime, "0.5"}}},
               {PNGDictionary, QVariantMap{{APNGUnclampedDelayTime, 0.7}, {APNGDelayTime, 0.9}}}}),
        0.7);
    // Nothing usable: the default.
    EXPECT_DOUBLE_EQ(delay({}), 0.1);
    EXPECT_DOUBLE_EQ(delay({{GIFDictionary, "0.5"}, {PNGDictionary, QVariantMap{{APNGDelayTime, -1.0}}}}),
                     0.1);
}

TEST(AnimatedImageService, RealAnimationsGiveTheirFramesAndDelays) {
    const AnimatedImageService service;
    for (const char* name : {"formats/animated-loop-3.gif", "formats/animated-loop-3.webp"}) {
        SCOPED_TRACE(name);
        const auto sequence = service.loadAnimationIfAnimated(fixture(name));
        ASSERT_TRUE(sequence);
        EXPECT_TRUE(sequence->isAnimated());
        EXPECT_EQ(sequence->frameCount(), 10);
        std::vector<double> expected(9, 3.0);
        expected.push_back(5.0); // declared 15 s
        EXPECT_EQ(delaysOf(*sequence), expected);
        for (const auto& frame : sequence->frames())
            EXPECT_EQ(frame.image().size(), QSize(370, 285));
        // Full canvases: consecutive frames differ, and none is blank.
        EXPECT_GT(
            testsupport::meanAbsoluteDifference(sequence->frames()[0].image(), sequence->frames()[1].image()),
            0.5);
    }

    const auto squares = service.loadAnimationIfAnimated(fixture("formats/rotating-squares.gif"));
    ASSERT_TRUE(squares);
    EXPECT_EQ(squares->frameCount(), 30);
    EXPECT_EQ(delaysOf(*squares), std::vector<double>(30, 0.03));

    const auto apng = service.loadAnimationIfAnimated(fixture("formats/apng-delay.png"));
    ASSERT_TRUE(apng);
    EXPECT_EQ(delaysOf(*apng), (std::vector<double>{0.5, 1.0, 0.5, 1.0}));
    EXPECT_EQ(apng->frames()[0].image().size(), QSize(128, 64));

    const auto durations = service.loadAnimationIfAnimated(fixture("formats/apng-different-durations.png"));
    ASSERT_TRUE(durations);
    EXPECT_EQ(delaysOf(*durations), (std::vector<double>{4.0, 1.0}));
}

TEST(AnimatedImageService, PagesOfADocumentPlayAtTheDefaultPace) {
    const auto pages = AnimatedImageService().loadAnimationIfAnimated(fixture("formats/G31D_MULTI.TIF"));
    ASSERT_TRUE(pages);
    EXPECT_EQ(delaysOf(*pages), (std::vector<double>{0.1, 0.1}));
    // Pages keep their own stored sizes.
    EXPECT_EQ(pages->frames()[1].image().size(), QSize(1232, 1624));
}

TEST(AnimatedImageService, StillsAndUnreadableFilesGiveNothing) {
    const AnimatedImageService service;
    EXPECT_FALSE(service.loadAnimationIfAnimated(fixture("formats/with-alpha.png")));
    EXPECT_FALSE(service.loadAnimationIfAnimated(fixture("photos/landscape_6.jpg")));
    EXPECT_FALSE(service.loadAnimationIfAnimated(fixture("bad/truncated.png")));
    EXPECT_FALSE(service.loadAnimationIfAnimated(fixture("photos/no-such-file.gif")));
    EXPECT_FALSE(service.loadAnimationIfAnimated(fixture("formats/animated-loop-3.gif"), 1));
    EXPECT_FALSE(service.loadAnimationIfAnimated(fixture("formats/animated-loop-3.gif"), 0));
}

TEST_F(GeneratedAnimations, DelaysAsDeclared) {
    // 0 and 1 centisecond mean "as fast as possible": 0.1 s. 12 s is held to 5 s.
    const auto sequence =
        service.loadAnimationIfAnimated(write("delays.gif", animtest::gif({0, 1, 2, 7, 1200})));
    ASSERT_TRUE(sequence);
    EXPECT_EQ(delaysOf(*sequence), (std::vector<double>{0.1, 0.1, 0.02, 0.07, 5.0}));
    // Each frame is its own picture.
    EXPECT_GT(
        testsupport::meanAbsoluteDifference(sequence->frames()[0].image(), sequence->frames()[1].image()),
        10);
}

TEST_F(GeneratedAnimations, LongAnimationsAreCut) {
    const QString path = write("long.gif", animtest::gif(std::vector<int>(300, 4)));
    const auto sequence = service.loadAnimationIfAnimated(path);
    ASSERT_TRUE(sequence);
    EXPECT_EQ(sequence->frameCount(), 180);
    // The frames kept are the first ones, in order.
    const QColor palette[4] = {Qt::red, Qt::green, Qt::blue, Qt::white};
    for (int i = 0; i < sequence->frameCount(); ++i)
        ASSERT_EQ(sequence->frames()[size_t(i)].image().pixelColor(5, 5), palette[i % 4]) << "frame " << i;
    EXPECT_EQ(service.loadAnimationIfAnimated(path, 7)->frameCount(), 7);
}

TEST_F(GeneratedAnimations, UndecodableFramesAreSkipped) {
    const QString three = write(
        "three.png",
        animtest::apng({{solid(Qt::red), 1, 10}, {solid(Qt::green), 3, 10, true}, {solid(Qt::blue), 5, 10}}));
    const auto sequence = service.loadAnimationIfAnimated(three);
    ASSERT_TRUE(sequence);
    ASSERT_EQ(sequence->frameCount(), 2);
    EXPECT_EQ(delaysOf(*sequence), (std::vector<double>{0.1, 0.5}));
    EXPECT_EQ(sequence->frames()[1].image().pixelColor(0, 0), QColor(Qt::blue));

    // Two images of which one can't be decoded: a still.
    const QString two =
        write("two.png", animtest::apng({{solid(Qt::red), 1, 10}, {solid(Qt::green), 3, 10, true}}));
    EXPECT_FALSE(service.loadAnimationIfAnimated(two));
}

TEST_F(GeneratedAnimations, FramesCommand) {
    const QString path = write("cli.gif", animtest::gif({0, 50, 1200}));
    const QString out = dir.filePath("frames");
    const auto result = testsupport::runCli({"frames", path, "--extract", out});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("Frames: 3"));
    EXPECT_TRUE(result.out.contains("0.100 s"));
    EXPECT_TRUE(result.out.contains("0.500 s"));
    EXPECT_TRUE(result.out.contains("5.000 s"));
    const QImage second(out + "/cli_frame_002.png");
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(second.size(), QSize(8, 8));
    EXPECT_EQ(second.pixelColor(5, 5), QColor(Qt::green));

    const auto still = testsupport::runCli({"frames", fixture("formats/with-alpha.png")});
    EXPECT_EQ(still.exitCode, 0);
    EXPECT_TRUE(still.out.contains("not animated"));
    EXPECT_NE(testsupport::runCli({"frames", dir.filePath("missing.gif")}).exitCode, 0);
}
