#pragma once

#include "core/imaging/tflite/TfliteKernels.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tfl {

// A TensorFlow Lite model read from its FlatBuffers file and made ready to run in float32: the
// first subgraph, its tensors (up to four axes, read as NHWC), and its operators, of which only
// those this interpreter implements are accepted. Constant work (float16 weights dequantized,
// convolution weights repacked) is done once here; the model is immutable afterwards and can be
// shared by interpreters on several threads. Throws ModelError for anything unreadable or
// unsupported, naming it.
class Model {
public:
    enum class OpKind {
        conv2d,
        depthwiseConv2d,
        averagePool2d,
        add,
        mul,
        relu,
        hardSwish,
        logistic,
        resizeBilinear,
        transposeConvBias,
        dequantize,
        maxPool2d,
        pad,
        reshape,
    };

    struct Tensor {
        std::string name;
        Shape4 shape;
        int rank = 0;
        bool constant = false;
        std::vector<float> values;     // constant float data
        std::vector<std::int32_t> ints; // constant int32 data
    };

    struct Op {
        OpKind kind = OpKind::relu;
        std::vector<int> inputs;  // -1 for an omitted optional input
        std::vector<int> outputs;
        Window window;
        Activation activation = Activation::none;
        int kernelW = 1, kernelH = 1;
        int multiplier = 1;
        bool alignCorners = false;
        bool halfPixelCenters = false;
        int padBefore[4] = {0, 0, 0, 0}; // pad, per NHWC axis
        std::vector<float> packedWeights; // convolutions
    };

    static std::shared_ptr<const Model> fromBytes(std::span<const std::uint8_t> bytes);
    static std::shared_ptr<const Model> fromFile(const QString& path);

    const std::vector<Tensor>& tensors() const { return tensors_; }
    const std::vector<Op>& ops() const { return ops_; } // constant-folded ops removed
    const std::vector<int>& inputs() const { return inputs_; }
    const std::vector<int>& outputs() const { return outputs_; }

private:
    std::vector<Tensor> tensors_;
    std::vector<Op> ops_;
    std::vector<int> inputs_;
    std::vector<int> outputs_;

    friend class ModelLoader;
};

} // namespace tfl
