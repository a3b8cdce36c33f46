#pragma once

#include <QList>

// Four lists of equal length (the bins), each scaled so that its largest entry is 1.
struct TaviImageRGBHistogram {
    QList<double> red;
    QList<double> green;
    QList<double> blue;
    QList<double> luma;

    bool operator==(const TaviImageRGBHistogram&) const = default;
};
