#pragma once

#include "core/common/TaviError.h"

#include <cstring>

// A failure of the file system itself (rename, permissions, disk full), passed on as the system
// reports it: domain "FileSystem", the errno value as code, the system's message as description.
class FileSystemError : public TaviError {
  public:
    FileSystemError(int errnoValue, const QString& path)
        : TaviError(QStringLiteral("FileSystem"), errnoValue,
                    QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errnoValue)))) {}
};
