#pragma once

#include <opencv2/core.hpp>

// The guided filter with a colour guide (He, Sun and Tang): a soft mask is made to follow the
// edges of the photo that guides it, in time independent of the radius (box filters only).
// `guide` is CV_32FC3 in 0...1, `input` CV_32FC1 of the same size; `eps` regularises flat areas.
cv::Mat colorGuidedFilter(const cv::Mat& guide, const cv::Mat& input, int radius, double eps);
