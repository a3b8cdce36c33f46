#include "ui/inspector/StudioTab.h"

#include "core/localization/S.h"
#include "editor/EditorViewModel.h"
#include "ui/inspector/AdjustmentSliderRow.h"
#include "ui/inspector/EditorBindings.h"
#include "ui/theme/Theme.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace inspector {

namespace {

constexpr int kWallpaperColumns = 6;
constexpr int kWallpaperHeight = 34;

} // namespace

// The frame's wallpapers as small gradient tiles; the selected one is ringed.
class WallpaperSwatches : public QWidget {
  public:
    explicit WallpaperSwatches(std::function<void(BeautifyWallpaper)> picked, QWidget* parent = nullptr)
        : QWidget(parent), picked_(std::move(picked)) {
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFixedHeight(kWallpaperHeight + 6);
    }
    void setSelected(BeautifyWallpaper wallpaper) {
        selected_ = wallpaper;
        update();
    }
    QRectF tileRect(int index) const {
        const double gap = 8;
        const double w = (width() - 6 - gap * (kWallpaperColumns - 1)) / kWallpaperColumns;
        return {3 + index * (w + gap), 3, w, static_cast<double>(kWallpaperHeight)};
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < static_cast<int>(EnumCases<BeautifyWallpaper>::cases.size()); ++i) {
            const BeautifyWallpaper wallpaper = EnumCases<BeautifyWallpaper>::cases[i].first;
            const QRectF r = tileRect(i);
            const auto colors = swatchColors(wallpaper);
            QLinearGradient gradient(r.topLeft(), r.bottomRight());
            gradient.setColorAt(0, colors[0].cgColor());
            gradient.setColorAt(1, colors[1].cgColor());
            p.setPen(Qt::NoPen);
            p.setBrush(gradient);
            p.drawRoundedRect(r, theme::controlRadius, theme::controlRadius);
            if (wallpaper == selected_) {
                p.setBrush(Qt::NoBrush);
                p.setPen(QPen(theme::text, 2));
                p.drawRoundedRect(r.adjusted(-2, -2, 2, 2), theme::controlRadius + 2,
                                  theme::controlRadius + 2);
            }
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        for (int i = 0; i < static_cast<int>(EnumCases<BeautifyWallpaper>::cases.size()); ++i)
            if (tileRect(i).contains(event->position()))
                return picked_(EnumCases<BeautifyWallpaper>::cases[i].first);
    }

  private:
    std::function<void(BeautifyWallpaper)> picked_;
    BeautifyWallpaper selected_ = BeautifyWallpaper::violetAurora;
};

StudioTab::StudioTab(EditorViewModel& editor, QWidget* parent) : TabPage(editor, parent) {
    QVBoxLayout* stack = sectionStack(this);
    const BeautifySettings frameDefaults;
    const WatermarkSettings watermarkDefaults;

    // A recipe number behind a slider: written without a snapshot (the drag took one).
    auto writer = [this](auto setter) {
        return [this, setter](double v) {
            EditAdjustments a = editor_.adjustments();
            setter(a, v);
            editor_.setAdjustments(a);
        };
    };

    QVBoxLayout* frame = addSection(stack, texts_, QStringLiteral("macwindow"), &S::beautifyTitle);
    frameEnabled_ = new QCheckBox;
    frameEnabled_->setObjectName(QStringLiteral("frameEnabled"));
    texts_.text(frameEnabled_, &S::enableBeautify);
    connect(frameEnabled_, &QCheckBox::toggled, this, [this](bool on) {
        commitRecipe(editor_, [on](EditAdjustments& a) { a.beautify.enabled = on; });
    });
    frame->addWidget(frameEnabled_);
    wallpapers_ = new WallpaperSwatches([this](BeautifyWallpaper w) {
        commitRecipe(editor_, [w](EditAdjustments& a) { a.beautify.wallpaper = w; });
    });
    wallpapers_->setObjectName(QStringLiteral("wallpapers"));
    frame->addWidget(wallpapers_);
    frame->addWidget(caption(texts_, &S::socialCanvasRatio));
    ratios_ = new ChipGrid(5);
    ratios_->setObjectName(QStringLiteral("frameRatios"));
    for (const auto& [ratio, name] : EnumCases<BeautifyAspectRatio>::cases)
        ratios_->addChip()->setText(label(ratio));
    connect(ratios_, &ChipGrid::chipClicked, this, [this](int index) {
        commitRecipe(editor_, [index](EditAdjustments& a) {
            a.beautify.aspectRatio = EnumCases<BeautifyAspectRatio>::cases[index].first;
        });
    });
    frame->addWidget(ratios_);
    windowBar_ = new QCheckBox;
    texts_.text(windowBar_, &S::showWindowBar);
    connect(windowBar_, &QCheckBox::toggled, this, [this](bool on) {
        commitRecipe(editor_, [on](EditAdjustments& a) { a.beautify.showWindowBar = on; });
    });
    frame->addWidget(windowBar_);
    padding_ = new AdjustmentSliderRow(0.02, 0.22, frameDefaults.padding);
    texts_.add([this] { padding_->setLabel(S::paddingLabel()); });
    bindSlider(
        padding_, editor_, [this] { return editor_.adjustments().beautify.padding; },
        writer([](EditAdjustments& a, double v) { a.beautify.padding = v; }));
    cornerRadius_ = new AdjustmentSliderRow(0, 48, frameDefaults.cornerRadius);
    texts_.add([this] { cornerRadius_->setLabel(S::cornerRadiusLabel()); });
    bindSlider(
        cornerRadius_, editor_, [this] { return editor_.adjustments().beautify.cornerRadius; },
        writer([](EditAdjustments& a, double v) { a.beautify.cornerRadius = v; }));
    shadow_ = new AdjustmentSliderRow(0, 1, frameDefaults.shadowIntensity);
    texts_.add([this] { shadow_->setLabel(S::shadowLabel()); });
    bindSlider(
        shadow_, editor_, [this] { return editor_.adjustments().beautify.shadowIntensity; },
        writer([](EditAdjustments& a, double v) { a.beautify.shadowIntensity = v; }));
    for (AdjustmentSliderRow* r : {padding_, cornerRadius_, shadow_})
        frame->addWidget(r);

    QVBoxLayout* mark = addSection(stack, texts_, QStringLiteral("signature"), &S::watermarkTitle);
    watermarkEnabled_ = new QCheckBox;
    watermarkEnabled_->setObjectName(QStringLiteral("watermarkEnabled"));
    texts_.text(watermarkEnabled_, &S::enableWatermark);
    connect(watermarkEnabled_, &QCheckBox::toggled, this, [this](bool on) {
        commitRecipe(editor_, [on](EditAdjustments& a) { a.watermark.enabled = on; });
    });
    mark->addWidget(watermarkEnabled_);
    mark->addWidget(caption(texts_, &S::watermarkTextLabel));
    watermarkText_ = new QLineEdit;
    watermarkText_->setObjectName(QStringLiteral("watermarkText"));
    connect(watermarkText_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!typingWatermark_) editor_.pushUndoSnapshot();
        typingWatermark_ = true;
        EditAdjustments a = editor_.adjustments();
        a.watermark.text = text;
        editor_.setAdjustments(a);
        editor_.refreshPreview();
    });
    connect(watermarkText_, &QLineEdit::editingFinished, this, [this] { typingWatermark_ = false; });
    mark->addWidget(watermarkText_);
    watermarkColors_ = new ColorSwatchRow;
    watermarkColors_->setObjectName(QStringLiteral("watermarkColors"));
    connect(watermarkColors_, &ColorSwatchRow::colorPicked, this, [this](const RGBAColor& c) {
        commitRecipe(editor_, [c](EditAdjustments& a) { a.watermark.color = c; });
    });
    mark->addWidget(watermarkColors_);
    opacity_ = new AdjustmentSliderRow(0.08, 1, watermarkDefaults.opacity);
    texts_.add([this] { opacity_->setLabel(S::opacityLabel()); });
    bindSlider(
        opacity_, editor_, [this] { return editor_.adjustments().watermark.opacity; },
        writer([](EditAdjustments& a, double v) { a.watermark.opacity = v; }));
    fontSize_ = new AdjustmentSliderRow(14, 72, watermarkDefaults.fontSize);
    texts_.add([this] { fontSize_->setLabel(S::fontSizeLabel()); });
    bindSlider(
        fontSize_, editor_, [this] { return editor_.adjustments().watermark.fontSize; },
        writer([](EditAdjustments& a, double v) { a.watermark.fontSize = v; }));
    mark->addWidget(opacity_);
    mark->addWidget(fontSize_);
    mark->addWidget(caption(texts_, &S::positionLabel));
    positions_ = new ChipGrid(3);
    positions_->setObjectName(QStringLiteral("watermarkPositions"));
    for (const auto& [position, name] : EnumCases<WatermarkPosition>::cases)
        texts_.text(positions_->addChip(), [position] { return S::watermarkPositionName(position); });
    connect(positions_, &ChipGrid::chipClicked, this, [this](int index) {
        commitRecipe(editor_, [index](EditAdjustments& a) {
            a.watermark.position = EnumCases<WatermarkPosition>::cases[index].first;
        });
    });
    mark->addWidget(positions_);
    stack->addStretch(1);

    connect(&editor_, &EditorViewModel::adjustmentsChanged, this, &StudioTab::sync);
    sync();
}

void StudioTab::sync() {
    const BeautifySettings& frame = editor_.adjustments().beautify;
    const WatermarkSettings& mark = editor_.adjustments().watermark;
    for (auto [box, on] :
         {std::pair{frameEnabled_, frame.enabled}, std::pair{windowBar_, frame.showWindowBar},
          std::pair{watermarkEnabled_, mark.enabled}}) {
        const QSignalBlocker blocker(box);
        box->setChecked(on);
    }
    wallpapers_->setSelected(frame.wallpaper);
    ratios_->setSelectedIndex(caseIndex(frame.aspectRatio));
    padding_->setValue(frame.padding);
    cornerRadius_->setValue(frame.cornerRadius);
    shadow_->setValue(frame.shadowIntensity);
    if (watermarkText_->text() != mark.text) watermarkText_->setText(mark.text);
    watermarkColors_->setSelectedColor(mark.color);
    opacity_->setValue(mark.opacity);
    fontSize_->setValue(mark.fontSize);
    positions_->setSelectedIndex(caseIndex(mark.position));
}

} // namespace inspector
