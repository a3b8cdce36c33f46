#pragma once

#include <QWidget>

class EditorViewModel;

// The grid of the folder's photos with search and favourites filter.
class GridGalleryView : public QWidget {
    Q_OBJECT
  public:
    explicit GridGalleryView(EditorViewModel& editor, QWidget* parent = nullptr);

  private:
    EditorViewModel& editor_;
};
