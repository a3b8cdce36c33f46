#pragma once

#include <QHash>
#include <QWidget>

class EditorViewModel;
class QAbstractButton;
class QLabel;
class QToolButton;
class QPushButton;
class LanguageMenu;

// The 44-point bar at the top of the window: open and capture, navigation, view modes, edit
// commands, output, the panels' switches, feedback and the language menu. Every item reads its
// state from the editor; the bar itself remembers nothing.
class WorkspaceToolbar : public QWidget {
    Q_OBJECT
  public:
    enum class Item {
        emblem,
        open,
        capture,
        previous,
        next,
        grid,
        sideBySide,
        slideshow,
        rotate,
        crop,
        compare,
        undo,
        redo,
        favorite,
        batch,
        copy,
        save,
        exportImage,
        filmstrip,
        inspector,
        feedback,
        language,
    };

    explicit WorkspaceToolbar(EditorViewModel& editor, QWidget* parent = nullptr);

    QAbstractButton* button(Item item) const { return buttons_.value(item); }
    // Whether an item is drawn highlighted (its mode or panel is on).
    bool isActive(Item item) const;

  Q_SIGNALS:
    void feedbackRequested();
    void makerSiteRequested();

  private:
    QToolButton* addIconButton(Item item, const QString& symbol);
    void refresh();
    void retranslate();
    void setActive(Item item, bool active, const QString& symbol);

    EditorViewModel& editor_;
    QHash<Item, QAbstractButton*> buttons_;
    QHash<Item, QString> symbols_;
    QList<QWidget*> documentItems_; // shown only with a photo or a folder
    LanguageMenu* languageMenu_ = nullptr;
};

inline size_t qHash(WorkspaceToolbar::Item item, size_t seed = 0) noexcept {
    return ::qHash(static_cast<int>(item), seed);
}
