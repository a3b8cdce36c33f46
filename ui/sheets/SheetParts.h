#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QDialog;
class QLineEdit;
class QLabel;
class QSlider;

// The pieces both output sheets are made of, so the two read as one family: the header with
// its symbol, the quality row and the sheet's own style.
namespace sheetparts {

// Fusion's dark palette plus what it can't say: the accent default button, the raised fields,
// the hover and focus states of the sheet's controls.
void applySheetStyle(QDialog& sheet);

// A text for a button, a switch or a field's label: they read "&" as the mark of a shortcut
// letter, and the table's "EXIF & GPS" must show its ampersand.
QString literalText(const QString& text);

// Return in a number field commits the number and stays in the sheet: without this the sheet's
// default button would take the key and start the job with the user still typing sizes.
void commitOnReturn(QLineEdit& field, std::function<void()> commit);

// The sheets' content width; the sheet grows only for a language whose texts need more.
inline constexpr int kContentWidth = 400;

} // namespace sheetparts

// The symbol in the accent colour beside a title and a line of secondary text under it.
class SheetHeader : public QWidget {
    Q_OBJECT
  public:
    SheetHeader(const QString& symbolName, QWidget* parent = nullptr);
    void setTitle(const QString& title);
    void setSubtitle(const QString& subtitle);
    QString subtitle() const;

  private:
    QLabel* title_;
    QLabel* subtitle_;
};

// "Quality" with the value as a whole percentage and a slider over [minimum, 1]. The slider
// moves in whole percents; `valueEdited` fires only for the user's moves, never for setValue.
class QualityRow : public QWidget {
    Q_OBJECT
  public:
    QualityRow(double minimum, QWidget* parent = nullptr);
    void setValue(double quality);
    void setLabel(const QString& label);
    QSlider* slider() const { return slider_; }
    QString valueText() const;

  Q_SIGNALS:
    void valueEdited(double quality);

  private:
    void showPercent(int percent);
    QLabel* label_;
    QLabel* value_;
    QSlider* slider_;
};
