#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>

class EditorViewModel;
class PlatformServices;

class QFrame;
class QHBoxLayout;
class QVBoxLayout;
class QMimeData;
class QStackedWidget;
class CanvasStageView;
class FilmstripView;
class GridGalleryView;
class InspectorPanel;
class SideBySideCompareView;
class ToastBanner;
class WelcomeScreen;
class WorkspaceToolbar;

// The window's content: the toolbar, a divider and below them either the welcome screen or the
// view of the current mode (the canvas with the filmstrip and the inspector, the grid, or the two
// photos side by side); the toast floats over everything at the top. It presents the export and
// batch sheets while the editor asks for them and opens what is dropped on the window.
class MainWorkspaceView : public QWidget {
    Q_OBJECT
  public:
    MainWorkspaceView(EditorViewModel& editor, PlatformServices& platform, QWidget* parent = nullptr);

    WorkspaceToolbar* toolbar() const { return toolbar_; }
    bool isShowingWelcome() const;
    // The view of the current mode (canvas, grid or comparison); null on the welcome screen.
    QWidget* modeView() const;
    bool isFilmstripShown() const;
    bool isInspectorShown() const;
    QDialog* exportSheet() const { return exportSheet_; }
    QDialog* batchSheet() const { return batchSheet_; }

    // Opens the local files and folders of a drop, in their order; a drop with none does nothing.
    void handleFileDrop(const QMimeData& data);
    // The feedback page in the browser, in the interface language.
    void openFeedbackPage();
    void openMakerSite();

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void updateLayout();
    void updateExportSheet();
    void updateBatchSheet();

    EditorViewModel& editor_;
    PlatformServices& platform_;
    WorkspaceToolbar* toolbar_ = nullptr;
    QStackedWidget* pages_ = nullptr; // welcome | document
    WelcomeScreen* welcome_ = nullptr;
    QWidget* document_ = nullptr;
    QVBoxLayout* mainColumn_ = nullptr;
    QHBoxLayout* documentRow_ = nullptr;
    QStackedWidget* modeStack_ = nullptr;
    // The views are made when first shown, so the window opens without building what it hides.
    CanvasStageView* canvas_ = nullptr;
    GridGalleryView* grid_ = nullptr;
    SideBySideCompareView* sideBySide_ = nullptr;
    FilmstripView* filmstrip_ = nullptr;
    QFrame* inspectorDivider_ = nullptr;
    InspectorPanel* inspector_ = nullptr;
    ToastBanner* toast_ = nullptr;
    QPointer<QDialog> exportSheet_;
    QPointer<QDialog> batchSheet_;
};
