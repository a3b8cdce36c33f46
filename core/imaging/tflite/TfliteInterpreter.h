#pragma once

#include "core/imaging/tflite/TfliteModel.h"

#include <memory>
#include <vector>

namespace tfl {

// Runs a Model: owns the buffers of the tensors computed at run time. One interpreter per
// thread; several may share one model.
class Interpreter {
public:
    explicit Interpreter(std::shared_ptr<const Model> model);

    const Model& model() const { return *model_; }
    Shape4 inputShape(int index = 0) const;
    Shape4 outputShape(int index = 0) const;
    float* input(int index = 0);
    const float* output(int index = 0) const;

    void invoke();

private:
    float* data(int tensor);
    const float* constData(int tensor) const;

    std::shared_ptr<const Model> model_;
    std::vector<std::vector<float>> buffers_; // per tensor; empty for constants
};

} // namespace tfl
