#pragma once

#include <QWidget>

class CompareImageView;
class EditorViewModel;
class QLabel;
class QToolButton;

// One half of the side-by-side comparison: a header with the photo's name between its own
// previous and next buttons, and the image under it.
class ComparePane : public QWidget {
    Q_OBJECT
  public:
    ComparePane(EditorViewModel& editor, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setButtonTips(const QString& previous, const QString& next);

    CompareImageView* imageView() const { return image_; }
    QLabel* titleLabel() const { return title_; }
    QToolButton* previousButton() const { return previous_; }
    QToolButton* nextButton() const { return next_; }

  Q_SIGNALS:
    void previousClicked();
    void nextClicked();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void elideTitle();

    CompareImageView* image_ = nullptr;
    QLabel* title_ = nullptr;
    QString fullTitle_;
    QToolButton* previous_ = nullptr;
    QToolButton* next_ = nullptr;
};
