#include "ui/workspace/DropURLCollector.h"

#include <QMimeData>

void DropURLCollector::append(const QUrl& url) {
    if (!url.isValid() || !url.isLocalFile()) return;
    const QString path = url.toLocalFile();
    if (path.isEmpty()) return;
    QMutexLocker locker(&lock_);
    paths_ << path;
}

QStringList DropURLCollector::paths() const {
    QMutexLocker locker(&lock_);
    return paths_;
}

QStringList DropURLCollector::collect(const QMimeData& data) {
    DropURLCollector collector;
    if (data.hasUrls()) {
        for (const QUrl& url : data.urls())
            collector.append(url);
    } else if (data.hasFormat(QStringLiteral("text/uri-list"))) {
        // Raw data: one URL a line, comments starting with '#'.
        const QString text = QString::fromUtf8(data.data(QStringLiteral("text/uri-list")));
        for (const QString& line : text.split(u'\n')) {
            const QString entry = line.trimmed();
            if (entry.isEmpty() || entry.startsWith(u'#')) continue;
            collector.append(QUrl(entry, QUrl::StrictMode));
        }
    }
    return collector.paths();
}
