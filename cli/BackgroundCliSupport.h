#pragma once

#include <QImage>
#include <QString>

// Writes `image` as a PNG to `path` whole or not at all; prints the problem and returns false.
bool writePngAtomically(const QImage& image, const QString& path);
