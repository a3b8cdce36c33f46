#include "core/imaging/VisionAIService.h"
#include "tests/support/TestSupport.h"

#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

struct TextLine {
    QString text;
    QString family;
    int pixelSize;
};

// Lines of text drawn top to bottom with the given colours, the way a screenshot shows them.
QImage textImage(QSize size, const std::vector<TextLine>& lines, QColor ink, QColor paper, int left = 12) {
    QImage image(size, QImage::Format_RGBA8888_Premultiplied);
    image.fill(paper);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(ink);
    int y = 8;
    for (const auto& line : lines) {
        QFont font(line.family);
        font.setPixelSize(line.pixelSize);
        painter.setFont(font);
        y += line.pixelSize * 3 / 2;
        painter.drawText(left, y, line.text);
        y += line.pixelSize / 2;
    }
    return image;
}

int editDistance(const QString& a, const QString& b) {
    std::vector<int> row(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j) row[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Each expected line read back in order, allowing one misread character per line.
void expectLines(const OCRResult& result, const QStringList& expected) {
    const QStringList lines = result.fullText.split(u'\n');
    EXPECT_EQ(result.lineCount, lines.size());
    ASSERT_EQ(lines.size(), expected.size()) << result.fullText.toStdString();
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_LE(editDistance(lines[i], expected[i]), 1)
            << "read \"" << lines[i].toStdString() << "\", drawn \"" << expected[i].toStdString() << "\"";
}

} // namespace

TEST(TextRecognition, ReadsLinesOfSeveralFontsAndSizesInOrder) {
    const QImage image = textImage({620, 210},
                                   {{"Invoice number 2024-117", "DejaVu Sans", 30},
                                    {"Delivered to Market Street", "DejaVu Serif", 22},
                                    {"Total due: 48.50 EUR", "DejaVu Sans Mono", 17}},
                                   Qt::black, Qt::white);
    const OCRResult result = VisionAIService().recognizeText(image);
    expectLines(result, {"Invoice number 2024-117", "Delivered to Market Street", "Total due: 48.50 EUR"});
}

TEST(TextRecognition, ReadsSmallScreenshotTextDarkOnLightAndLightOnDark) {
    const std::vector<TextLine> lines = {{"Preferences saved successfully", "DejaVu Sans", 12},
                                         {"Check for updates automatically", "DejaVu Sans", 12}};
    const QStringList expected{"Preferences saved successfully", "Check for updates automatically"};
    const VisionAIService service;
    expectLines(service.recognizeText(textImage({300, 70}, lines, QColor(30, 30, 30), QColor(246, 246, 246))),
                expected);
    expectLines(service.recognizeText(textImage({300, 70}, lines, QColor(225, 225, 225), QColor(32, 33, 36))),
                expected);
}

TEST(TextRecognition, LightTextOnTransparencyAndTurkishLetters) {
    const QImage image = textImage({560, 70}, {{"Görselde okunabilir metin şu", "DejaVu Sans", 26}},
                                   Qt::white, Qt::transparent);
    expectLines(VisionAIService().recognizeText(image), {"Görselde okunabilir metin şu"});
}

TEST(TextRecognition, NothingReadableFailsWithTheLocalizedMessage) {
    const VisionAIService service;
    QImage gradient(320, 200, QImage::Format_RGBA8888_Premultiplied);
    {
        QPainter painter(&gradient);
        QLinearGradient fill(0, 0, 320, 200);
        fill.setColorAt(0, QColor(40, 90, 160));
        fill.setColorAt(1, QColor(240, 200, 120));
        painter.fillRect(gradient.rect(), fill);
    }
    try {
        service.recognizeText(gradient);
        FAIL() << "no text expected";
    } catch (const VisionAIError& error) {
        EXPECT_EQ(error.kind(), VisionAIError::Kind::noTextDetected);
        EXPECT_EQ(error.description(), "No readable text detected in this image.");
    }
    // Degenerate and hostile shapes are "no text", not a crash.
    for (QSize size : {QSize(1, 1), QSize(40000, 3)}) {
        QImage odd(size, QImage::Format_RGBA8888_Premultiplied);
        odd.fill(Qt::white);
        EXPECT_THROW(service.recognizeText(odd), VisionAIError) << size.width() << "x" << size.height();
    }
    try {
        service.recognizeText(QImage(), QStringLiteral("tr"));
        FAIL() << "no text expected";
    } catch (const VisionAIError& error) {
        EXPECT_EQ(error.description(), "Görselde okunabilir metin bulunamadı.");
    }
}

TEST(TextRecognition, ThreadsReadAtTheSameTimeWithTheirOwnEngines) {
    const QImage image = textImage({360, 60}, {{"Parallel reading works", "DejaVu Sans", 24}}, Qt::black, Qt::white);
    const VisionAIService service;
    const OCRResult expected = service.recognizeText(image);
    std::vector<OCRResult> results(2);
    std::vector<std::thread> threads;
    for (auto& result : results)
        threads.emplace_back([&service, &image, &result] { result = service.recognizeText(image); });
    for (auto& thread : threads) thread.join();
    for (const auto& result : results) EXPECT_EQ(result, expected);
    EXPECT_LE(editDistance(expected.fullText, "Parallel reading works"), 1) << expected.fullText.toStdString();
}

TEST(TextRecognition, LanguagesFollowTheInterfaceWhenInstalled) {
    EXPECT_EQ(VisionAIService::recognitionLanguages(std::nullopt), "tur+eng");
    EXPECT_EQ(VisionAIService::recognitionLanguages(QStringLiteral("tr")), "tur+eng");
    EXPECT_EQ(VisionAIService::recognitionLanguages(QStringLiteral("en")), "eng");
    EXPECT_EQ(VisionAIService::recognitionLanguageCode(QStringLiteral("zh-Hant")), "chi_tra");
    // Only installed language data is asked for, so an uncommon interface language still reads English.
    if (!QFileInfo::exists(VisionAIService::recognitionDataPath() + "/vie.traineddata")) {
        EXPECT_EQ(VisionAIService::recognitionLanguages(QStringLiteral("vi")), "eng");
    }
    EXPECT_EQ(VisionAIService::recognitionLanguages(QStringLiteral("xx")), "eng");
}

TEST(TextRecognitionCli, OcrPrintsTheLines) {
    QTemporaryDir dir;
    const QImage image = textImage({420, 120}, {{"Hello from the command line", "DejaVu Sans", 24}}, Qt::black,
                                   Qt::white);
    const auto result = testsupport::runCli({QStringLiteral("ocr"), testsupport::writeImage(dir, "text.png", image)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_LE(editDistance(result.out.trimmed(), "Hello from the command line"), 1) << result.out.toStdString();
}
