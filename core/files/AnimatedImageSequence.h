#pragma once

#include "core/files/AnimatedFrame.h"

#include <vector>

// The decoded frames of an animated file, in file order.
class AnimatedImageSequence {
  public:
    explicit AnimatedImageSequence(std::vector<AnimatedFrame> frames) : frames_(std::move(frames)) {}

    const std::vector<AnimatedFrame>& frames() const { return frames_; }
    int frameCount() const { return static_cast<int>(frames_.size()); }
    bool isAnimated() const { return frames_.size() > 1; }

    bool operator==(const AnimatedImageSequence&) const = default;

  private:
    std::vector<AnimatedFrame> frames_;
};
