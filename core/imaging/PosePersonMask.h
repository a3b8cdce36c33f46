#pragma once

#include <opencv2/core.hpp>
#include <vector>

// People at any scale, one at a time: the BlazePose landmark model (MediaPipe, full) looks at a
// square crop turned upright around one person and returns a 256 × 256 mask of that person, a
// presence score, and two alignment points (hip centre and a point a body's radius away towards
// the head) that place the crop better on the next look. Starting from rough boxes (where the
// whole-frame person model saw someone), each crop is refined on its own alignment points until
// it settles; the masks of all people found are warped back into the photo and merged.

// A square crop: centre and side in photo pixels, turn in radians (clockwise on screen: the
// direction from the crop's centre up to its top edge points at angle `rotation` from straight up).
struct PersonCrop {
    double centreX = 0, centreY = 0, side = 0, rotation = 0;
    float presence = 0;
};

struct PosePeople {
    cv::Mat probability; // CV_32F in 0...1 at `scale` × the photo's size; empty when nobody was found
    double scale = 1;
    std::vector<PersonCrop> people;
};

// `rgb` is the photo (CV_8UC3, RGB); `seeds` are boxes in photo pixels where someone may stand,
// best first. Further people are looked for where `personHint` (a CV_32F probability of the
// whole frame at any size, may be empty) sees a person the masks found so far do not cover.
// The photo holds people only when, for at least one of them, the mean of `personHint` over
// their pose mask reaches `minimumAgreement` (a hand on a product poses as a person, but the
// whole-frame model sees it only faintly). Throws SegmentationModelError when the model is
// missing or damaged.
PosePeople findPeople(const cv::Mat& rgb, const std::vector<cv::Rect2d>& seeds, const cv::Mat& personHint,
                      double minimumAgreement);

// The model's raw look at one crop, for tests: presence and the crop's mask (256 × 256, 0...1).
struct PoseLook {
    float presence = 0;
    cv::Mat mask;
    PersonCrop next; // the crop its alignment points ask for
};
PoseLook lookAtCrop(const cv::Mat& rgb, const PersonCrop& crop);
