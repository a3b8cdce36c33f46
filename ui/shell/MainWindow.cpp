#include "ui/shell/MainWindow.h"

#include "ui/shell/AppMenus.h"
#include "ui/workspace/MainWorkspaceView.h"

#include <QMenuBar>

MainWindow::MainWindow(EditorViewModel& editor, PlatformServices& platform, QWidget* parent)
    : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("TaviView — by Quellora"));
    workspace_ = new MainWorkspaceView(editor, platform, this);
    setCentralWidget(workspace_);
    menuBar()->setStyleSheet(
        QStringLiteral("QMenuBar { background: #1c1d21; border-bottom: 1px solid #2a2c31; }"
                       "QMenuBar::item { padding: 4px 10px; background: transparent; border-radius: 4px; }"
                       "QMenuBar::item:selected { background: #2e3036; }"));
    menus_ = new AppMenus(editor, *workspace_, *menuBar(), this);
    resize(1280, 820);
}
