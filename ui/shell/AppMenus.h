#pragma once

#include <QList>
#include <QObject>
#include <functional>

class EditorViewModel;
class MainWorkspaceView;
class QAction;
class QMenu;
class QMenuBar;

// The File, Edit, Navigate and Help menus. Each command's enable rule is read from the editor
// when its menu opens and whenever the editor's state changes, so a shortcut never runs a
// command its menu shows disabled; the command checks the rule again when it runs.
class AppMenus : public QObject {
    Q_OBJECT
  public:
    AppMenus(EditorViewModel& editor, MainWorkspaceView& workspace, QMenuBar& bar, QObject* parent = nullptr);

    // The action of a command by its name ("open", "batch", "moveToTrash", "previous", ...).
    QAction* action(const QString& name) const;
    QList<QMenu*> menus() const { return menus_; }
    // Reads every enable rule anew.
    void refresh();

  private:
    struct Command {
        QAction* action;
        std::function<bool()> enabled; // empty: always enabled
        std::function<QString()> label;
    };
    QAction* add(QMenu* menu, const QString& name, std::function<QString()> label,
                 const QList<QKeySequence>& shortcuts, std::function<bool()> enabled,
                 std::function<void()> run);
    void retranslate();

    EditorViewModel& editor_;
    MainWorkspaceView& workspace_;
    QList<Command> commands_;
    QList<QMenu*> menus_;
    QList<std::function<QString()>> menuTitles_;
};
