#include "core/files/AnimatedFrame.h"

#include <algorithm>
#include <cmath>

AnimatedFrame::AnimatedFrame(QImage image, double delaySeconds) : image_(std::move(image)) {
    // A NaN delay would slip through a plain clamp; treat it as the shortest one.
    delaySeconds_ =
        std::isnan(delaySeconds) ? minimumDelay : std::clamp(delaySeconds, minimumDelay, maximumDelay);
}
