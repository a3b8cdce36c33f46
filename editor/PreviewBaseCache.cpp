#include "editor/PreviewBaseCache.h"

#include <QFileInfo>

FileStamp FileStamp::of(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return {};
    return {info.size(), info.lastModified().toMSecsSinceEpoch()};
}

std::optional<QImage> PreviewBaseCache::find(const QString& path, const FileStamp& stamp) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->path != path) continue;
        if (!(it->stamp == stamp)) {
            entries_.erase(it);
            return std::nullopt;
        }
        entries_.splice(entries_.begin(), entries_, it);
        return entries_.front().image;
    }
    return std::nullopt;
}

bool PreviewBaseCache::contains(const QString& path) const {
    for (const Entry& e : entries_)
        if (e.path == path) return true;
    return false;
}

void PreviewBaseCache::insert(const QString& path, const FileStamp& stamp, const QImage& image) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->path == path) {
            entries_.erase(it);
            break;
        }
    }
    entries_.push_front({path, stamp, image});
    while (entries_.size() > 1 && (static_cast<int>(entries_.size()) > maxEntries_ || bytes() > maxBytes_))
        entries_.pop_back();
}

qint64 PreviewBaseCache::bytes() const {
    qint64 total = 0;
    for (const Entry& e : entries_)
        total += e.image.sizeInBytes();
    return total;
}
