#pragma once

#include <QMainWindow>

class AppMenus;
class EditorViewModel;
class MainWorkspaceView;
class PlatformServices;

// The one window: "TaviView — by Quellora", the workspace as its content and the menus above it.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow(EditorViewModel& editor, PlatformServices& platform, QWidget* parent = nullptr);

    MainWorkspaceView* workspace() const { return workspace_; }
    AppMenus* menus() const { return menus_; }

  private:
    MainWorkspaceView* workspace_ = nullptr;
    AppMenus* menus_ = nullptr;
};
