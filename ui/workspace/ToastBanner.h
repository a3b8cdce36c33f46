#pragma once

#include <QWidget>

class EditorViewModel;
class QLabel;

// The capsule that floats at the top of the window while the editor has a message: a warning
// sign in orange for errors, a check mark in green otherwise. The editor decides how long it stays.
class ToastBanner : public QWidget {
    Q_OBJECT
  public:
    explicit ToastBanner(EditorViewModel& editor, QWidget* parent = nullptr);

    // Places the banner centred at `top` of its parent, no wider than the parent allows.
    void reposition(int top);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void refresh();

    EditorViewModel& editor_;
    QLabel* icon_ = nullptr;
    QLabel* text_ = nullptr;
    int top_ = 0;
};
