#include "../editor/EditorTestSupport.h"

#include "core/localization/AppLanguage.h"
#include "ui/inspector/AdjustmentSliderRow.h"
#include "ui/inspector/HistogramView.h"
#include "ui/inspector/InspectorControls.h"
#include "ui/inspector/InspectorPanel.h"
#include "ui/inspector/TabPage.h"
#include "ui/map/LocationMapView.h"
#include "ui/theme/SymbolIcons.h"
#include "ui/theme/Theme.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRawFont>
#include <QScrollArea>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolButton>

using namespace editortest;
using inspector::AdjustmentSliderRow;

namespace {

constexpr int kMinimumWindowHeight = 680;

struct InspectorPanelTest : EditorFixture {
    QTemporaryDir dir;
    std::unique_ptr<InspectorPanel> panel;

    void SetUp() override {
        theme::apply(*qApp);
        editor.setLanguage(AppLanguage::en);
    }
    void TearDown() override {
        panel.reset();
        editor.setLanguage(AppLanguage::en);
        EditorFixture::TearDown();
    }
    void openPhoto(const QString& path = {}) {
        editor.openURLs({path.isEmpty()
                             ? writeImages(dir, {QStringLiteral("photo.png")}, QSize(320, 240)).first()
                             : path});
        ASSERT_TRUE(editor.waitForBackgroundWork());
        ASSERT_TRUE(editor.hasImage());
    }
    void showPanel() {
        panel = std::make_unique<InspectorPanel>(editor);
        panel->resize(inspector::panelWidth, kMinimumWindowHeight);
        panel->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    }
    template <class T = QWidget> T* find(const char* name) const {
        T* widget = panel->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // Scrolls the row into view so that pointer events reach it.
    void reveal(QWidget* widget, int tab = 0) {
        panel->scrollArea(tab)->ensureWidgetVisible(widget, 0, 40);
        QApplication::processEvents();
    }
};

QPoint handleCenter(QSlider* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.orientation = slider->orientation();
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}

// Pixels of the value text drawn in the accent blue (the secondary grey has none).
int accentPixels(QWidget* widget) {
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += qBlue(p) - qRed(p) > 80;
        }
    return count;
}

} // namespace

// A drag is one edit: one undo step taken when it starts, a fresh preview for every move. A click
// on the value is one more step that puts the default back.
TEST_F(InspectorPanelTest, ASliderDragAndAValueClickAreOneUndoStepEach) {
    openPhoto();
    showPanel();
    auto* exposure = find<AdjustmentSliderRow>("slider_exposure");
    reveal(exposure);
    QSlider* slider = exposure->slider();
    ASSERT_FALSE(editor.canUndo());

    const int rendersBefore = editor.previewRecipeRenderCount();
    const QPoint start = handleCenter(slider);
    QTest::mousePress(slider, Qt::LeftButton, {}, start);
    for (int dx = 10; dx <= 60; dx += 10)
        QTest::mouseMove(slider, start + QPoint(dx, 0));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, start + QPoint(60, 0));
    const double dragged = editor.adjustments().exposure;
    EXPECT_GT(dragged, 0.3);
    EXPECT_GE(editor.previewRecipeRenderCount() - rendersBefore, 6) << "every move refreshes the preview";
    EXPECT_EQ(exposure->valueText(), QString::number(dragged, 'f', 2));

    QTest::mouseClick(exposure->valueButton(), Qt::LeftButton);
    EXPECT_EQ(editor.adjustments().exposure, 0.0);
    EXPECT_EQ(exposure->valueText(), QStringLiteral("0.00"));

    editor.undo();
    EXPECT_DOUBLE_EQ(editor.adjustments().exposure, dragged);
    editor.undo();
    EXPECT_EQ(editor.adjustments().exposure, 0.0);
    EXPECT_FALSE(editor.canUndo()) << "the drag and the click made exactly two steps";

    // A click in the groove moves the handle there and is one step as well.
    reveal(exposure);
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 4, slider->height() / 2));
    EXPECT_GT(editor.adjustments().exposure, 1.8);
    editor.undo();
    EXPECT_EQ(editor.adjustments().exposure, 0.0);
    EXPECT_FALSE(editor.canUndo());
}

TEST_F(InspectorPanelTest, TheValueTurnsToTheAccentColourOnlyBeyondAHundredthFromTheDefault) {
    openPhoto();
    showPanel();
    auto* contrast = find<AdjustmentSliderRow>("slider_contrast");
    auto* straighten = find<AdjustmentSliderRow>("straightenRow");
    EXPECT_EQ(straighten->valueText(), QStringLiteral("0.00\u00B0"));

    EditAdjustments a = editor.adjustments();
    a.contrast = 1.0;
    editor.setAdjustments(a);
    EXPECT_EQ(contrast->valueText(), QStringLiteral("1.00"));
    EXPECT_EQ(accentPixels(contrast->valueButton()), 0);

    a.contrast = 1.02;
    editor.setAdjustments(a);
    EXPECT_EQ(contrast->valueText(), QStringLiteral("1.02"));
    EXPECT_GT(accentPixels(contrast->valueButton()), 5);

    a.contrast = 1.005; // within a hundredth: still the default's colour
    editor.setAdjustments(a);
    EXPECT_EQ(accentPixels(contrast->valueButton()), 0);
}

TEST_F(InspectorPanelTest, TheMarkupTabShowsTheOptionsOfTheChosenToolOnly) {
    openPhoto();
    editor.setSelectedTab(InspectorTab::annotate);
    showPanel();
    auto* tools = find<inspector::ChipGrid>("tools");
    QWidget* page = panel->page(1);
    struct Expect {
        AnnotationTool tool;
        bool text, step, redact, brush, stroke;
    };
    const Expect expectations[] = {
        {AnnotationTool::select, false, false, false, false, false},
        {AnnotationTool::arrow, false, false, false, false, true},
        {AnnotationTool::text, true, false, false, false, true},
        {AnnotationTool::stepNumber, false, true, false, false, true},
        {AnnotationTool::blurRedact, false, false, true, false, true},
        {AnnotationTool::pixelateRedact, false, false, true, false, true},
        {AnnotationTool::spotHeal, false, false, false, true, false},
        {AnnotationTool::spotlight, false, false, false, false, false},
    };
    for (const Expect& e : expectations) {
        int index = 0;
        while (EnumCases<AnnotationTool>::cases[index].first != e.tool)
            ++index;
        QPushButton* chip = tools->chips()[index];
        reveal(chip, 1);
        QTest::mouseClick(chip, Qt::LeftButton);
        ASSERT_EQ(editor.activeTool(), e.tool);
        EXPECT_TRUE(chip->isChecked());
        const QString tool = rawValue(e.tool);
        EXPECT_EQ(find("markupTextBox")->isVisibleTo(page), e.text) << tool.toStdString();
        EXPECT_EQ(find("markupStepBox")->isVisibleTo(page), e.step) << tool.toStdString();
        EXPECT_EQ(find("markupRedactStrength")->isVisibleTo(page), e.redact) << tool.toStdString();
        EXPECT_EQ(find("markupBrushSize")->isVisibleTo(page), e.brush) << tool.toStdString();
        EXPECT_EQ(find("markupStroke")->isVisibleTo(page), e.stroke) << tool.toStdString();
    }

    // The options write the editor's tool settings, which are no edit of the photo.
    editor.selectAnnotationTool(AnnotationTool::text);
    auto* field = find<QLineEdit>("markupText");
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Hi"));
    EXPECT_EQ(editor.markupTextInput(), QStringLiteral("Hi"));
    QTest::mouseClick(find<AdjustmentSliderRow>("markupStroke")->slider(), Qt::LeftButton, {},
                      QPoint(find<AdjustmentSliderRow>("markupStroke")->slider()->width() - 3, 8));
    EXPECT_GT(editor.markupStrokeWidth(), 14);
    EXPECT_FALSE(editor.canUndo());
}

TEST_F(InspectorPanelTest, TheAiActionsWaitForAnImage) {
    editor.setSelectedTab(InspectorTab::aiColor);
    showPanel();
    const char* actions[] = {"applyBackground", "runOCR", "scanBarcodes", "eyedropper"};
    for (const char* name : actions)
        EXPECT_FALSE(find(name)->isEnabled()) << name;
    QTest::mouseClick(find<QPushButton>("applyBackground"), Qt::LeftButton);
    EXPECT_FALSE(editor.isProcessingAI());

    openPhoto();
    for (const char* name : actions)
        EXPECT_TRUE(find(name)->isEnabled()) << name;
}

// The open tab is the editor's: clicks set it, the editor's value shows it, and nothing a tab
// shows is lost by going elsewhere and back.
TEST_F(InspectorPanelTest, SwitchingTabsKeepsEveryValue) {
    openPhoto();
    showPanel();
    EditAdjustments a = editor.adjustments();
    a.saturation = 1.4;
    a.beautify.padding = 0.15;
    editor.setAdjustments(a);

    QTest::mouseClick(panel->tabButton(3), Qt::LeftButton);
    EXPECT_EQ(editor.selectedTab(), InspectorTab::studio);
    QTest::mouseClick(panel->tabButton(1), Qt::LeftButton);
    EXPECT_EQ(editor.selectedTab(), InspectorTab::annotate);
    editor.setSelectedTab(InspectorTab::adjust);
    EXPECT_TRUE(panel->tabButton(0)->isChecked());
    EXPECT_TRUE(panel->scrollArea(0)->isVisible());

    EXPECT_EQ(editor.adjustments(), a);
    EXPECT_EQ(find<AdjustmentSliderRow>("slider_saturation")->valueText(), QStringLiteral("1.40"));
    editor.setSelectedTab(InspectorTab::studio);
    bool paddingShown = false;
    for (auto* row : panel->page(3)->findChildren<AdjustmentSliderRow*>())
        paddingShown |= row->valueText() == QStringLiteral("0.15");
    EXPECT_TRUE(paddingShown);
}

// The web engine behind the map is heavy: nothing of it exists until the EXIF tab shows a photo
// with a position.
TEST_F(InspectorPanelTest, TheMapIsMadeTheFirstTimeTheExifTabShowsAPosition) {
    openPhoto(testsupport::fixture(QStringLiteral("photos/DSCN0010.jpg")));
    ASSERT_TRUE(editor.metadata().hasGPS());
    showPanel();
    EXPECT_EQ(panel->findChild<LocationMapView*>(), nullptr);

    editor.setSelectedTab(InspectorTab::info);
    EXPECT_NE(panel->findChild<LocationMapView*>(), nullptr);
    EXPECT_TRUE(find("gpsLocation")->isVisible());

    platform.calls.clear();
    reveal(find("openInMaps"), 4);
    QTest::mouseClick(find<QPushButton>("openInMaps"), Qt::LeftButton);
    ASSERT_EQ(platform.calls.size(), 1);
    EXPECT_TRUE(platform.calls[0].startsWith(QStringLiteral("openURL https://www.google.com/maps/")));
    EXPECT_TRUE(platform.calls[0].contains(QString::number(*editor.metadata().latitude, 'g', 17).left(8)));
}

// Every visible text fits its control in the 320-point panel, in English and in Turkish: a
// single-line control is at least as wide as its text needs.
TEST_F(InspectorPanelTest, NoTextIsCutInEnglishOrTurkish) {
    openPhoto(testsupport::fixture(QStringLiteral("photos/DSCN0010.jpg")));
    editor.toggleCropMode();
    showPanel();
    for (AppLanguage language : {AppLanguage(AppLanguage::en), AppLanguage(AppLanguage::tr)}) {
        editor.setLanguage(language);
        for (int tab = 0; tab < 5; ++tab) {
            editor.setSelectedTab(EnumCases<InspectorTab>::cases[tab].first);
            QApplication::processEvents();
            QWidget* page = panel->page(tab);
            EXPECT_LE(page->width(), inspector::panelWidth) << tab;
            for (QAbstractButton* button : page->findChildren<QAbstractButton*>()) {
                if (!button->isVisibleTo(page) || button->text().isEmpty()) continue;
                EXPECT_GE(button->width(), button->sizeHint().width())
                    << language.rawValue().toStdString() << " tab " << tab << ": "
                    << button->text().toStdString();
            }
            for (QLabel* label : page->findChildren<QLabel*>()) {
                if (!label->isVisibleTo(page) || label->wordWrap() || label->text().isEmpty()) continue;
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
            }
        }
    }
    EXPECT_EQ(panel->tabButton(0)->text(), QStringLiteral("Düzenle"));
}

TEST_F(InspectorPanelTest, EverySymbolOfThePanelIsAGlyphOfTheIconFont) {
    ASSERT_TRUE(symbols::fontAvailable());
    QStringList names = {"slider.horizontal.3",
                         "pencil.tip",
                         "sparkles",
                         "macwindow",
                         "info.circle",
                         "chart.bar.xaxis",
                         "crop.rotate",
                         "camera.filters",
                         "sun.max",
                         "wand.and.stars",
                         "text.viewfinder",
                         "qrcode",
                         "eyedropper.halffull",
                         "checkerboard.rectangle",
                         "signature",
                         "doc.text",
                         "camera",
                         "location.fill",
                         "arrow.up.right.square",
                         "eye.slash",
                         "scissors",
                         "map",
                         "doc.on.clipboard",
                         "arrow.uturn.backward"};
    for (const auto& [tool, name] : EnumCases<AnnotationTool>::cases)
        names << symbolName(tool);
    const QRawFont raw = QRawFont::fromFont(symbols::font(24));
    for (const QString& name : names) {
        const QString glyph = symbols::glyph(name);
        ASSERT_FALSE(glyph.isEmpty()) << name.toStdString();
        EXPECT_TRUE(raw.supportsCharacter(glyph.at(0))) << name.toStdString();
    }
}

// Not a check: pictures of every tab for a person to look at, in both languages, at the window's
// smallest height and at full length. Run with --gtest_also_run_disabled_tests and
// TAVI_INSPECTOR_SHOTS=<folder>.
TEST_F(InspectorPanelTest, DISABLED_Shots) {
    const QString folder = qEnvironmentVariable("TAVI_INSPECTOR_SHOTS", QDir::tempPath());
    openPhoto(testsupport::fixture(QStringLiteral("photos/DSCN0010.jpg")));
    showPanel();
    // The window gives the keyboard to the canvas; alone, the panel would show its first tab focused
    // (and hovered, under the offscreen pointer).
    if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
    QCursor::setPos(4000, 4000);
    for (AppLanguage language : {AppLanguage(AppLanguage::en), AppLanguage(AppLanguage::tr)}) {
        editor.setLanguage(language);
        for (int tab = 0; tab < 5; ++tab) {
            editor.setSelectedTab(EnumCases<InspectorTab>::cases[tab].first);
            QApplication::processEvents();
            const QString name =
                QStringLiteral("%1/inspector-%2-%3").arg(folder, language.rawValue()).arg(tab);
            panel->grab().save(name + QStringLiteral(".png"));
            panel->resize(inspector::panelWidth, panel->page(tab)->sizeHint().height() + 80);
            QApplication::processEvents();
            panel->grab().save(name + QStringLiteral("-full.png"));
            panel->resize(inspector::panelWidth, kMinimumWindowHeight);
        }
    }

    // The states the controls appear in: crop mode with a crop, saved presets, the colour key
    // with a replaced background, a sampled colour.
    editor.startEyedropper(EyedropperPurpose::sampleColor);
    editor.sampleColorAt({0.5, 0.5});
    editor.toggleCropMode();
    EditAdjustments a = editor.adjustments();
    a.cropRect = NormalizedCropRect(0.1, 0.1, 0.7, 0.7);
    a.exposure = 0.8;
    editor.setAdjustments(a);
    editor.setNewPresetName(QStringLiteral("Warm evening with a very long name for a preset"));
    editor.saveCurrentAsCustomPreset();
    BackgroundStudioSettings bg = editor.bgSettings();
    bg.enabled = true;
    bg.engine = BackgroundCutoutEngine::colorKeyMagic;
    bg.fillStyle = BackgroundFillStyle::customColor;
    editor.setBgSettings(bg);
    for (AppLanguage language : {AppLanguage(AppLanguage::en), AppLanguage(AppLanguage::tr)}) {
        editor.setLanguage(language);
        for (int tab : {0, 2}) {
            editor.setSelectedTab(EnumCases<InspectorTab>::cases[tab].first);
            panel->resize(inspector::panelWidth, panel->page(tab)->sizeHint().height() + 80);
            QApplication::processEvents();
            panel->grab().save(
                QStringLiteral("%1/inspector-%2-%3-states.png").arg(folder, language.rawValue()).arg(tab));
        }
    }
}

// Each list is one closed area from the bottom-left corner through its values to the
// bottom-right corner, values held to 0…1 and the top 4 points kept free.
TEST(InspectorHistogram, AreasRunThroughTheClampedValuesAndNeedTwoOfThem) {
    const QPainterPath path = inspector::HistogramView::areaPath({0.5, -0.5, 2.0}, QSizeF(100, 50));
    const QList<QPointF> expected = {{0, 50}, {0, 27}, {50, 50}, {100, 4}, {100, 50}, {0, 50}};
    ASSERT_EQ(path.elementCount(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(QPointF(path.elementAt(i)), expected[i]) << i;
    EXPECT_TRUE(inspector::HistogramView::areaPath({0.7}, QSizeF(100, 50)).isEmpty());
}
