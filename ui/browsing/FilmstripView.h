#pragma once

#include <QTimer>
#include <QWidget>

class EditorViewModel;
class FolderImagesModel;
class QLabel;
class QListView;
class QToolButton;

// The strip of thumbnails under the canvas: what the current photo is, every photo of the
// folder as a 52-point cell (a click shows it without leaving the mode), and the buttons that
// reveal the file or move it to the Trash.
class FilmstripView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int barHeight = 76;
    static constexpr int infoWidth = 215;

    explicit FilmstripView(EditorViewModel& editor, QWidget* parent = nullptr);

    // For tests and benchmarks.
    QListView* stripView() const { return strip_; }
    FolderImagesModel* model() const { return model_; }
    QLabel* nameLabel() const { return name_; }
    QLabel* detailLabel() const { return detail_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void updateInfo();
    void updateTexts();
    void scrollToCurrent();
    std::pair<int, int> visibleRows() const;
    void requestVisibleThumbnails();

    EditorViewModel& editor_;
    FolderImagesModel* model_ = nullptr;
    QListView* strip_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* detail_ = nullptr;
    QToolButton* reveal_ = nullptr;
    QToolButton* trash_ = nullptr;
    QTimer requestTimer_;
};
