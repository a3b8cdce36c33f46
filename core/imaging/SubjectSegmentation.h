#pragma once

#include "core/common/TaviError.h"

#include <QImage>
#include <QString>
#include <optional>

// Offline subject segmentation for the background studio. Masks are Format_Grayscale8 images of
// the source's size, 255 = subject, with soft edges refined against the photo (an edge-aware
// guided filter) so hair and fur stay soft.

// The segmentation model could not be used: not installed beside the application, or damaged.
class SegmentationModelError : public TaviError {
public:
    explicit SegmentationModelError(const QString& detail)
        : TaviError(QStringLiteral("SegmentationModelError"), 1, detail) {}
};

// Where the person segmentation model (selfie_segmentation.tflite) is read from, first found:
// $TAVIVIEW_MODELS_DIR, resources/models beside or above the executable's folder, then
// <user cache>/taviview/models. Absent when none holds the file.
std::optional<QString> personSegmentationModelPath();
// The same search for any model file of the background studio.
std::optional<QString> segmentationModelPath(const QString& fileName);
// Where the pose landmark model (pose_landmark_full.tflite) is read from.
std::optional<QString> poseLandmarkModelPath();

// People in the photo at any scale: found by the selfie model on a 256 × 256 view of the whole
// frame, each cut out by the pose landmark model on a crop around them (see PosePersonMask.h);
// people the frame cuts off also keep the selfie model's mask. Refined at full size.
// Throws VisionAIError(noForegroundSubject) when nobody is found, SegmentationModelError when
// either model is missing or damaged.
QImage segmentPerson(const QImage& source);

// The salient subject(s): people first, when both models clearly see someone (they are then the
// subject); otherwise a classical salient-object cut-out (saliency and a fitted backdrop seeding
// GrabCut, the border as sure background, then the guided filter) meant for products and
// objects. Throws VisionAIError(noForegroundSubject) when nothing stands out.
QImage segmentSalientSubject(const QImage& source);

// Only the classical salient-object path (no person model); throws like segmentSalientSubject.
QImage segmentSalientObject(const QImage& source);

// The raw person probability at 256 × 256 (row-major floats in 0...1), for tests and the
// benchmark. Throws SegmentationModelError.
std::vector<float> runPersonModel(const QImage& source);
