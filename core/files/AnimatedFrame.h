#pragma once

#include <QImage>

// One frame of an animation and how long it stays on screen. The delay is kept within
// minimumDelay...maximumDelay so that playback neither spins nor stalls.
class AnimatedFrame {
  public:
    static constexpr double minimumDelay = 0.02;
    static constexpr double maximumDelay = 5.0;

    AnimatedFrame(QImage image, double delaySeconds);

    const QImage& image() const { return image_; }
    double delaySeconds() const { return delaySeconds_; }

    bool operator==(const AnimatedFrame&) const = default;

  private:
    QImage image_;
    double delaySeconds_;
};
