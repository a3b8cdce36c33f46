#pragma once

#include <QDialog>

class BusySpinner;
class EditorViewModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QualityRow;
class SheetHeader;

// The batch export sheet, modal to the window: the settings of exporting the whole folder (or
// its favourites), the progress while the batch runs and the buttons that start and stop it.
// It edits the editor's batch settings directly and holds nothing of its own.
class BatchSheet : public QDialog {
    Q_OBJECT
  public:
    explicit BatchSheet(EditorViewModel& editor, QWidget* parent = nullptr);

    // Closing the sheet while a batch runs stops the batch instead (the sheet closes when the
    // editor ends it), so a batch never runs on unseen.
    void reject() override;

    // The controls, for tests and the screenshots.
    QComboBox* formatPicker() const { return format_; }
    QualityRow* qualityRow() const { return quality_; }
    QCheckBox* resizeToggle() const { return resize_; }
    QLineEdit* maxEdgeField() const { return maxEdge_; }
    QCheckBox* stripToggle() const { return strip_; }
    QCheckBox* watermarkToggle() const { return watermark_; }
    QCheckBox* favoritesOnlyToggle() const { return favoritesOnly_; }
    QLabel* progressLabel() const { return progress_; }
    QPushButton* runButton() const { return run_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    void retranslate();
    void showSettings();
    void showFolder();
    void showRunState();
    void commitMaxEdge();

    EditorViewModel& editor_;
    SheetHeader* header_;
    QWidget* settings_;
    QLabel* formatLabel_;
    QComboBox* format_;
    QualityRow* quality_;
    QCheckBox* resize_;
    QWidget* maxEdgeRow_;
    QLabel* maxEdgeLabel_;
    QLineEdit* maxEdge_;
    QCheckBox* strip_;
    QCheckBox* watermark_;
    QCheckBox* favoritesOnly_;
    QWidget* progressRow_;
    BusySpinner* spinner_;
    QLabel* progress_;
    QPushButton* cancel_;
    QPushButton* run_;
    // The user asked the running batch to stop; it ends after the file in hand.
    bool stopRequested_ = false;
};
