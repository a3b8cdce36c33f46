#pragma once

#include <QAbstractListModel>
#include <QList>

class EditorViewModel;

// The folder's photos as rows for the filmstrip (every photo, in folder order) and the grid (the
// editor's filtered indices). Rows are read from the editor on demand, so a folder of thousands
// costs one integer per row; a thumbnail arriving repaints only the cells that show it.
class FolderImagesModel : public QAbstractListModel {
    Q_OBJECT
  public:
    enum class Rows { wholeFolder, gridFilter };
    enum Role {
        FolderIndexRole = Qt::UserRole + 1,
        ThumbnailRole, // QImage, null while the editor has none
        IsCurrentRole,
        IsFavoriteRole,
    };

    FolderImagesModel(EditorViewModel& editor, Rows rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    int folderIndexAt(int row) const;
    // The row of a folder position, -1 when it isn't shown.
    int rowOfFolderIndex(int folderIndex) const;
    // The folder positions of rows first...last (clamped).
    QList<int> folderIndices(int firstRow, int lastRow) const;

    // Repaints the rows first...last whose thumbnail is not the one they were last drawn with.
    // Views call it for what they show when the editor's thumbnails change.
    void refreshThumbnails(int firstRow, int lastRow);

  private:
    void rebuildRows();
    void refilter();
    void currentChanged();
    void favoritesChanged();
    QList<int> computeRows() const;
    qint64 thumbnailKey(int row) const;

    EditorViewModel& editor_;
    Rows mode_;
    QList<int> rows_;                 // folder positions, ascending
    mutable QList<qint64> shownKeys_; // per row: the thumbnail last handed out (0: none)
    int shownCurrent_ = -1;
};
