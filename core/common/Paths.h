#pragma once

#include <QString>

// File identity: an absolute, cleaned path without resolving symbolic links (the "standardized URL").
QString standardizedPath(const QString& path);
// The last path component's extension ("photo.tar.JPG" -> "JPG"), empty when the name has none.
QString pathExtension(const QString& path);
