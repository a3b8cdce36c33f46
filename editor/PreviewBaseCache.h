#pragma once

#include <QImage>
#include <QString>
#include <list>
#include <optional>

// What identifies a file's content cheaply: its size and modification time. A file rewritten
// under the same name (a save in place) gets another stamp, so its old preview is never shown.
struct FileStamp {
    qint64 size = -1;
    qint64 modifiedMs = 0;
    static FileStamp of(const QString& path);
    bool operator==(const FileStamp&) const = default;
};

// The preview bases of the images around the current one, decoded ahead so that stepping
// through a folder shows the next photo at once. Bounded by entries and bytes, least recently
// used first out; the editor clears it when the folder changes. GUI thread only.
class PreviewBaseCache {
  public:
    PreviewBaseCache(int maxEntries = 4, qint64 maxBytes = 64ll * 1024 * 1024)
        : maxEntries_(maxEntries), maxBytes_(maxBytes) {}

    // The stored bitmap for this path if it was decoded from the same file content.
    std::optional<QImage> find(const QString& path, const FileStamp& stamp);
    bool contains(const QString& path) const;
    void insert(const QString& path, const FileStamp& stamp, const QImage& image);
    void clear() { entries_.clear(); }
    int size() const { return static_cast<int>(entries_.size()); }
    qint64 bytes() const;

  private:
    struct Entry {
        QString path;
        FileStamp stamp;
        QImage image;
    };
    std::list<Entry> entries_; // most recently used first
    int maxEntries_;
    qint64 maxBytes_;
};
