#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

// Tiny encoders for animations with exactly the frame delays a test needs; the usual tools round
// or rewrite delays, and a zero or 12-second delay is what these tests are about.
namespace animtest {

// An animated GIF of `delaysCentiseconds.size()` frames, each a solid colour from a four-colour
// palette (frame i uses colour i % 4, with a marker pixel so neighbours differ), `size` square.
QByteArray gif(const std::vector<int>& delaysCentiseconds, int size = 8);

struct ApngFrame {
    QImage image; // all frames the same size
    quint16 delayNumerator;
    quint16 delayDenominator;
    bool corruptData = false; // replace the frame's compressed pixels with garbage
};
QByteArray apng(const std::vector<ApngFrame>& frames);

bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace animtest
