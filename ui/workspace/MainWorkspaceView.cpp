#include "ui/workspace/MainWorkspaceView.h"

#include "editor/EditorViewModel.h"
#include "ui/browsing/FilmstripView.h"
#include "ui/browsing/GridGalleryView.h"
#include "ui/browsing/SideBySideCompareView.h"
#include "ui/canvas/CanvasStageView.h"
#include "ui/inspector/InspectorPanel.h"
#include "ui/sheets/BatchSheet.h"
#include "ui/sheets/ExportSheet.h"
#include "ui/workspace/DropURLCollector.h"
#include "ui/workspace/InterfaceDirection.h"
#include "ui/workspace/ToastBanner.h"
#include "ui/workspace/WelcomeScreen.h"
#include "ui/workspace/WorkspaceCommands.h"
#include "ui/workspace/WorkspaceToolbar.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QMimeData>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QFrame* hairline(QWidget* parent, bool vertical) {
    auto* line = new QFrame(parent);
    line->setAttribute(Qt::WA_StyledBackground, true);
    line->setStyleSheet(QStringLiteral("background: #3a3c42; border: none;"));
    if (vertical)
        line->setFixedWidth(1);
    else
        line->setFixedHeight(1);
    return line;
}

constexpr int kToastTopGap = 12;

} // namespace

MainWorkspaceView::MainWorkspaceView(EditorViewModel& editor, PlatformServices& platform, QWidget* parent)
    : QWidget(parent), editor_(editor), platform_(platform) {
    setObjectName(QStringLiteral("mainWorkspace"));
    setMinimumSize(1040, 680);
    setAcceptDrops(true);
    setLocale(editor_.language().locale());
    workspace::applyInterfaceDirection(editor_.language());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    toolbar_ = new WorkspaceToolbar(editor_, this);
    column->addWidget(toolbar_);
    column->addWidget(hairline(this, false));

    pages_ = new QStackedWidget(this);
    welcome_ = new WelcomeScreen(editor_, pages_);
    pages_->addWidget(welcome_);
    document_ = new QWidget(pages_);
    documentRow_ = new QHBoxLayout(document_);
    documentRow_->setContentsMargins(0, 0, 0, 0);
    documentRow_->setSpacing(0);
    mainColumn_ = new QVBoxLayout;
    mainColumn_->setContentsMargins(0, 0, 0, 0);
    mainColumn_->setSpacing(0);
    modeStack_ = new QStackedWidget(document_);
    mainColumn_->addWidget(modeStack_, 1);
    documentRow_->addLayout(mainColumn_, 1);
    pages_->addWidget(document_);
    column->addWidget(pages_, 1);

    toast_ = new ToastBanner(editor_, this);

    connect(toolbar_, &WorkspaceToolbar::feedbackRequested, this, &MainWorkspaceView::openFeedbackPage);
    connect(toolbar_, &WorkspaceToolbar::makerSiteRequested, this, &MainWorkspaceView::openMakerSite);
    for (auto signal : {&EditorViewModel::viewModeChanged, &EditorViewModel::folderImagesChanged,
                        &EditorViewModel::currentIndexChanged, &EditorViewModel::renderedDisplayImageChanged,
                        &EditorViewModel::showFilmstripChanged, &EditorViewModel::showInspectorChanged})
        connect(&editor_, signal, this, &MainWorkspaceView::updateLayout);
    connect(&editor_, &EditorViewModel::languageChanged, this,
            [this] {
                setLocale(editor_.language().locale());
                workspace::applyInterfaceDirection(editor_.language());
            });
    connect(&editor_, &EditorViewModel::showExportSheetChanged, this, &MainWorkspaceView::updateExportSheet);
    connect(&editor_, &EditorViewModel::showBatchSheetChanged, this, &MainWorkspaceView::updateBatchSheet);
    updateLayout();
}

bool MainWorkspaceView::isShowingWelcome() const {
    return pages_->currentWidget() == welcome_;
}

QWidget* MainWorkspaceView::modeView() const {
    return isShowingWelcome() ? nullptr : modeStack_->currentWidget();
}

bool MainWorkspaceView::isFilmstripShown() const {
    return !isShowingWelcome() && filmstrip_ && !filmstrip_->isHidden();
}

bool MainWorkspaceView::isInspectorShown() const {
    return !isShowingWelcome() && inspector_ && !inspector_->isHidden();
}

void MainWorkspaceView::updateLayout() {
    const bool hasImage = editor_.hasImage();
    const bool hasFolder = !editor_.folderImages().isEmpty();
    if (!hasImage && !hasFolder) {
        pages_->setCurrentWidget(welcome_);
        return;
    }
    const WorkspaceViewMode mode = editor_.viewMode();
    const bool single = mode == WorkspaceViewMode::single;
    QWidget* view = nullptr;
    switch (mode) {
    case WorkspaceViewMode::single:
        if (!canvas_) modeStack_->addWidget(canvas_ = new CanvasStageView(editor_, modeStack_));
        view = canvas_;
        break;
    case WorkspaceViewMode::grid:
        if (!grid_) modeStack_->addWidget(grid_ = new GridGalleryView(editor_, modeStack_));
        view = grid_;
        break;
    case WorkspaceViewMode::sideBySide:
        if (!sideBySide_) modeStack_->addWidget(sideBySide_ = new SideBySideCompareView(editor_, modeStack_));
        view = sideBySide_;
        break;
    }
    modeStack_->setCurrentWidget(view);

    const bool showFilmstrip = editor_.showFilmstrip() && single && hasFolder;
    if (showFilmstrip && !filmstrip_) {
        filmstrip_ = new FilmstripView(editor_, document_);
        mainColumn_->addWidget(filmstrip_);
    }
    if (filmstrip_) filmstrip_->setVisible(showFilmstrip);

    const bool showInspector = editor_.showInspector() && single && hasImage;
    if (showInspector && !inspector_) {
        inspectorDivider_ = hairline(document_, true);
        inspector_ = new InspectorPanel(editor_, document_);
        inspector_->setMinimumWidth(320);
        documentRow_->addWidget(inspectorDivider_);
        documentRow_->addWidget(inspector_);
    }
    if (inspector_) {
        inspectorDivider_->setVisible(showInspector);
        inspector_->setVisible(showInspector);
    }
    pages_->setCurrentWidget(document_);
    toast_->raise();
}

void MainWorkspaceView::updateExportSheet() {
    if (editor_.showExportSheet()) {
        if (exportSheet_) return;
        auto* sheet = new ExportSheet(editor_, window());
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        sheet->setWindowModality(Qt::WindowModal);
        exportSheet_ = sheet;
        connect(sheet, &QDialog::finished, this, [this, sheet] {
            if (exportSheet_ == sheet) exportSheet_ = nullptr;
            editor_.setShowExportSheet(false);
        });
        sheet->open();
    } else if (exportSheet_) {
        QPointer<QDialog> sheet = exportSheet_;
        exportSheet_ = nullptr;
        sheet->close();
    }
}

void MainWorkspaceView::updateBatchSheet() {
    if (editor_.showBatchSheet()) {
        if (batchSheet_) return;
        auto* sheet = new BatchSheet(editor_, window());
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        sheet->setWindowModality(Qt::WindowModal);
        batchSheet_ = sheet;
        connect(sheet, &QDialog::finished, this, [this, sheet] {
            if (batchSheet_ == sheet) batchSheet_ = nullptr;
            editor_.setShowBatchSheet(false);
        });
        sheet->open();
    } else if (batchSheet_) {
        QPointer<QDialog> sheet = batchSheet_;
        batchSheet_ = nullptr;
        sheet->close();
    }
}

void MainWorkspaceView::handleFileDrop(const QMimeData& data) {
    const QStringList paths = DropURLCollector::collect(data);
    if (paths.isEmpty()) return;
    editor_.openURLs(paths);
}

void MainWorkspaceView::openFeedbackPage() {
    const QUrl url = workspace::feedbackURL(editor_.language());
    if (url.isValid()) platform_.openURL(url);
}

void MainWorkspaceView::openMakerSite() {
    platform_.openURL(workspace::makerSiteURL());
}

void MainWorkspaceView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWorkspaceView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWorkspaceView::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    handleFileDrop(*event->mimeData());
}

void MainWorkspaceView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    toast_->reposition(toolbar_->height() + 1 + kToastTopGap);
}
