#pragma once

#include "core/common/TaviError.h"

namespace tfl {

// A model file that cannot be read or run: damaged, truncated, or using something this
// interpreter does not implement. The text names what was wrong, for logs and tests.
class ModelError : public TaviError {
public:
    explicit ModelError(const QString& what) : TaviError(QStringLiteral("ModelError"), 1, what) {}
};

} // namespace tfl
