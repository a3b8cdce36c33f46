#pragma once

#include <QList>
#include <QMutex>
#include <QStringList>
#include <QUrl>

class QMimeData;

// The file URLs of one drop, in the order they arrive. Appends and the final read are locked:
// items of a drop may be delivered from other threads.
class DropURLCollector {
  public:
    // Keeps a URL that names a local file; anything else (a web address, an empty or broken
    // URL) is an item that failed and is left out.
    void append(const QUrl& url);
    QStringList paths() const;

    // Collects every item of a drop: its URL list, else the URL list as raw UTF-8 text.
    static QStringList collect(const QMimeData& data);

  private:
    mutable QMutex lock_;
    QStringList paths_;
};
