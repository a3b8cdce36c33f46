#pragma once

// Inputs that the code under test only takes as files: one private folder per process, reused
// by every run, so a run costs one small write and no folder churn.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>

namespace tavifuzz {
inline const QTemporaryDir& scratchFolder() {
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/tavi-fuzz-XXXXXX"));
    return folder;
}

// Writes the input to `name` in the scratch folder and returns its path (empty on failure).
inline QString writeScratchFile(const QString& name, const std::uint8_t* data, std::size_t size) {
    const QString path = scratchFolder().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    if (file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
        static_cast<qint64>(size))
        return {};
    return path;
}
} // namespace tavifuzz
