#pragma once

#include <QTimer>
#include <QWidget>

class AdaptiveGridListView;
class EditorViewModel;
class FolderImagesModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QAction;

// The grid of the folder's photos with search and favourites filter. Replaces the canvas in
// grid mode; a click on a card opens that photo in the single view.
class GridGalleryView : public QWidget {
    Q_OBJECT
  public:
    explicit GridGalleryView(EditorViewModel& editor, QWidget* parent = nullptr);

    // For tests and benchmarks.
    AdaptiveGridListView* listView() const { return list_; }
    FolderImagesModel* model() const { return model_; }
    QLineEdit* searchField() const { return search_; }
    QAction* clearSearchAction() const { return clear_; }
    QLabel* countLabel() const { return count_; }
    QPushButton* favoritesToggle() const { return favorites_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void updateHeader();
    void updateSearchField();
    void requestVisibleThumbnails();
    void refreshVisibleThumbnails();
    void scrollToCurrent();

    EditorViewModel& editor_;
    FolderImagesModel* model_ = nullptr;
    AdaptiveGridListView* list_ = nullptr;
    QLineEdit* search_ = nullptr;
    QAction* clear_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* favorites_ = nullptr;
    // Scrolling asks for thumbnails once it pauses, not on every pixel.
    QTimer requestTimer_;
};
