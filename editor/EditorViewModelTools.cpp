// The tools of the AI tab and the toolbar: background studio, trim, text and barcode reading, the
// eyedropper, the clipboard and the interactive screenshot.
#include "editor/EditorViewModel.h"

#include "core/common/AtomicFileWriter.h"
#include "core/common/TaviError.h"
#include "core/imaging/VisionAIError.h"
#include "core/localization/S.h"
#include "core/model/BackgroundFillStyle.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kTrimMarginPixels = 10;
constexpr int kTrimPreviewMaxWidth = 1800;

// The text a failed engine call shows: the system's own errors in the interface language (the
// segmenter raises them in English, not knowing the editor's language), anything else as it is.
QString toolErrorText(const std::exception& error, const QString& languageCode) {
    if (const auto* vision = dynamic_cast<const VisionAIError*>(&error))
        return VisionAIError::message(vision->kind(), languageCode);
    if (const auto* tavi = dynamic_cast<const TaviError*>(&error)) return tavi->description();
    return QString::fromLocal8Bit(error.what());
}

// A new file in the captures folder named `prefix` + the local date and time. Two captures in
// the same second must not replace one another (the first may be open): the second gets "-2".
QString newCaptureFilePath(const QString& prefix) {
    const QString folder = EditorViewModel::capturesFolderPath();
    QDir().mkpath(folder); // a failure shows when the file is written
    const QString stem = prefix + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = folder + u'/' + stem + QStringLiteral(".png");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder + u'/' + stem + QStringLiteral("-%1.png").arg(n);
    return path;
}

struct MaskResult {
    QImage preview;
    QImage full;
    QString error;
};

template <class T> struct RecognitionResult {
    std::optional<T> value;
    QString error;
};

} // namespace

QString EditorViewModel::capturesFolderPath() {
    return QDir::cleanPath(QDir::tempPath() + QStringLiteral("/TaviViewCaptures"));
}

void EditorViewModel::beginAITask() {
    ++runningAITasks_;
    setIsProcessingAI(true);
}

void EditorViewModel::endAITask() {
    runningAITasks_ = std::max(runningAITasks_ - 1, 0);
    setIsProcessingAI(runningAITasks_ > 0);
}

void EditorViewModel::applyOrRecomputeBackgroundStudio() {
    const std::optional<QImage> full = trimmedSourceCG_ ? trimmedSourceCG_ : fullSource();
    if (!full) return;
    const QImage preview = trimmedPreviewCG_ ? *trimmedPreviewCG_ : previewBaseCG_ ? *previewBaseCG_ : *full;
    const BackgroundStudioSettings settings = bgSettings();
    const QString languageCode = language().rawValue();
    const quint64 generation = loadGeneration_;
    auto services = services_;
    beginAITask();
    tasks_->run<MaskResult>(
        BackgroundTasks::Priority::userInitiated, CancellationFlag(),
        [services, full = *full, preview, settings, languageCode] {
            MaskResult result;
            try {
                result.preview = services->visionAI.generateSubjectMask(preview, settings);
            } catch (const std::exception& error) {
                result.error = toolErrorText(error, languageCode);
                return result;
            }
            if (result.preview.isNull()) {
                result.error =
                    VisionAIError::message(VisionAIError::Kind::maskGenerationFailed, languageCode);
                return result;
            }
            if (preview.size() == full.size()) {
                result.full = result.preview;
                return result;
            }
            try {
                result.full = services->visionAI.generateSubjectMask(full, settings);
            } catch (const std::exception&) {
                // The compositing scales the preview mask up to the full size.
            }
            if (result.full.isNull()) result.full = result.preview;
            return result;
        },
        [this, generation](MaskResult result) {
            endAITask();
            // Masks of a photo the user has left don't fit the one now shown.
            if (generation != loadGeneration_) return;
            if (!result.error.isEmpty()) {
                showToast(result.error, true);
                return;
            }
            pushUndoSnapshot();
            previewSubjectMaskCG_ = result.preview;
            fullSubjectMaskCG_ = result.full;
            BackgroundStudioSettings settings = bgSettings();
            settings.enabled = true;
            setBgSettings(settings);
            if (settings.fillStyle == BackgroundFillStyle::transparent) {
                ImageExportOptions options = exportOptions();
                options.format = ImageExportFormat::png;
                setExportOptions(options);
            }
            refreshPreview();
            showToast(S::t(QStringLiteral(
                               "Background isolated — pick a replacement fill or export transparent PNG"),
                           QStringLiteral(
                               "Arka plan işlendi — alttan yeni zemin seçebilir veya PNG kaydedebilirsiniz")),
                      false);
        });
}

void EditorViewModel::disableBackgroundStudio() {
    pushUndoSnapshot();
    BackgroundStudioSettings settings = bgSettings();
    settings.enabled = false;
    setBgSettings(settings);
    trimmedSourceCG_.reset();
    trimmedPreviewCG_.reset();
    refreshPreview();
}

void EditorViewModel::autoTrimTransparentBorders() {
    const std::optional<QImage> output = renderFullResolutionOutput();
    if (!output) return;
    const QImage trimmed = VisionAIService::trimTransparentBorders(*output, kTrimMarginPixels);
    const int previewWidth = std::min(trimmed.width(), kTrimPreviewMaxWidth);
    const int previewHeight =
        std::max(static_cast<int>(std::lround(static_cast<double>(trimmed.height()) * previewWidth /
                                              std::max(trimmed.width(), 1))),
                 1);
    const QImage preview = services_->exportService.resize(trimmed, previewWidth, previewHeight);

    pushUndoSnapshot();
    trimmedSourceCG_ = trimmed;
    trimmedPreviewCG_ = preview;
    BackgroundStudioSettings settings = bgSettings();
    settings.enabled = false;
    setBgSettings(settings);
    fullSubjectMaskCG_.reset();
    previewSubjectMaskCG_.reset();
    setAdjustments(EditAdjustments{});
    setAnnotations({});
    setDraftAnnotation(std::nullopt);
    setSelectedAnnotationID(std::nullopt);
    refreshPreview();
    showToast(QStringLiteral("%1 \u00D7 %2 px").arg(trimmed.width()).arg(trimmed.height()), false);
}

std::optional<QImage> EditorViewModel::recognitionInput() {
    std::optional<QImage> output = renderFullResolutionOutput();
    if (output) return output;
    return fullSource();
}

template <class T, class Recognize, class Publish>
void EditorViewModel::runRecognitionTask(Recognize recognize, Publish publish) {
    const std::optional<QImage> input = recognitionInput();
    if (!input) return;
    const QString languageCode = language().rawValue();
    const quint64 generation = loadGeneration_;
    auto services = services_;
    beginAITask();
    tasks_->run<RecognitionResult<T>>(
        BackgroundTasks::Priority::userInitiated, CancellationFlag(),
        [services, image = *input, languageCode, recognize] {
            RecognitionResult<T> result;
            try {
                result.value = recognize(*services, image, languageCode);
            } catch (const std::exception& error) {
                result.error = toolErrorText(error, languageCode);
            }
            return result;
        },
        [this, generation, publish](RecognitionResult<T> result) {
            endAITask();
            if (generation != loadGeneration_) return;
            if (!result.value) {
                showToast(result.error, true);
                return;
            }
            publish(*result.value);
        });
}

void EditorViewModel::runOCRTextRecognition() {
    runRecognitionTask<OCRResult>(
        [](EditorServices& services, const QImage& image, const QString& languageCode) {
            return services.visionAI.recognizeText(image, languageCode);
        },
        [this](const OCRResult& text) {
            setExtractedOCRText(text.fullText);
            setExtractedOCRLineCount(text.lineCount);
        });
}

void EditorViewModel::copyOCRText() {
    if (extractedOCRText().isEmpty()) return;
    platform_.setClipboardText(extractedOCRText());
    showToast(S::t(QStringLiteral("Text copied to clipboard"), QStringLiteral("Metin panoya kopyalandı")),
              false);
}

void EditorViewModel::scanBarcodesInImage() {
    runRecognitionTask<BarcodeList>(
        [](EditorServices& services, const QImage& image, const QString&) {
            return services.retouchBarcodeService.detectBarcodes(image);
        },
        [this](const BarcodeList& barcodes) {
            setDetectedBarcodes(barcodes);
            if (barcodes.isEmpty())
                showToast(S::t(QStringLiteral("No QR code or barcode detected."),
                               QStringLiteral("Görselde QR kod veya barkod bulunamadı.")),
                          true);
        });
}

void EditorViewModel::startEyedropper(EyedropperPurpose purpose) {
    if (isEyedropperActive() && eyedropperPurpose() == purpose) {
        setIsEyedropperActive(false);
        return;
    }
    setEyedropperPurpose(purpose);
    setIsEyedropperActive(true);
    setIsCompareMode(false);
    if (isCropMode()) {
        // The crop-mode preview shows the whole uncropped image; the click must sample what the
        // user will get.
        setIsCropMode(false);
        refreshPreview();
    }
}

void EditorViewModel::sampleColorAt(NormalizedPoint normalizedPoint) {
    const EyedropperPurpose purpose = eyedropperPurpose();
    // The key colour is a colour of the source the mask is computed from, before any edit.
    const std::optional<QImage>& image = purpose == EyedropperPurpose::pickBackgroundKeyColor
                                             ? (trimmedPreviewCG_ ? trimmedPreviewCG_
                                                : previewBaseCG_  ? previewBaseCG_
                                                                  : originalSourceCG_)
                                             : renderedDisplayImage();
    if (!image) return;
    const std::optional<SampledColor> color =
        services_->colorSampler.sampleColor(*image, normalizedPoint.x, normalizedPoint.y);
    if (!color) return;
    setSampledColor(color);

    if (purpose == EyedropperPurpose::pickBackgroundKeyColor) {
        BackgroundStudioSettings settings = bgSettings();
        settings.engine = BackgroundCutoutEngine::colorKeyMagic;
        settings.colorKeyTarget = RGBAColor{color->r / 255.0, color->g / 255.0, color->b / 255.0, 1};
        setBgSettings(settings);
        setIsEyedropperActive(false);
        applyOrRecomputeBackgroundStudio();
        return;
    }
    platform_.setClipboardText(color->hexString());
    showToast(S::t(QStringLiteral("%1 copied"), QStringLiteral("%1 kopyalandı")).arg(color->hexString()), false);
}

void EditorViewModel::copyStringToClipboard(const QString& text) {
    platform_.setClipboardText(text);
    showToast(S::t(QStringLiteral("%1 copied"), QStringLiteral("%1 kopyalandı")).arg(text), false);
}

void EditorViewModel::openExternalURL(const QUrl& url) {
    // Addresses come from what a photo contains (a barcode): a file or script address must never
    // reach the desktop's opener.
    static const QStringList kOpenable{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto"),
                                       QStringLiteral("tel")};
    const bool openable = url.isValid() && kOpenable.contains(url.scheme().toLower());
    if (!openable || !platform_.openURL(url))
        showToast(S::t(QStringLiteral("The link could not be opened."), QStringLiteral("Bağlantı açılamadı.")),
                  true);
}

void EditorViewModel::pasteImageFromClipboard() {
    const QStringList files = platform_.clipboardFileURLs();
    if (!files.isEmpty()) {
        openURLs(files);
        return;
    }
    QByteArray png;
    if (const std::optional<QImage> image = platform_.clipboardImage(); image && !image->isNull()) {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(*image)) png.clear();
    }
    if (png.isEmpty()) {
        showToast(S::t(QStringLiteral("No image found on the clipboard."),
                       QStringLiteral("Panoda yapıştırılacak görsel bulunamadı.")),
                  true);
        return;
    }
    const QString path = newCaptureFilePath(QStringLiteral("Clipboard-"));
    try {
        AtomicFileWriter::write(path, png);
    } catch (const TaviError& error) {
        showToast(error.description(), true);
        return;
    }
    openURLs({path});
    showToast(S::t(QStringLiteral("Opened image from clipboard"), QStringLiteral("Panodan görsel açıldı")),
              false);
}

void EditorViewModel::captureInteractiveScreenshot() {
    const QString target = newCaptureFilePath(QStringLiteral("Screenshot-"));
    platform_.hideApplicationWindows();
    // The platform outlives the editor (the shell owns both); the tool blocks until the user has
    // chosen a region or cancelled, so it runs off the GUI thread.
    PlatformServices* platform = &platform_;
    tasks_->run<bool>(
        BackgroundTasks::Priority::userInitiated, CancellationFlag(),
        [platform, target] {
            const bool captured = platform->runInteractiveScreenCapture(target);
            // A tool that was cancelled or failed half-way may leave an empty or partial file;
            // only a complete capture is kept.
            if (!captured || QFileInfo(target).size() <= 0) {
                QFile::remove(target);
                return false;
            }
            return true;
        },
        [this, target](bool captured) {
            platform_.activateApplication();
            platform_.restoreApplicationWindows();
            if (!captured) return;
            openURLs({target});
            setSelectedTab(InspectorTab::annotate);
            showToast(S::t(QStringLiteral("Screenshot captured — ready to annotate or beautify"),
                           QStringLiteral(
                               "Ekran görüntüsü yakalandı — işaretleyebilir veya çerçeveleyebilirsiniz")),
                      false);
        });
}
