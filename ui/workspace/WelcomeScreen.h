#pragma once

#include <QWidget>

class EditorViewModel;
class QLabel;
class QPushButton;

// What the window shows with nothing open: the emblem, the name, what the app does, how to begin
// and three ways to start (open, paste, capture).
class WelcomeScreen : public QWidget {
    Q_OBJECT
  public:
    explicit WelcomeScreen(EditorViewModel& editor, QWidget* parent = nullptr);

  private:
    void retranslate();

    EditorViewModel& editor_;
    QLabel* subtitle_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* formats_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* paste_ = nullptr;
    QPushButton* capture_ = nullptr;
};
