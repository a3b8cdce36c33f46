#include "core/imaging/tflite/TfliteInterpreter.h"

#include "core/imaging/tflite/TfliteError.h"

#include <algorithm>

namespace tfl {

Interpreter::Interpreter(std::shared_ptr<const Model> model) : model_(std::move(model)) {
    const auto& tensors = model_->tensors();
    buffers_.resize(tensors.size());
    for (std::size_t i = 0; i < tensors.size(); ++i)
        if (!tensors[i].constant) buffers_[i].assign(static_cast<std::size_t>(tensors[i].shape.count()), 0.0f);
}

Shape4 Interpreter::inputShape(int index) const { return model_->tensors()[model_->inputs().at(index)].shape; }
Shape4 Interpreter::outputShape(int index) const { return model_->tensors()[model_->outputs().at(index)].shape; }
float* Interpreter::input(int index) { return data(model_->inputs().at(index)); }
const float* Interpreter::output(int index) const { return constData(model_->outputs().at(index)); }

float* Interpreter::data(int tensor) {
    if (model_->tensors()[tensor].constant) throw ModelError(QStringLiteral("a constant tensor cannot be written"));
    return buffers_[tensor].data();
}

const float* Interpreter::constData(int tensor) const {
    const auto& t = model_->tensors()[tensor];
    return t.constant ? t.values.data() : buffers_[tensor].data();
}

void Interpreter::invoke() {
    const auto& tensors = model_->tensors();
    using Kind = Model::OpKind;
    for (const Model::Op& op : model_->ops()) {
        const int in0 = op.inputs[0];
        const int out0 = op.outputs[0];
        const Shape4 inShape = tensors[in0].shape;
        const Shape4 outShape = tensors[out0].shape;
        const float* input = constData(in0);
        float* output = data(out0);
        auto bias = [&](std::size_t index) -> std::span<const float> {
            if (op.inputs.size() <= index || op.inputs[index] < 0) return {};
            return tensors[op.inputs[index]].values;
        };
        switch (op.kind) {
        case Kind::conv2d:
            conv2d(input, inShape, op.packedWeights.data(), op.kernelH, op.kernelW, bias(2), output, outShape,
                   op.window, op.activation);
            break;
        case Kind::depthwiseConv2d:
            depthwiseConv2d(input, inShape, constData(op.inputs[1]), op.kernelH, op.kernelW, op.multiplier, bias(2),
                            output, outShape, op.window, op.activation);
            break;
        case Kind::averagePool2d:
            averagePool2d(input, inShape, op.kernelW, op.kernelH, output, outShape, op.window, op.activation);
            break;
        case Kind::maxPool2d:
            maxPool2d(input, inShape, op.kernelW, op.kernelH, output, outShape, op.window, op.activation);
            break;
        case Kind::pad: pad(input, inShape, op.padBefore, output, outShape); break;
        case Kind::reshape: std::copy(input, input + outShape.count(), output); break;
        case Kind::add:
            add(input, inShape, constData(op.inputs[1]), tensors[op.inputs[1]].shape, output, outShape, op.activation);
            break;
        case Kind::mul:
            mul(input, inShape, constData(op.inputs[1]), tensors[op.inputs[1]].shape, output, outShape, op.activation);
            break;
        case Kind::relu: relu(input, output, outShape.count()); break;
        case Kind::hardSwish: hardSwish(input, output, outShape.count()); break;
        case Kind::logistic: logistic(input, output, outShape.count()); break;
        case Kind::dequantize: std::copy(input, input + outShape.count(), output); break;
        case Kind::resizeBilinear:
            resizeBilinear(input, inShape, output, outShape, op.alignCorners, op.halfPixelCenters);
            break;
        case Kind::transposeConvBias:
            transposeConvBias(input, inShape, constData(op.inputs[1]), op.kernelH, op.kernelW, bias(2), output,
                              outShape, op.window);
            break;
        }
    }
}

} // namespace tfl
