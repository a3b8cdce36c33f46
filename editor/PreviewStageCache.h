#pragma once

#include "core/imaging/BeautifyFrameBackdrop.h"
#include "core/imaging/RenderCheckpoint.h"
#include "core/model/BackgroundStudioSettings.h"
#include "core/model/EditAdjustments.h"

#include <QImage>
#include <optional>

struct EditorServices;

// The live preview's chain (background composite, recipe render, watermark, frame) with the
// result of each stage kept for the next refresh. A refresh re-runs only the stages at and
// after the first one whose inputs changed: a drag of the watermark's or the frame's sliders
// doesn't render the recipe again, the frame's wallpaper and shadow are drawn once for a size
// and a set of frame settings, and the card's edge once for a photo size and corner (a padding
// drag keeps it). A drag of vignette or grain keeps the render's working image before those two
// steps and runs only them and the geometry for each value. Every refresh still produces its
// own result; nothing is skipped or merged. The result is byte for byte what the stages give
// when run one after the other. GUI thread only.
class PreviewStageCache {
  public:
    struct Request {
        const QImage* base = nullptr;
        const QImage* subjectMask = nullptr; // the mask to composite with when the background is on
        BackgroundStudioSettings background;
        EditAdjustments adjustments;
        bool includeCrop = true;
        bool includeFrame = true;
        double sourceScale = 1.0;
    };

    // The preview for the request: the base composited, rendered, watermarked and framed.
    QImage refresh(const EditorServices& services, const Request& request);

    void clear();
    // What the kept stages hold, in bytes of pixels.
    qint64 bytes() const;
    // The kept stages stay under this many times the base's size in RGBA8 pixels; a stage that
    // would pass it is recomputed on every refresh instead.
    static constexpr int kBudgetInBases = 4;

    // How many times each stage actually ran, for tests and measurements.
    struct Counts {
        int composites = 0;
        int renders = 0;
        int resumes = 0; // renders that ran only vignette, grain and the geometry
        int backdrops = 0;
        int watermarksInPlace = 0;
    };
    const Counts& counts() const { return counts_; }

  private:
    struct Composite {
        qint64 base = 0;
        qint64 mask = 0;
        BackgroundStudioSettings settings;
        QImage result;
    };
    struct Render {
        qint64 input = 0;
        EditAdjustments recipe; // without the watermark and the frame, which the render ignores
        bool includeCrop = true;
        double scale = 1.0;
        QImage result;
        // Whether the watermark is drawn into `result` now, and the pixels it covered.
        bool watermarked = false;
        QImage under;
        QPoint underAt;
    };
    QImage composite(const EditorServices& services, const Request& request);
    void keepWithinBudget(const QImage& base);

    std::optional<Composite> composite_;
    std::optional<Render> render_;
    RenderCheckpoint checkpoint_;
    std::optional<BeautifyFrameBackdrop> backdrop_;
    Counts counts_;
};
