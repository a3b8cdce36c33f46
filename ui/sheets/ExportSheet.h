#pragma once

#include <QDialog>

class EditorViewModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QualityRow;
class SheetHeader;

// The export sheet, modal to the window: format, quality, size with the aspect lock and the
// metadata switch of the current image's export, with the live size estimate. It edits the
// editor's export options directly and holds nothing of its own; "Save…" hands over to the
// editor's save panel, which closes the sheet once the file is written.
class ExportSheet : public QDialog {
    Q_OBJECT
  public:
    explicit ExportSheet(EditorViewModel& editor, QWidget* parent = nullptr);

    // The controls, for tests and the screenshots.
    QComboBox* formatPicker() const { return format_; }
    QualityRow* qualityRow() const { return quality_; }
    QCheckBox* resizeToggle() const { return resize_; }
    QLineEdit* widthField() const { return width_; }
    QLineEdit* heightField() const { return height_; }
    QToolButton* lockButton() const { return lock_; }
    QCheckBox* stripToggle() const { return strip_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }
    QString estimateText() const;

  private:
    void retranslate();
    void showOptions();
    void showEstimate();
    void commitWidth();
    void commitHeight();

    EditorViewModel& editor_;
    SheetHeader* header_;
    QLabel* formatLabel_;
    QComboBox* format_;
    QualityRow* quality_;
    QCheckBox* resize_;
    QWidget* sizeRow_;
    QLabel* widthLabel_;
    QLineEdit* width_;
    QToolButton* lock_;
    QLabel* heightLabel_;
    QLineEdit* height_;
    QCheckBox* strip_;
    QPushButton* cancel_;
    QPushButton* save_;
};
