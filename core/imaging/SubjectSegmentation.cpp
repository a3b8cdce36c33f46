#include "core/imaging/SubjectSegmentation.h"

#include "core/imaging/GuidedFilter.h"
#include "core/imaging/PosePersonMask.h"
#include "core/imaging/VisionAIError.h"
#include "core/imaging/tflite/TfliteError.h"
#include "core/imaging/tflite/TfliteInterpreter.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <opencv2/imgproc.hpp>
#include <opencv2/saliency.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

namespace {

const QString kModelFile = QStringLiteral("selfie_segmentation.tflite");
constexpr int kModelSide = 256;

// A pixel counts as a person above this probability; a photo holds a person when enough of its
// model view does, confidently. The model was made for selfies and sees faint people in some
// objects, so choosing between a person and an object (automatic mode) asks for more: a
// person seen clearly over most of their extent.
constexpr float kPersonProbability = 0.5f;
constexpr double kMinimumPersonShare = 0.01;
constexpr double kMinimumPersonConfidence = 0.75;
constexpr float kCertainPersonProbability = 0.9f;
constexpr double kMinimumCertainPersonShare = 0.5; // of the component
constexpr double kMinimumAutomaticPersonConfidence = 0.9;
// How strongly the whole-frame model must see the best-posed person (mean probability over the
// pose mask): real people score 0.8 and more, a hand posing as a person on a product 0.3 to 0.5.
constexpr double kMinimumAgreement = 0.15;
constexpr double kMinimumAutomaticAgreement = 0.65;

std::shared_ptr<const tfl::Model> personModel() {
    static std::mutex mutex;
    static std::shared_ptr<const tfl::Model> model;
    static QString loadedFrom;
    std::lock_guard lock(mutex);
    const auto path = personSegmentationModelPath();
    if (!path)
        throw SegmentationModelError(
            QStringLiteral("The person segmentation model (%1) is not installed; scripts/fetch-models puts it in "
                           "resources/models or TAVIVIEW_MODELS_DIR.")
                .arg(kModelFile));
    if (!model || loadedFrom != *path) {
        try {
            model = tfl::Model::fromFile(*path);
        } catch (const tfl::ModelError& error) {
            throw SegmentationModelError(QStringLiteral("%1: %2").arg(*path, error.description()));
        }
        const tfl::Shape4 in = model->tensors()[model->inputs()[0]].shape;
        const tfl::Shape4 out = model->tensors()[model->outputs()[0]].shape;
        if (!(in == tfl::Shape4{1, kModelSide, kModelSide, 3}) || !(out == tfl::Shape4{1, kModelSide, kModelSide, 1})) {
            model.reset();
            throw SegmentationModelError(QStringLiteral("%1 is not the expected segmentation model").arg(*path));
        }
        loadedFrom = *path;
    }
    return model;
}

cv::Mat rgbMat(const QImage& source) {
    // Transparent areas are seen over black, as the model's training photos have no alpha.
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull()) throw VisionAIError(VisionAIError::Kind::maskGenerationFailed);
    cv::Mat view(rgb.height(), rgb.width(), CV_8UC3, const_cast<uchar*>(rgb.constBits()),
                 static_cast<std::size_t>(rgb.bytesPerLine()));
    return view.clone();
}

QImage greyImage(const cv::Mat& mask) {
    cv::Mat bytes = mask;
    if (mask.type() != CV_8U) mask.convertTo(bytes, CV_8U, 255.0);
    QImage image(bytes.cols, bytes.rows, QImage::Format_Grayscale8);
    if (image.isNull()) throw VisionAIError(VisionAIError::Kind::maskGenerationFailed);
    for (int y = 0; y < bytes.rows; ++y) std::copy(bytes.ptr<uchar>(y), bytes.ptr<uchar>(y) + bytes.cols, image.scanLine(y));
    return image;
}

// A coarse soft mask brought to the photo's size and pulled onto its edges: a guided filter
// with the photo as guide keeps the mask's soft transitions where the photo has no edge and
// sharpens them where it has one. The filter's coefficients are found on a copy of at most
// kRefineSide pixels and applied to the full-size photo, so a 24-megapixel photo costs about
// what a 2-megapixel one does while the edges follow its own pixels. Returns an 8-bit mask.
cv::Mat refineAtFullSize(const cv::Mat& coarse, const cv::Mat& rgb) {
    constexpr int kRefineSide = 1600;
    const double scale = std::min(1.0, static_cast<double>(kRefineSide) / std::max(rgb.cols, rgb.rows));
    const cv::Size reduced(std::max(1, static_cast<int>(std::lround(rgb.cols * scale))),
                           std::max(1, static_cast<int>(std::lround(rgb.rows * scale))));
    cv::Mat small = rgb;
    if (reduced != rgb.size()) cv::resize(rgb, small, reduced, 0, 0, cv::INTER_AREA);
    cv::Mat mask;
    cv::resize(coarse, mask, reduced, 0, 0, cv::INTER_LINEAR);
    const int radius = std::clamp(std::min(reduced.width, reduced.height) / 80, 2, 24);
    cv::Mat guide;
    small.convertTo(guide, CV_32FC3, 1.0 / 255.0);
    return applyGuidedCoefficients(colorGuidedCoefficients(guide, mask, radius, 1e-3), rgb);
}

cv::Mat personProbability(const cv::Mat& rgb) {
    thread_local std::unique_ptr<tfl::Interpreter> interpreter;
    const auto model = personModel();
    if (!interpreter || &interpreter->model() != model.get()) interpreter = std::make_unique<tfl::Interpreter>(model);
    cv::Mat small;
    cv::resize(rgb, small, cv::Size(kModelSide, kModelSide), 0, 0,
               rgb.cols > kModelSide && rgb.rows > kModelSide ? cv::INTER_AREA : cv::INTER_LINEAR);
    float* input = interpreter->input();
    for (int y = 0; y < kModelSide; ++y) {
        const uchar* row = small.ptr<uchar>(y);
        for (int i = 0; i < kModelSide * 3; ++i) input[y * kModelSide * 3 + i] = row[i] * (1.0f / 255.0f);
    }
    interpreter->invoke();
    return cv::Mat(kModelSide, kModelSide, CV_32F, const_cast<float*>(interpreter->output())).clone();
}

// Where the whole-frame model sees people, even faintly: boxes in photo pixels, largest first.
// Where it sees nobody the pose model is not asked: on a whole landscape seen small it finds
// people in trees.
std::vector<cv::Rect2d> personSeeds(const cv::Mat& probability, cv::Size photo) {
    std::vector<std::pair<int, cv::Rect2d>> found;
    {
        cv::Mat labels, stats, centroids;
        const int count = cv::connectedComponentsWithStats(probability > 0.2f, labels, stats, centroids, 8);
        const double sx = static_cast<double>(photo.width) / probability.cols;
        const double sy = static_cast<double>(photo.height) / probability.rows;
        for (int i = 1; i < count; ++i) {
            const int area = stats.at<int>(i, cv::CC_STAT_AREA);
            if (area < 0.002 * probability.total()) continue;
            found.emplace_back(area, cv::Rect2d(stats.at<int>(i, cv::CC_STAT_LEFT) * sx,
                                                stats.at<int>(i, cv::CC_STAT_TOP) * sy,
                                                stats.at<int>(i, cv::CC_STAT_WIDTH) * sx,
                                                stats.at<int>(i, cv::CC_STAT_HEIGHT) * sy));
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<cv::Rect2d> seeds;
    for (const auto& [area, box] : found) seeds.push_back(box);
    return seeds;
}

// The whole-frame mask of the people the pose model did not take: components the whole-frame
// model is confident about that no pose mask covers (a head and shoulders too close or too
// cut off for a pose), or that the bottom of the frame cuts. `posed` is the pose masks at the
// whole-frame model's size, or empty.
cv::Mat unposedPeople(const cv::Mat& probability, const cv::Mat& posed, bool certain) {
    cv::Mat kept(probability.size(), CV_32F, cv::Scalar(0));
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(probability > kPersonProbability, labels, stats, centroids, 8);
    bool any = false;
    for (int i = 1; i < count; ++i) {
        if (stats.at<int>(i, cv::CC_STAT_AREA) < kMinimumPersonShare * probability.total()) continue;
        const cv::Mat component = labels == i;
        // Someone the frame cuts off (head and shoulders at the bottom edge, a selfie) is the
        // whole-frame model's own case, where the pose model, missing the body it expects,
        // is unsure: that person keeps the whole-frame mask beside the pose mask.
        const int left = stats.at<int>(i, cv::CC_STAT_LEFT), top = stats.at<int>(i, cv::CC_STAT_TOP);
        const int right = left + stats.at<int>(i, cv::CC_STAT_WIDTH), bottom = top + stats.at<int>(i, cv::CC_STAT_HEIGHT);
        const bool cutByFrame = bottom >= probability.rows - 1 && cv::countNonZero(component.row(probability.rows - 1)) >=
                                                                       std::max(3, (right - left) / 3);
        if (!cutByFrame && !posed.empty() && cv::mean(posed, component)[0] > 0.3) continue;
        const double confidence = cv::mean(probability, component)[0];
        if (confidence < (certain ? kMinimumAutomaticPersonConfidence : kMinimumPersonConfidence)) continue;
        if (certain && cv::countNonZero((probability > kCertainPersonProbability) & component) <
                           kMinimumCertainPersonShare * stats.at<int>(i, cv::CC_STAT_AREA))
            continue;
        // The component's soft rim too: a few pixels around it at the model's scale.
        cv::Mat around;
        cv::dilate(component, around, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(7, 7)));
        probability.copyTo(kept, around);
        any = true;
    }
    return any ? kept : cv::Mat();
}

// People: the whole-frame model says roughly where they are, the pose model cuts each one out
// of a crop around them; people it cannot pose (a face filling the frame has no body to pose)
// keep the whole-frame mask when that is confident. Both models are needed: either missing is
// a SegmentationModelError.
cv::Mat personMask(const cv::Mat& rgb, bool certain) {
    const cv::Mat probability = personProbability(rgb);
    const PosePeople people = findPeople(rgb, personSeeds(probability, rgb.size()), probability,
                                         certain ? kMinimumAutomaticAgreement : kMinimumAgreement);
    cv::Mat merged = people.probability;
    cv::Mat posed;
    if (!merged.empty()) cv::resize(merged, posed, probability.size(), 0, 0, cv::INTER_AREA);
    cv::Mat others = unposedPeople(probability, posed, certain);
    if (merged.empty() && others.empty()) throw VisionAIError(VisionAIError::Kind::noForegroundSubject);
    if (!others.empty()) {
        cv::resize(others, others, merged.empty() ? rgb.size() / 4 : merged.size(), 0, 0, cv::INTER_LINEAR);
        if (merged.empty()) merged = others;
        else cv::max(merged, others, merged);
    }
    return refineAtFullSize(merged, rgb);
}

// The salient-object cut-out on a small working copy: a fine-grained saliency map marks what
// stands out; GrabCut, seeded with it and with the image border as certain background, turns it
// into a region whose colours separate from the background's.
cv::Mat salientObjectMask(const cv::Mat& rgb) {
    constexpr int kWorkingSide = 320;
    const double scale = std::min(1.0, static_cast<double>(kWorkingSide) / std::max(rgb.cols, rgb.rows));
    cv::Mat small;
    cv::resize(rgb, small, cv::Size(std::max(1, static_cast<int>(std::lround(rgb.cols * scale))),
                                    std::max(1, static_cast<int>(std::lround(rgb.rows * scale)))),
               0, 0, cv::INTER_AREA);
    if (small.cols < 16 || small.rows < 16) throw VisionAIError(VisionAIError::Kind::noForegroundSubject);

    // A flat image has nothing to stand out.
    cv::Scalar mean, deviation;
    cv::meanStdDev(small, mean, deviation);
    if (std::max({deviation[0], deviation[1], deviation[2]}) < 3.0)
        throw VisionAIError(VisionAIError::Kind::noForegroundSubject);

    cv::Mat bgr;
    cv::cvtColor(small, bgr, cv::COLOR_RGB2BGR);
    cv::Mat saliency;
    auto fineGrained = cv::saliency::StaticSaliencyFineGrained::create();
    if (!fineGrained->computeSaliency(bgr, saliency)) throw VisionAIError(VisionAIError::Kind::noForegroundSubject);
    cv::Mat saliency8;
    cv::normalize(saliency, saliency8, 0, 255, cv::NORM_MINMAX, CV_8U);
    cv::GaussianBlur(saliency8, saliency8, cv::Size(0, 0), std::max(2.0, small.cols / 80.0));

    // The backdrop model: a smooth surface (quadratic in x and y, per Lab channel) fitted to the
    // image robustly, refitting on the pixels it explains, so the subject drops out as an
    // outlier. It describes a plain, a graded or a vignetted backdrop alike; a pixel's distance
    // from it (ΔE) is the main cue, the saliency map the second.
    cv::Mat lab;
    cv::Mat smooth;
    cv::GaussianBlur(bgr, smooth, cv::Size(0, 0), 1.0);
    smooth.convertTo(lab, CV_32FC3, 1.0 / 255.0);
    cv::cvtColor(lab, lab, cv::COLOR_BGR2Lab);
    const int pixels = small.rows * small.cols;
    cv::Mat basis(pixels, 6, CV_32F), values(pixels, 3, CV_32F);
    for (int y = 0, i = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x, ++i) {
            const float u = static_cast<float>(x) / small.cols - 0.5f, v = static_cast<float>(y) / small.rows - 0.5f;
            float* row = basis.ptr<float>(i);
            row[0] = 1, row[1] = u, row[2] = v, row[3] = u * u, row[4] = v * v, row[5] = u * v;
            const cv::Vec3f p = lab.at<cv::Vec3f>(y, x);
            values.at<float>(i, 0) = p[0], values.at<float>(i, 1) = p[1], values.at<float>(i, 2) = p[2];
        }
    cv::Mat residual(small.size(), CV_32F);
    cv::Mat inliers(pixels, 1, CV_8U, cv::Scalar(1));
    for (int round = 0; round < 4; ++round) {
        cv::Mat ata = cv::Mat::zeros(6, 6, CV_64F), atb = cv::Mat::zeros(6, 3, CV_64F);
        for (int i = 0; i < pixels; ++i) {
            if (!inliers.at<uchar>(i)) continue;
            const float* a = basis.ptr<float>(i);
            const float* b = values.ptr<float>(i);
            for (int r = 0; r < 6; ++r) {
                for (int c = 0; c < 6; ++c) ata.at<double>(r, c) += a[r] * a[c];
                for (int c = 0; c < 3; ++c) atb.at<double>(r, c) += a[r] * b[c];
            }
        }
        cv::Mat coefficients;
        if (!cv::solve(ata, atb, coefficients, cv::DECOMP_SVD)) throw VisionAIError(VisionAIError::Kind::noForegroundSubject);
        std::vector<float> distances(pixels);
        for (int i = 0; i < pixels; ++i) {
            const float* a = basis.ptr<float>(i);
            double d2 = 0;
            for (int c = 0; c < 3; ++c) {
                double fit = 0;
                for (int r = 0; r < 6; ++r) fit += a[r] * coefficients.at<double>(r, c);
                const double e = values.at<float>(i, c) - fit;
                d2 += e * e;
            }
            distances[i] = static_cast<float>(std::sqrt(d2));
            residual.at<float>(i / small.cols, i % small.cols) = distances[i];
        }
        std::vector<float> sorted = distances;
        std::nth_element(sorted.begin(), sorted.begin() + pixels / 2, sorted.end());
        const float limit = std::max(6.0f, 2.5f * sorted[pixels / 2]);
        for (int i = 0; i < pixels; ++i) inliers.at<uchar>(i) = distances[i] < limit;
    }
    const int border = std::max(2, std::min(small.cols, small.rows) / 40);
    cv::Mat borderMask(small.size(), CV_8U, cv::Scalar(255));
    borderMask(cv::Rect(border, border, small.cols - 2 * border, small.rows - 2 * border)).setTo(0);

    cv::Mat seeds(small.size(), CV_8U, cv::Scalar(cv::GC_PR_BGD));
    const cv::Mat salient = saliency8 > std::max(64.0, cv::mean(saliency8)[0] * 2);
    seeds.setTo(cv::GC_PR_FGD, (residual > 12) | ((residual > 6) & salient));
    seeds.setTo(cv::GC_FGD, residual > 30);
    seeds.setTo(cv::GC_BGD, borderMask & (residual < 12));
    const int foregroundSeeds = cv::countNonZero(seeds == cv::GC_PR_FGD) + cv::countNonZero(seeds == cv::GC_FGD);
    if (foregroundSeeds < 0.003 * small.total()) throw VisionAIError(VisionAIError::Kind::noForegroundSubject);

    cv::Mat backgroundModel, foregroundModel;
    // GrabCut starts its colour models with k-means on the thread's generator: seed it so the
    // same photo always gives the same mask.
    cv::theRNG() = cv::RNG(0x5eed);
    try {
        cv::grabCut(small, seeds, cv::Rect(), backgroundModel, foregroundModel, 4, cv::GC_INIT_WITH_MASK);
    } catch (const cv::Exception&) {
        throw VisionAIError(VisionAIError::Kind::noForegroundSubject);
    }
    cv::Mat foreground = (seeds == cv::GC_FGD) | (seeds == cv::GC_PR_FGD);

    // Drop specks: keep regions of at least a tenth of the largest.
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(foreground, labels, stats, centroids, 8);
    int largest = 0;
    for (int i = 1; i < count; ++i) largest = std::max(largest, stats.at<int>(i, cv::CC_STAT_AREA));
    cv::Mat kept(small.size(), CV_32F, cv::Scalar(0));
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x) {
            const int label = labels.at<int>(y, x);
            if (label > 0 && stats.at<int>(label, cv::CC_STAT_AREA) * 10 >= largest) kept.at<float>(y, x) = 1.0f;
        }
    const double share = cv::countNonZero(kept) / static_cast<double>(kept.total());
    if (share < 0.005 || share > 0.9) throw VisionAIError(VisionAIError::Kind::noForegroundSubject);
    return refineAtFullSize(kept, rgb);
}

void requireImage(const QImage& source) {
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        throw VisionAIError(VisionAIError::Kind::maskGenerationFailed);
}

} // namespace

std::optional<QString> personSegmentationModelPath() { return segmentationModelPath(kModelFile); }

std::optional<QString> segmentationModelPath(const QString& fileName) {
    QStringList folders;
    const QString env = qEnvironmentVariable("TAVIVIEW_MODELS_DIR");
    if (!env.isEmpty()) folders << env;
    const QString executableDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section('/', 0, -2);
    if (!executableDir.isEmpty()) {
        folders << executableDir + QStringLiteral("/resources/models");
        folders << executableDir + QStringLiteral("/../resources/models");
        folders << executableDir + QStringLiteral("/../share/taviview/models");
    }
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty()) folders << cache + QStringLiteral("/taviview/models");
    for (const QString& folder : folders) {
        const QFileInfo file(QDir(folder).filePath(fileName));
        if (file.isFile() && file.isReadable()) return QDir::cleanPath(file.absoluteFilePath());
    }
    return std::nullopt;
}

std::vector<float> runPersonModel(const QImage& source) {
    requireImage(source);
    const cv::Mat probability = personProbability(rgbMat(source));
    return std::vector<float>(probability.begin<float>(), probability.end<float>());
}

QImage segmentPerson(const QImage& source) {
    requireImage(source);
    return greyImage(personMask(rgbMat(source), false));
}

QImage segmentSalientObject(const QImage& source) {
    requireImage(source);
    return greyImage(salientObjectMask(rgbMat(source)));
}

QImage segmentSalientSubject(const QImage& source) {
    requireImage(source);
    const cv::Mat rgb = rgbMat(source);
    try {
        return greyImage(personMask(rgb, true));
    } catch (const VisionAIError&) {
    } catch (const SegmentationModelError&) {
        // Without the model, objects can still be cut out.
    }
    return greyImage(salientObjectMask(rgb));
}
