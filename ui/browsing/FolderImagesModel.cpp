#include "ui/browsing/FolderImagesModel.h"

#include "editor/EditorViewModel.h"

#include <algorithm>
#include <numeric>

FolderImagesModel::FolderImagesModel(EditorViewModel& editor, Rows rows, QObject* parent)
    : QAbstractListModel(parent), editor_(editor), mode_(rows) {
    rows_ = computeRows();
    shownKeys_.fill(0, rows_.size());
    shownCurrent_ = editor_.currentIndex();
    connect(&editor_, &EditorViewModel::folderImagesChanged, this, &FolderImagesModel::rebuildRows);
    connect(&editor_, &EditorViewModel::currentIndexChanged, this, &FolderImagesModel::currentChanged);
    connect(&editor_, &EditorViewModel::favoritePathsChanged, this, &FolderImagesModel::favoritesChanged);
    if (mode_ == Rows::gridFilter) {
        connect(&editor_, &EditorViewModel::gridSearchTextChanged, this, &FolderImagesModel::refilter);
        connect(&editor_, &EditorViewModel::showFavoritesOnlyChanged, this, &FolderImagesModel::refilter);
    }
}

QList<int> FolderImagesModel::computeRows() const {
    if (mode_ == Rows::gridFilter) return editor_.filteredGridIndices();
    QList<int> all(editor_.folderImages().size());
    std::iota(all.begin(), all.end(), 0);
    return all;
}

int FolderImagesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FolderImagesModel::folderIndexAt(int row) const {
    return row >= 0 && row < rows_.size() ? rows_.at(row) : -1;
}

int FolderImagesModel::rowOfFolderIndex(int folderIndex) const {
    const auto it = std::lower_bound(rows_.cbegin(), rows_.cend(), folderIndex);
    return it != rows_.cend() && *it == folderIndex ? static_cast<int>(it - rows_.cbegin()) : -1;
}

QList<int> FolderImagesModel::folderIndices(int firstRow, int lastRow) const {
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, static_cast<int>(rows_.size()) - 1);
    return firstRow <= lastRow ? rows_.mid(firstRow, lastRow - firstRow + 1) : QList<int>{};
}

qint64 FolderImagesModel::thumbnailKey(int row) const {
    const QStringList& images = editor_.folderImages();
    const int position = rows_.at(row);
    if (position >= images.size()) return 0;
    const auto it = editor_.thumbnails().constFind(images.at(position));
    return it == editor_.thumbnails().cend() ? 0 : it->cacheKey();
}

QVariant FolderImagesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) return {};
    const int position = rows_.at(index.row());
    const QStringList& images = editor_.folderImages();
    if (position >= images.size()) return {};
    const QString& path = images.at(position);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return path.section(u'/', -1);
    case FolderIndexRole:
        return position;
    case ThumbnailRole: {
        const auto it = editor_.thumbnails().constFind(path);
        if (it == editor_.thumbnails().cend()) {
            shownKeys_[index.row()] = 0;
            return QImage();
        }
        shownKeys_[index.row()] = it->cacheKey();
        return *it;
    }
    case IsCurrentRole:
        return position == editor_.currentIndex();
    case IsFavoriteRole:
        return editor_.isFavorite(path);
    default:
        return {};
    }
}

void FolderImagesModel::refreshThumbnails(int firstRow, int lastRow) {
    firstRow = std::max(firstRow, 0);
    lastRow = std::min(lastRow, static_cast<int>(rows_.size()) - 1);
    for (int row = firstRow; row <= lastRow; ++row) {
        const qint64 key = thumbnailKey(row);
        if (key == shownKeys_.at(row)) continue;
        shownKeys_[row] = key;
        const QModelIndex changed = index(row);
        Q_EMIT dataChanged(changed, changed, {ThumbnailRole});
    }
}

void FolderImagesModel::rebuildRows() {
    beginResetModel();
    rows_ = computeRows();
    shownKeys_.fill(0, rows_.size());
    shownCurrent_ = editor_.currentIndex();
    endResetModel();
}

void FolderImagesModel::refilter() {
    QList<int> rows = computeRows();
    if (rows == rows_) return;
    beginResetModel();
    rows_ = std::move(rows);
    shownKeys_.fill(0, rows_.size());
    endResetModel();
}

void FolderImagesModel::currentChanged() {
    const int now = editor_.currentIndex();
    for (int position : {shownCurrent_, now}) {
        const int row = rowOfFolderIndex(position);
        if (row >= 0) Q_EMIT dataChanged(index(row), index(row), {IsCurrentRole});
    }
    shownCurrent_ = now;
}

void FolderImagesModel::favoritesChanged() {
    // Favourites only: the rows themselves change; otherwise only the badges.
    if (mode_ == Rows::gridFilter && editor_.showFavoritesOnly()) {
        refilter();
        return;
    }
    if (!rows_.isEmpty())
        Q_EMIT dataChanged(index(0), index(static_cast<int>(rows_.size()) - 1), {IsFavoriteRole});
}
