#pragma once

#include <QList>

// The colour histogram the inspector draws: four lists of the same length (the bins), each
// scaled so that its largest entry is 1.
struct ImageHistogram {
    QList<double> red;
    QList<double> green;
    QList<double> blue;
    QList<double> luma;

    // Four lists of 48 zeros: the histogram before any image is shown.
    static ImageHistogram empty();

    bool operator==(const ImageHistogram&) const = default;
};
