#pragma once

#include <opencv2/core.hpp>

// The guided filter with a colour guide (He, Sun and Tang): a soft mask is made to follow the
// edges of the photo that guides it, in time independent of the radius (box filters only).
// `guide` is CV_32FC3 in 0...1, `input` CV_32FC1 of the same size; `eps` regularises flat areas.
cv::Mat colorGuidedFilter(const cv::Mat& guide, const cv::Mat& input, int radius, double eps);

// The filter's smoothed linear coefficients: the output is a[0]·R + a[1]·G + a[2]·B + b. Computed
// on a reduced copy of a large photo, they can be brought back to its full size and applied
// there (the fast guided filter): edges follow the full-size photo at a fraction of the cost.
struct GuidedCoefficients {
    cv::Mat a[3], b; // CV_32FC1, the guide's size
};
GuidedCoefficients colorGuidedCoefficients(const cv::Mat& guide, const cv::Mat& input, int radius, double eps);

// Applies coefficients computed at a reduced size to the full-size 8-bit RGB photo, in strips,
// giving an 8-bit mask of the photo's size (0...1 mapped to 0...255, clamped).
cv::Mat applyGuidedCoefficients(const GuidedCoefficients& coefficients, const cv::Mat& rgb8);
