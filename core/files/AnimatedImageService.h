#pragma once

#include "core/files/AnimatedImageSequence.h"

#include <QString>
#include <QVariantMap>
#include <optional>

// Reads every frame of a multi-image file (animated GIF, WebP, PNG; pages of a TIFF) with its
// display time, all decoded up front so that playback never decodes. Stateless and reentrant.
class AnimatedImageService {
  public:
    static constexpr int defaultMaxFrames = 180;
    static constexpr double defaultDelay = 0.1;

    // A sequence of at least two frames, or nothing for a still image, an unreadable file or one
    // of which fewer than two frames decode. Files with more than maxFrames images are cut.
    std::optional<AnimatedImageSequence> loadAnimationIfAnimated(const QString& path,
                                                                 int maxFrames = defaultMaxFrames) const;

    // The display time a frame's properties declare, before clamping: the first usable of the
    // GIF, WebP and APNG delays (unclamped before plain), else defaultDelay. Delays of 0.01 s or
    // less are what encoders write for "no delay" and are passed over.
    static double frameDelay(const QVariantMap& properties);
};
