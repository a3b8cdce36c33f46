#pragma once

#include <QWidget>

class EditorViewModel;

// The strip of thumbnails under the canvas.
class FilmstripView : public QWidget {
    Q_OBJECT
  public:
    explicit FilmstripView(EditorViewModel& editor, QWidget* parent = nullptr);

  private:
    EditorViewModel& editor_;
};
