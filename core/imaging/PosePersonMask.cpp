#include "core/imaging/PosePersonMask.h"

#include "core/imaging/SubjectSegmentation.h"
#include "core/imaging/tflite/TfliteError.h"
#include "core/imaging/tflite/TfliteInterpreter.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>

namespace {

const QString kModelFile = QStringLiteral("pose_landmark_full.tflite");
constexpr int kSide = 256;
constexpr int kLandmarks = 39;
constexpr int kHipCentre = 33, kBodyRadiusPoint = 34;
// The crop the alignment points ask for is a square 2.5 body radii wide (MediaPipe's 1.25 × the
// circle through both points), enough for raised arms and a kick.
constexpr double kCropScale = 1.25;
// Below this presence the model found no person in its crop. A first crop placed from a rough
// box is worth refining from a lower score: the person is often off-centre in it.
constexpr float kMinimumPresence = 0.5f;
constexpr float kMinimumSeedPresence = 0.35f;
constexpr int kMaximumPeople = 6;
constexpr double kMinimumAgreement = 0.15;
constexpr int kRefinements = 3;

struct LoadedModel {
    std::shared_ptr<const tfl::Model> model;
    int landmarks = -1, presence = -1, mask = -1; // output indexes
};

LoadedModel poseModel() {
    static std::mutex mutex;
    static LoadedModel loaded;
    static QString loadedFrom;
    std::lock_guard lock(mutex);
    const auto path = poseLandmarkModelPath();
    if (!path)
        throw SegmentationModelError(
            QStringLiteral(
                "The pose model (%1) is not installed; scripts/fetch-models puts it in resources/models or "
                "TAVIVIEW_MODELS_DIR.")
                .arg(kModelFile));
    if (loaded.model && loadedFrom == *path) return loaded;
    LoadedModel fresh;
    try {
        fresh.model = tfl::Model::fromFile(*path);
    } catch (const tfl::ModelError& error) {
        throw SegmentationModelError(QStringLiteral("%1: %2").arg(*path, error.description()));
    }
    const auto& tensors = fresh.model->tensors();
    const auto& outputs = fresh.model->outputs();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const tfl::Shape4 shape = tensors[outputs[i]].shape;
        if (shape.count() == kLandmarks * 5 && fresh.landmarks < 0)
            fresh.landmarks = static_cast<int>(i);
        else if (shape.count() == 1 && fresh.presence < 0)
            fresh.presence = static_cast<int>(i);
        else if (shape == tfl::Shape4{1, kSide, kSide, 1} && fresh.mask < 0)
            fresh.mask = static_cast<int>(i);
    }
    const tfl::Shape4 in = tensors[fresh.model->inputs()[0]].shape;
    if (!(in == tfl::Shape4{1, kSide, kSide, 3}) || fresh.landmarks < 0 || fresh.presence < 0 ||
        fresh.mask < 0)
        throw SegmentationModelError(QStringLiteral("%1 is not the expected pose landmark model").arg(*path));
    loaded = fresh;
    loadedFrom = *path;
    return loaded;
}

// Crop pixel (u, v) to photo pixel: a 2 × 3 affine matrix.
cv::Matx23d cropToPhoto(const PersonCrop& crop) {
    const double a = crop.side / kSide;
    const double c = std::cos(crop.rotation) * a, s = std::sin(crop.rotation) * a;
    // Centre of the crop's pixel grid (u, v = 127.5) lands on the crop's centre.
    const double h = kSide / 2.0 - 0.5;
    return {c, -s, crop.centreX - c * h + s * h, s, c, crop.centreY - s * h - c * h};
}

cv::Point2d apply(const cv::Matx23d& m, double u, double v) {
    return {m(0, 0) * u + m(0, 1) * v + m(0, 2), m(1, 0) * u + m(1, 1) * v + m(1, 2)};
}

// The photo at a few halved sizes, so a crop is always sampled from a level near its own scale.
struct Pyramid {
    std::vector<cv::Mat> levels; // levels[k] is the photo at 2^-k (rounded)
    cv::Mat forCropSide(double side, double& scale) const {
        std::size_t k = 0;
        while (k + 1 < levels.size() && side * levels[k + 1].cols / levels[0].cols >= kSide)
            ++k;
        scale = static_cast<double>(levels[k].cols) / levels[0].cols;
        return levels[k];
    }
};

Pyramid pyramidOf(const cv::Mat& rgb) {
    Pyramid pyramid;
    pyramid.levels.push_back(rgb);
    while (std::min(pyramid.levels.back().cols, pyramid.levels.back().rows) >= 2 * kSide) {
        cv::Mat half;
        cv::pyrDown(pyramid.levels.back(), half);
        pyramid.levels.push_back(half);
    }
    return pyramid;
}

PoseLook look(tfl::Interpreter& interpreter, const LoadedModel& loaded, const Pyramid& pyramid,
              const PersonCrop& crop) {
    double scale = 1;
    const cv::Mat level = pyramid.forCropSide(crop.side, scale);
    cv::Matx23d m = cropToPhoto(crop);
    m = m * scale;
    // Pixel centres: level pixel i covers photo pixels around (i + 0.5) / scale − 0.5.
    m(0, 2) += 0.5 * scale - 0.5;
    m(1, 2) += 0.5 * scale - 0.5;
    cv::Mat patch;
    cv::warpAffine(level, patch, m, cv::Size(kSide, kSide), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                   cv::BORDER_CONSTANT, cv::Scalar(0, 0, 0));
    float* input = interpreter.input();
    for (int y = 0; y < kSide; ++y) {
        const uchar* row = patch.ptr<uchar>(y);
        for (int i = 0; i < kSide * 3; ++i)
            input[y * kSide * 3 + i] = row[i] * (1.0f / 255.0f);
    }
    interpreter.invoke();

    PoseLook result;
    result.presence = interpreter.output(loaded.presence)[0];
    cv::Mat logits(kSide, kSide, CV_32F, const_cast<float*>(interpreter.output(loaded.mask)));
    cv::exp(-logits, result.mask);
    result.mask = 1.0 / (1.0 + result.mask);

    const float* points = interpreter.output(loaded.landmarks);
    const cv::Matx23d toPhoto = cropToPhoto(crop);
    const cv::Point2d hip = apply(toPhoto, points[kHipCentre * 5], points[kHipCentre * 5 + 1]);
    const cv::Point2d head = apply(toPhoto, points[kBodyRadiusPoint * 5], points[kBodyRadiusPoint * 5 + 1]);
    const double radius = std::hypot(head.x - hip.x, head.y - hip.y);
    result.next.centreX = hip.x;
    result.next.centreY = hip.y;
    result.next.side = 2 * radius * kCropScale;
    // Upright when the head point is straight above the hip centre.
    double rotation = std::numbers::pi / 2 - std::atan2(-(head.y - hip.y), head.x - hip.x);
    rotation -= 2 * std::numbers::pi * std::floor((rotation + std::numbers::pi) / (2 * std::numbers::pi));
    result.next.rotation = rotation;
    result.next.presence = result.presence;
    return result;
}

tfl::Interpreter& interpreterFor(const LoadedModel& loaded) {
    thread_local std::unique_ptr<tfl::Interpreter> interpreter;
    if (!interpreter || &interpreter->model() != loaded.model.get())
        interpreter = std::make_unique<tfl::Interpreter>(loaded.model);
    return *interpreter;
}

bool sameCrop(const PersonCrop& a, const PersonCrop& b, double tolerance) {
    const double side = std::max(a.side, b.side);
    return std::hypot(a.centreX - b.centreX, a.centreY - b.centreY) < tolerance * side &&
           std::abs(a.side - b.side) < tolerance * side;
}

} // namespace

std::optional<QString> poseLandmarkModelPath() {
    return segmentationModelPath(kModelFile);
}

PoseLook lookAtCrop(const cv::Mat& rgb, const PersonCrop& crop) {
    const LoadedModel loaded = poseModel();
    return look(interpreterFor(loaded), loaded, pyramidOf(rgb), crop);
}

PosePeople findPeople(const cv::Mat& rgb, const std::vector<cv::Rect2d>& seeds, const cv::Mat& personHint,
                      double minimumAgreement) {
    const LoadedModel loaded = poseModel();
    tfl::Interpreter& interpreter = interpreterFor(loaded);
    const Pyramid pyramid = pyramidOf(rgb);

    // Masks are merged at a working size; the caller brings them to the photo's size.
    constexpr int kWorkingSide = 1600;
    PosePeople result;
    result.scale = std::min(1.0, static_cast<double>(kWorkingSide) / std::max(rgb.cols, rgb.rows));
    const cv::Size working(std::max(1, static_cast<int>(std::lround(rgb.cols * result.scale))),
                           std::max(1, static_cast<int>(std::lround(rgb.rows * result.scale))));
    cv::Mat merged(working, CV_32F, cv::Scalar(0));

    std::vector<cv::Rect2d> pending(seeds.rbegin(), seeds.rend()); // taken from the back
    int looks = 0;
    double bestAgreement = 0;
    const int maximumLooks = kMaximumPeople * (kRefinements + 1) + 4;
    while (!pending.empty() && static_cast<int>(result.people.size()) < kMaximumPeople &&
           looks < maximumLooks) {
        const cv::Rect2d box = pending.back();
        pending.pop_back();
        // A seed inside someone already cut out is part of them (a leg the whole-frame model
        // saw apart from the body).
        if (!result.people.empty()) {
            const cv::Rect inWorking =
                cv::Rect(
                    cv::Point(static_cast<int>(box.x * result.scale), static_cast<int>(box.y * result.scale)),
                    cv::Point(static_cast<int>(std::ceil(box.br().x * result.scale)),
                              static_cast<int>(std::ceil(box.br().y * result.scale)))) &
                cv::Rect(0, 0, working.width, working.height);
            if (inWorking.area() > 0 && cv::mean(merged(inWorking))[0] > 0.35) continue;
        }
        // The whole-frame model often sees only part of a person (a torso, a face): a crop
        // large enough for the whole body first, then a close one for someone small in it.
        PersonCrop crop;
        PoseLook seen;
        for (const double widen : {2.4, 1.2}) {
            crop = {box.x + box.width / 2, box.y + box.height / 2, std::max(box.width, box.height) * widen, 0,
                    0};
            if (crop.side < 8 || looks >= maximumLooks) break;
            seen = look(interpreter, loaded, pyramid, crop);
            ++looks;
            if (seen.presence >= kMinimumSeedPresence) break;
        }
        bool duplicate = false;
        for (int round = 0;
             round < kRefinements && seen.presence >= kMinimumSeedPresence && looks < maximumLooks;
             ++round, ++looks) {
            if (!(seen.next.side > 8) ||
                (seen.presence >= kMinimumPresence && sameCrop(crop, seen.next, 0.05)))
                break;
            duplicate = std::any_of(result.people.begin(), result.people.end(), [&](const PersonCrop& other) {
                return sameCrop(other, seen.next, 0.25);
            });
            if (duplicate) break;
            const PersonCrop next = seen.next;
            // A person vanishing when the crop is placed on them was never there (the model
            // sees people in foliage and shadows when they are tiny in its view).
            seen = look(interpreter, loaded, pyramid, next);
            crop = next;
        }
        if (duplicate || seen.presence < kMinimumPresence) continue;
        crop.presence = seen.presence;
        const bool known = std::any_of(result.people.begin(), result.people.end(),
                                       [&](const PersonCrop& other) { return sameCrop(other, crop, 0.25); });
        if (known) continue;

        cv::Matx23d m = cropToPhoto(crop) * result.scale;
        m(0, 2) += 0.5 * result.scale - 0.5;
        m(1, 2) += 0.5 * result.scale - 0.5;
        cv::Mat warped;
        cv::warpAffine(seen.mask, warped, m, working, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(0));
        // Both models must agree there is someone: the whole-frame model sees at least a
        // faint person where the pose model cut one out.
        double agreement = 1;
        if (!personHint.empty()) {
            cv::Mat small;
            cv::resize(warped, small, personHint.size(), 0, 0, cv::INTER_AREA);
            const cv::Mat body = small > 0.5f;
            agreement = cv::countNonZero(body) ? cv::mean(personHint, body)[0] : 0.0;
            if (agreement < kMinimumAgreement) continue;
        }
        bestAgreement = std::max(bestAgreement, agreement);
        result.people.push_back(crop);
        cv::max(merged, warped, merged);

        // Someone the whole-frame model sees and no mask covers yet is the next seed.
        if (pending.empty() && !personHint.empty()) {
            cv::Mat covered;
            cv::resize(merged, covered, personHint.size(), 0, 0, cv::INTER_AREA);
            const cv::Mat uncovered = (personHint > 0.5f) & (covered < 0.3f);
            cv::Mat labels, stats, centroids;
            const int count = cv::connectedComponentsWithStats(uncovered, labels, stats, centroids, 8);
            const double minimumArea = 0.004 * personHint.total();
            const double sx = static_cast<double>(rgb.cols) / personHint.cols;
            const double sy = static_cast<double>(rgb.rows) / personHint.rows;
            for (int i = 1; i < count; ++i) {
                if (stats.at<int>(i, cv::CC_STAT_AREA) < minimumArea) continue;
                pending.emplace_back(
                    stats.at<int>(i, cv::CC_STAT_LEFT) * sx, stats.at<int>(i, cv::CC_STAT_TOP) * sy,
                    stats.at<int>(i, cv::CC_STAT_WIDTH) * sx, stats.at<int>(i, cv::CC_STAT_HEIGHT) * sy);
            }
        }
    }
    // Someone both models are sure of makes the photo one of people; the others found with it
    // then count even where the whole-frame model sees them only faintly.
    if (bestAgreement < minimumAgreement) result.people.clear();
    if (!result.people.empty()) result.probability = merged;
    return result;
}
