#include "core/imaging/GuidedFilter.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace {
cv::Mat boxMean(const cv::Mat& m, int radius) {
    cv::Mat out;
    cv::boxFilter(m, out, CV_32F, cv::Size(2 * radius + 1, 2 * radius + 1), cv::Point(-1, -1), true,
                  cv::BORDER_REFLECT);
    return out;
}
} // namespace

GuidedCoefficients colorGuidedCoefficients(const cv::Mat& guide, const cv::Mat& input, int radius, double eps) {
    CV_Assert(guide.type() == CV_32FC3 && input.type() == CV_32FC1 && guide.size() == input.size());
    std::vector<cv::Mat> I;
    cv::split(guide, I);
    const cv::Mat& p = input;

    cv::Mat meanI[3], meanIp[3];
    for (int c = 0; c < 3; ++c) {
        meanI[c] = boxMean(I[c], radius);
        meanIp[c] = boxMean(I[c].mul(p), radius);
    }
    const cv::Mat meanP = boxMean(p, radius);
    // The guide's local covariance (symmetric 3 × 3: rr, rg, rb, gg, gb, bb).
    const int pairs[6][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 2}};
    cv::Mat var[6];
    for (int k = 0; k < 6; ++k) {
        const int i = pairs[k][0], j = pairs[k][1];
        var[k] = boxMean(I[i].mul(I[j]), radius) - meanI[i].mul(meanI[j]);
    }

    cv::Mat a[3] = {cv::Mat(p.size(), CV_32F), cv::Mat(p.size(), CV_32F), cv::Mat(p.size(), CV_32F)};
    cv::Mat b(p.size(), CV_32F);
    for (int y = 0; y < p.rows; ++y) {
        for (int x = 0; x < p.cols; ++x) {
            const double rr = var[0].at<float>(y, x) + eps, rg = var[1].at<float>(y, x),
                         rb = var[2].at<float>(y, x), gg = var[3].at<float>(y, x) + eps,
                         gb = var[4].at<float>(y, x), bb = var[5].at<float>(y, x) + eps;
            // Inverse of the symmetric covariance through its adjugate.
            const double i00 = gg * bb - gb * gb, i01 = gb * rb - rg * bb, i02 = rg * gb - gg * rb;
            const double i11 = rr * bb - rb * rb, i12 = rb * rg - rr * gb, i22 = rr * gg - rg * rg;
            const double det = rr * i00 + rg * i01 + rb * i02;
            const double mp = meanP.at<float>(y, x);
            const double cov[3] = {meanIp[0].at<float>(y, x) - meanI[0].at<float>(y, x) * mp,
                                   meanIp[1].at<float>(y, x) - meanI[1].at<float>(y, x) * mp,
                                   meanIp[2].at<float>(y, x) - meanI[2].at<float>(y, x) * mp};
            double ar = 0, ag = 0, ab = 0;
            if (det > 1e-12) {
                ar = (cov[0] * i00 + cov[1] * i01 + cov[2] * i02) / det;
                ag = (cov[0] * i01 + cov[1] * i11 + cov[2] * i12) / det;
                ab = (cov[0] * i02 + cov[1] * i12 + cov[2] * i22) / det;
            }
            a[0].at<float>(y, x) = static_cast<float>(ar);
            a[1].at<float>(y, x) = static_cast<float>(ag);
            a[2].at<float>(y, x) = static_cast<float>(ab);
            b.at<float>(y, x) = static_cast<float>(mp - ar * meanI[0].at<float>(y, x) -
                                                   ag * meanI[1].at<float>(y, x) - ab * meanI[2].at<float>(y, x));
        }
    }
    GuidedCoefficients result;
    result.b = boxMean(b, radius);
    for (int c = 0; c < 3; ++c) result.a[c] = boxMean(a[c], radius);
    return result;
}

cv::Mat colorGuidedFilter(const cv::Mat& guide, const cv::Mat& input, int radius, double eps) {
    const GuidedCoefficients k = colorGuidedCoefficients(guide, input, radius, eps);
    std::vector<cv::Mat> I;
    cv::split(guide, I);
    cv::Mat q = k.b.clone();
    for (int c = 0; c < 3; ++c) q += k.a[c].mul(I[c]);
    return q;
}

cv::Mat applyGuidedCoefficients(const GuidedCoefficients& k, const cv::Mat& rgb8) {
    CV_Assert(rgb8.type() == CV_8UC3 && !k.b.empty());
    const int width = rgb8.cols, height = rgb8.rows;
    cv::Mat out(height, width, CV_8U);
    // Pixel centres of the full size in the reduced grid.
    const float sx = static_cast<float>(k.b.cols) / width, sy = static_cast<float>(k.b.rows) / height;
    cv::Mat mapX(1, width, CV_32F);
    for (int x = 0; x < width; ++x) mapX.at<float>(0, x) = (x + 0.5f) * sx - 0.5f;
    constexpr int kStrip = 128;
    cv::Mat planes[4];
    for (int y0 = 0; y0 < height; y0 += kStrip) {
        const int rows = std::min(kStrip, height - y0);
        cv::Mat xs, ys(rows, width, CV_32F);
        cv::repeat(mapX, rows, 1, xs);
        for (int r = 0; r < rows; ++r) ys.row(r).setTo((y0 + r + 0.5f) * sy - 0.5f);
        for (int c = 0; c < 3; ++c) cv::remap(k.a[c], planes[c], xs, ys, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
        cv::remap(k.b, planes[3], xs, ys, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
        for (int r = 0; r < rows; ++r) {
            const uchar* src = rgb8.ptr<uchar>(y0 + r);
            const float *a0 = planes[0].ptr<float>(r), *a1 = planes[1].ptr<float>(r), *a2 = planes[2].ptr<float>(r),
                        *b = planes[3].ptr<float>(r);
            uchar* dst = out.ptr<uchar>(y0 + r);
            for (int x = 0; x < width; ++x) {
                const float q = (a0[x] * src[3 * x] + a1[x] * src[3 * x + 1] + a2[x] * src[3 * x + 2]) * (1.0f / 255.0f) + b[x];
                dst[x] = static_cast<uchar>(std::clamp(q, 0.0f, 1.0f) * 255.0f + 0.5f);
            }
        }
    }
    return out;
}
