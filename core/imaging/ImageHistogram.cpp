#include "core/imaging/ImageHistogram.h"

ImageHistogram ImageHistogram::empty() {
    const QList<double> zeros(48, 0.0);
    return {zeros, zeros, zeros, zeros};
}
