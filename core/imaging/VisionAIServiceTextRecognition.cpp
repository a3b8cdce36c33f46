// Text recognition of VisionAIService, on Tesseract's LSTM engine.
#include "core/imaging/RecognitionEngineError.h"
#include "core/imaging/VisionAIService.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <memory>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>
#include <vector>

namespace {

// Tesseract reads best when the x-height is around 20 px or more; screenshots often carry 11-13 px
// UI text, so small images are enlarged and a second, larger pass is made when the lines found are
// short. The pixel budget keeps a hostile or huge image from taking minutes.
constexpr int kSmallImageSide = 1600;
constexpr double kMaxUpscale = 4.0;
constexpr double kMaxPixels = 24.0e6;
constexpr int kMaxSide = 16000;
// Reading an image that showed no text at all again, enlarged, is worth it for screen-sized images
// (tiny UI text) but not for camera photos, where it only doubles the wait for "no text".
constexpr double kMaxBlindRetryPixels = 9.0e6;
constexpr int kShortLineHeight = 22;
constexpr double kTargetLineHeight = 34.0;
// Below this confidence a "line" is usually texture of a photo read as letters.
constexpr float kMinLineConfidence = 45.0f;

struct RecognizedLine {
    QString text;
    float confidence = 0;
    int height = 0;
};

struct PassResult {
    std::vector<RecognizedLine> lines;

    double score() const {
        double sum = 0;
        for (const auto& line : lines) sum += line.confidence * line.text.size();
        return sum;
    }
    int medianHeight() const {
        if (lines.empty()) return 0;
        std::vector<int> heights;
        for (const auto& line : lines) heights.push_back(line.height);
        std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
        return heights[heights.size() / 2];
    }
};

bool hasLetterOrDigit(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

// One engine per thread and language set: initialisation loads tens of megabytes of models, and
// a TessBaseAPI must never be used by two threads at once.
class ThreadEngine {
public:
    tesseract::TessBaseAPI& engine(const QString& dataPath, const QString& languages) {
        if (api_ && languages == languages_ && dataPath == dataPath_) return *api_;
        api_.reset();
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        const QByteArray path = QFile::encodeName(dataPath);
        const QByteArray langs = languages.toLatin1();
        if (api->Init(path.constData(), langs.constData(), tesseract::OEM_LSTM_ONLY) != 0)
            throw RecognitionEngineError(
                QStringLiteral("The text recognizer could not load its language data (%1) from %2.")
                    .arg(languages, dataPath));
        api->SetVariable("debug_file", "/dev/null");
        // Light text on dark UI panels: let the engine retry a line inverted when it reads poorly.
        api->SetVariable("tessedit_do_invert", "1");
        api->SetPageSegMode(tesseract::PSM_AUTO);
        api_ = std::move(api);
        languages_ = languages;
        dataPath_ = dataPath;
        return *api_;
    }

private:
    std::unique_ptr<tesseract::TessBaseAPI> api_;
    QString languages_;
    QString dataPath_;
};

ThreadEngine& threadEngine() {
    thread_local ThreadEngine engine;
    return engine;
}

// 8-bit luminance of the image composited onto a plain background. Transparent areas take the
// colour that contrasts with the visible content, so both dark and light text on transparency stay
// readable.
QImage luminanceImage(const QImage& source) {
    QImage rgba = source.format() == QImage::Format_RGBA8888_Premultiplied
                      ? source
                      : source.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    // Shrink hostile sizes first, so no full-size grey copy is ever made; very long strips are
    // shortened too, since the engine cannot take sides beyond what 16-bit coordinates hold.
    const double pixels = static_cast<double>(rgba.width()) * rgba.height();
    const double scale = std::min({1.0, std::sqrt(kMaxPixels / std::max(1.0, pixels)),
                                   double(kMaxSide) / std::max(rgba.width(), rgba.height())});
    if (scale < 1.0)
        rgba = rgba.scaled(std::max(1, int(rgba.width() * scale)), std::max(1, int(rgba.height() * scale)),
                           Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                   .convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const int w = rgba.width();
    const int h = rgba.height();
    double lumaSum = 0;
    double alphaSum = 0;
    bool hasTransparency = false;
    for (int y = 0; y < h; ++y) {
        const uchar* p = rgba.constScanLine(y);
        for (int x = 0; x < w; ++x, p += 4) {
            if (p[3] == 255) continue;
            hasTransparency = true;
            break;
        }
        if (hasTransparency) break;
    }
    int background = 255;
    if (hasTransparency) {
        for (int y = 0; y < h; ++y) {
            const uchar* p = rgba.constScanLine(y);
            for (int x = 0; x < w; ++x, p += 4) {
                lumaSum += 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]; // premultiplied, so alpha-weighted
                alphaSum += p[3];
            }
        }
        if (alphaSum > 0 && lumaSum / alphaSum > 0.5) background = 0;
    }
    QImage gray(w, h, QImage::Format_Grayscale8);
    if (gray.isNull()) return gray;
    for (int y = 0; y < h; ++y) {
        const uchar* p = rgba.constScanLine(y);
        uchar* out = gray.scanLine(y);
        for (int x = 0; x < w; ++x, p += 4) {
            const int backgroundPart = background * (255 - p[3]) / 255;
            const int r = p[0] + backgroundPart;
            const int g = p[1] + backgroundPart;
            const int b = p[2] + backgroundPart;
            out[x] = static_cast<uchar>(std::min(255, (306 * r + 601 * g + 117 * b + 512) >> 10));
        }
    }
    return gray;
}

QImage scaledBy(const QImage& gray, double scale) {
    if (std::abs(scale - 1.0) < 1e-6) return gray;
    const int w = std::max(1, static_cast<int>(std::lround(gray.width() * scale)));
    const int h = std::max(1, static_cast<int>(std::lround(gray.height() * scale)));
    return gray.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_Grayscale8);
}

PassResult recognize(tesseract::TessBaseAPI& api, const QImage& gray) {
    PassResult result;
    if (gray.isNull()) return result;
    api.SetImage(gray.constBits(), gray.width(), gray.height(), 1, static_cast<int>(gray.bytesPerLine()));
    // Screen and photo pixels carry no print resolution; a fixed one keeps the engine's size
    // heuristics stable and quiet.
    api.SetSourceResolution(300);
    if (api.Recognize(nullptr) != 0) {
        api.Clear();
        throw RecognitionEngineError(QStringLiteral("The text recognizer failed on this image."));
    }
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (it) {
        do {
            if (it->Empty(tesseract::RIL_TEXTLINE)) continue;
            std::unique_ptr<char[]> raw(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            if (!raw) continue;
            QString text = QString::fromUtf8(raw.get());
            while (text.endsWith(u'\n')) text.chop(1); // the engine terminates each line itself
            const float confidence = it->Confidence(tesseract::RIL_TEXTLINE);
            if (!hasLetterOrDigit(text) || confidence < kMinLineConfidence) continue;
            int left = 0, top = 0, right = 0, bottom = 0;
            it->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom);
            result.lines.push_back({text, confidence, bottom - top});
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    it.reset();
    api.Clear();
    return result;
}

double fittingScale(const QImage& gray, double wanted) {
    const double pixels = static_cast<double>(gray.width()) * gray.height();
    const double budget = std::sqrt(kMaxPixels / std::max(1.0, pixels));
    return std::min({wanted, budget, double(kMaxSide) / std::max(gray.width(), gray.height())});
}

} // namespace

QString VisionAIService::recognitionDataPath() {
    QStringList candidates;
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    if (!prefix.isEmpty()) candidates << prefix << prefix + QStringLiteral("/tessdata");
    candidates << QStringLiteral("/usr/share/tesseract-ocr/5/tessdata")
               << QStringLiteral("/usr/share/tesseract-ocr/4.00/tessdata") << QStringLiteral("/usr/share/tessdata")
               << QStringLiteral("/usr/local/share/tessdata") << QStringLiteral("/opt/homebrew/share/tessdata");
    for (const QString& dir : candidates)
        if (QFileInfo::exists(dir + QStringLiteral("/eng.traineddata"))) return QDir::cleanPath(dir);
    return {};
}

QString VisionAIService::recognitionLanguageCode(const QString& interfaceLanguageCode) {
    static const QHash<QString, QString> codes = {
        {"ar", "ara"},     {"az", "aze"},         {"bg", "bul"},        {"ca", "cat"},    {"cs", "ces"},
        {"da", "dan"},     {"de", "deu"},         {"el", "ell"},        {"en", "eng"},    {"es", "spa"},
        {"fa", "fas"},     {"fi", "fin"},         {"fr", "fra"},        {"he", "heb"},    {"hi", "hin"},
        {"hr", "hrv"},     {"hu", "hun"},         {"id", "ind"},        {"it", "ita"},    {"ja", "jpn"},
        {"ko", "kor"},     {"ms", "msa"},         {"nb", "nor"},        {"nl", "nld"},    {"pl", "pol"},
        {"pt-BR", "por"},  {"pt-PT", "por"},      {"ro", "ron"},        {"ru", "rus"},    {"sk", "slk"},
        {"sv", "swe"},     {"th", "tha"},         {"tr", "tur"},        {"uk", "ukr"},    {"vi", "vie"},
        {"zh-Hans", "chi_sim"}, {"zh-Hant", "chi_tra"},
    };
    return codes.value(interfaceLanguageCode);
}

QString VisionAIService::recognitionLanguages(const std::optional<QString>& interfaceLanguageCode) {
    // The interface language leads: with English first the engine reads Turkish letters as their
    // plain Latin look-alikes (ş as s), while Turkish first still reads English text well.
    const QString dataPath = recognitionDataPath();
    const QString extra =
        interfaceLanguageCode ? recognitionLanguageCode(*interfaceLanguageCode) : QStringLiteral("tur");
    QStringList languages;
    if (!extra.isEmpty() && extra != u"eng" && !dataPath.isEmpty() &&
        QFileInfo::exists(dataPath + u'/' + extra + QStringLiteral(".traineddata")))
        languages << extra;
    languages << QStringLiteral("eng");
    return languages.join(u'+');
}

OCRResult VisionAIService::recognizeText(const QImage& image,
                                         const std::optional<QString>& interfaceLanguageCode) const {
    const QString messageLanguage = interfaceLanguageCode.value_or(QStringLiteral("en"));
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        throw VisionAIError(VisionAIError::Kind::noTextDetected, messageLanguage);
    const QString dataPath = recognitionDataPath();
    if (dataPath.isEmpty())
        throw RecognitionEngineError(QStringLiteral("No text recognition data is installed."));
    tesseract::TessBaseAPI& api = threadEngine().engine(dataPath, recognitionLanguages(interfaceLanguageCode));

    const QImage gray = luminanceImage(image);
    if (gray.isNull()) throw RecognitionEngineError(QStringLiteral("The image is too large to read."));
    const int longer = std::max(gray.width(), gray.height());
    const double baseScale =
        fittingScale(gray, longer < kSmallImageSide ? std::min(kMaxUpscale, double(kSmallImageSide) / longer) : 1.0);
    PassResult best = recognize(api, scaledBy(gray, baseScale));

    // Short lines, or nothing at all on a large image, hint at small text the first pass could not
    // resolve; read again enlarged and keep whichever pass read more with more confidence.
    const int median = best.medianHeight();
    double retryScale = 0;
    if (!best.lines.empty() && median < kShortLineHeight)
        retryScale = baseScale * std::min(3.0, kTargetLineHeight / std::max(median, 1));
    else if (best.lines.empty() && baseScale <= 1.0 && 4.0 * gray.width() * gray.height() <= kMaxBlindRetryPixels)
        retryScale = 2.0;
    retryScale = fittingScale(gray, retryScale);
    if (retryScale > baseScale * 1.25) {
        PassResult retry = recognize(api, scaledBy(gray, retryScale));
        if (retry.score() > best.score()) best = std::move(retry);
    }

    if (best.lines.empty()) throw VisionAIError(VisionAIError::Kind::noTextDetected, messageLanguage);
    QStringList lines;
    for (const auto& line : best.lines) lines << line.text;
    return {lines.join(u'\n'), static_cast<int>(lines.size())};
}
