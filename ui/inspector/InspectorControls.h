#pragma once

#include "core/model/RGBAColor.h"

#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <type_traits>
#include <vector>

class QBoxLayout;
class QGridLayout;
class QVBoxLayout;

// The small controls every tab of the inspector is made of. Their look comes from the panel's
// style sheet through the "role" property, so a control only says what it is.
namespace inspector {

// The panel's width and the width its tabs lay their controls in.
inline constexpr int panelWidth = 320;
inline constexpr int contentWidth = 292;

// A button's title as typed: "&" is a letter here ("B&W Noir", "AI & BG"), not a mnemonic mark.
QString buttonTitle(const QString& text);

// Texts that follow the interface language: each one is set now and again after every change of
// language, so a tab never has to know which of its texts are on screen.
class LocalizedTexts {
  public:
    void add(std::function<void()> apply);
    template <class Widget> void text(Widget* widget, std::function<QString()> text) {
        if constexpr (std::is_base_of_v<QAbstractButton, Widget>)
            add([widget, text = std::move(text)] { widget->setText(buttonTitle(text())); });
        else
            add([widget, text = std::move(text)] { widget->setText(text()); });
    }
    void tooltip(QWidget* widget, std::function<QString()> text);
    void apply() const;

  private:
    std::vector<std::function<void()>> appliers_;
};

// A tab's column of sections inside its scrolling area.
QVBoxLayout* sectionStack(QWidget* tab);

// A section: a header with an icon and a semibold title (and an optional control at the right),
// then the section's own column of controls, returned for the caller to fill.
QVBoxLayout* addSection(QVBoxLayout* stack, LocalizedTexts& texts, const QString& symbol,
                        std::function<QString()> title, QWidget* trailing = nullptr);

// A section without a header whose one action names it (a pill the caller adds first).
QVBoxLayout* addActionSection(QVBoxLayout* stack);

// A small caption above a group of controls.
QLabel* caption(LocalizedTexts& texts, std::function<QString()> text, QWidget* parent = nullptr);
// A hint in the secondary colour that wraps inside the column.
QLabel* hint(LocalizedTexts& texts, std::function<QString()> text, QWidget* parent = nullptr);

// A small selectable button with a title, highlighted while selected.
QPushButton* chip(QWidget* parent = nullptr);
// A wider button with an icon and a title; `accented` draws it in the accent colour.
QPushButton* pill(const QString& symbol, QWidget* parent = nullptr);
void setAccented(QPushButton* button, bool accented);
// An icon over a short title, for rows of four.
QToolButton* compactButton(const QString& symbol, QWidget* parent = nullptr);
// A square icon-only button (copy, open, delete, add).
QToolButton* iconButton(const QString& symbol, QWidget* parent = nullptr);
// Two or more controls side by side sharing the column equally, or one under the other when
// their titles (in the current language) don't fit side by side.
class ButtonRow : public QWidget {
    Q_OBJECT
  public:
    explicit ButtonRow(std::initializer_list<QWidget*> widgets, QWidget* parent = nullptr);
    void relayout();

  private:
    QBoxLayout* layout_;
};
QWidget* row(std::initializer_list<QWidget*> widgets, QWidget* parent = nullptr);

// Chips in equal columns: as many as the widest title allows (up to `maxColumns`), laid out
// again whenever the titles change so that no title is ever cut.
class ChipGrid : public QWidget {
    Q_OBJECT
  public:
    explicit ChipGrid(int maxColumns, QWidget* parent = nullptr);
    QPushButton* addChip();
    const QList<QPushButton*>& chips() const { return chips_; }
    // Checks the chip at `index` alone (none for -1).
    void setSelectedIndex(int index);
    // Picks the column count for the current titles.
    void relayout();

  Q_SIGNALS:
    void chipClicked(int index);

  private:
    QGridLayout* grid_;
    QList<QPushButton*> chips_;
    int maxColumns_;
    int columns_ = 0;
};

// The markup palette as round swatches; the selected one is ringed.
class ColorSwatchRow : public QWidget {
    Q_OBJECT
  public:
    explicit ColorSwatchRow(QWidget* parent = nullptr);
    void setSelectedColor(const RGBAColor& color);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // The centre of the swatch for palette entry `index`, for tests and accessibility.
    QPoint swatchCenter(int index) const;

  Q_SIGNALS:
    void colorPicked(const RGBAColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    int indexAt(QPoint point) const;
    RGBAColor selected_;
};

// A label and a value; with `copyable`, a button after the value that asks to copy it.
class InfoRow : public QWidget {
    Q_OBJECT
  public:
    explicit InfoRow(bool copyable, QWidget* parent = nullptr);
    void setLabel(const QString& label);
    void setValue(const QString& value);
    QString value() const { return raw_; }
    QToolButton* copyButton() const { return copy_; }

  Q_SIGNALS:
    void copyRequested(const QString& value);

  private:
    QLabel* label_;
    QLabel* value_;
    QToolButton* copy_ = nullptr;
    QString raw_;
};

// Removes and deletes every item and widget of a layout (lists rebuilt from the editor's state).
void clearLayout(QBoxLayout* layout);

} // namespace inspector
