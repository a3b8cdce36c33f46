#include "core/imaging/tflite/TfliteModel.h"

#include "core/imaging/tflite/FlatBufferTable.h"
#include "core/imaging/tflite/TfliteError.h"

#include <QFile>
#include <cstring>
#include <limits>

namespace tfl {

namespace {

// Field numbers of the TensorFlow Lite schema.
namespace ModelField { enum { version, operatorCodes, subgraphs, description, buffers }; }
namespace OpCodeField { enum { deprecatedBuiltinCode, customCode, version, builtinCode }; }
namespace SubGraphField { enum { tensors, inputs, outputs, operators }; }
namespace TensorField { enum { shape, type, buffer, name }; }
namespace BufferField { enum { data, offset, size }; }
namespace OperatorField { enum { opcodeIndex, inputs, outputs, builtinOptionsType, builtinOptions, customOptions }; }

enum Builtin {
    kAdd = 0,
    kAveragePool2d = 1,
    kConv2d = 3,
    kDepthwiseConv2d = 4,
    kDequantize = 6,
    kLogistic = 14,
    kMaxPool2d = 17,
    kMul = 18,
    kRelu = 19,
    kReshape = 22,
    kResizeBilinear = 23,
    kCustom = 32,
    kPad = 34,
    kHardSwish = 117,
};
enum TensorType { kFloat32 = 0, kFloat16 = 1, kInt32 = 2 };

constexpr std::int64_t kMaxTensorElements = std::int64_t(1) << 26;

} // namespace

class ModelLoader {
public:
    static std::shared_ptr<const Model> load(std::span<const std::uint8_t> bytes);

private:
    static void readOp(Model& model, const FlatTable& op, int builtin, const std::string& custom);
    static void validate(Model& model, Model::Op& op);
};

namespace {

std::vector<int> intList(const FlatTable& table, int field) {
    std::vector<int> values;
    if (const auto vector = table.vector(field)) {
        values.reserve(vector->size());
        for (std::size_t i = 0; i < vector->size(); ++i) values.push_back(vector->int32At(i));
    }
    return values;
}

Activation activationOf(int raw) {
    if (raw < 0 || raw > 4) throw ModelError(QStringLiteral("unsupported fused activation %1").arg(raw));
    return static_cast<Activation>(raw);
}

Padding paddingOf(int raw) {
    if (raw == 0) return Padding::same;
    if (raw == 1) return Padding::valid;
    throw ModelError(QStringLiteral("unsupported padding %1").arg(raw));
}

QString nameOf(const Model::Tensor& tensor) { return QString::fromStdString(tensor.name); }

} // namespace

std::shared_ptr<const Model> ModelLoader::load(std::span<const std::uint8_t> bytes) {
    auto model = std::make_shared<Model>();
    const FlatTable root = FlatTable::root(bytes);

    std::vector<std::pair<int, std::string>> codes;
    if (const auto list = root.vector(ModelField::operatorCodes)) {
        for (std::size_t i = 0; i < list->size(); ++i) {
            const FlatTable code = list->tableAt(i);
            // Newer files keep the code in a 32-bit field; the old byte stays for small codes.
            const int builtin = std::max<int>(code.int8(OpCodeField::deprecatedBuiltinCode),
                                              code.int32(OpCodeField::builtinCode));
            codes.emplace_back(builtin, code.string(OpCodeField::customCode).value_or(std::string()));
        }
    }
    const auto subgraphs = root.vector(ModelField::subgraphs);
    if (!subgraphs || subgraphs->size() == 0) throw ModelError(QStringLiteral("model has no subgraph"));
    const FlatTable graph = subgraphs->tableAt(0);
    const auto buffers = root.vector(ModelField::buffers);

    // Tensors, with their constant data.
    if (const auto list = graph.vector(SubGraphField::tensors)) {
        for (std::size_t i = 0; i < list->size(); ++i) {
            const FlatTable t = list->tableAt(i);
            Model::Tensor tensor;
            tensor.name = t.string(TensorField::name).value_or(std::string());
            const std::vector<int> shape = intList(t, TensorField::shape);
            if (shape.size() > 4)
                throw ModelError(QStringLiteral("tensor %1 has %2 axes").arg(QString::fromStdString(tensor.name)).arg(shape.size()));
            int dims[4] = {1, 1, 1, 1};
            std::int64_t elements = 1;
            for (std::size_t a = 0; a < shape.size(); ++a) {
                if (shape[a] <= 0 || shape[a] > kMaxTensorElements)
                    throw ModelError(QStringLiteral("tensor %1 has a bad shape").arg(QString::fromStdString(tensor.name)));
                dims[4 - shape.size() + a] = shape[a];
                elements *= shape[a];
                if (elements > kMaxTensorElements)
                    throw ModelError(QStringLiteral("tensor %1 is too large").arg(QString::fromStdString(tensor.name)));
            }
            tensor.shape = {dims[0], dims[1], dims[2], dims[3]};
            tensor.rank = static_cast<int>(shape.size());
            const int type = t.int8(TensorField::type);

            std::span<const std::uint8_t> data;
            const std::uint32_t bufferIndex = t.uint32(TensorField::buffer);
            if (bufferIndex != 0) {
                if (!buffers || bufferIndex >= buffers->size())
                    throw ModelError(QStringLiteral("tensor %1 names a missing buffer").arg(nameOf(tensor)));
                const FlatTable buffer = buffers->tableAt(bufferIndex);
                if (buffer.uint64(BufferField::offset) != 0)
                    throw ModelError(QStringLiteral("buffers stored outside the flatbuffer are not supported"));
                if (const auto vector = buffer.vector(BufferField::data)) data = vector->bytes(1);
            }
            if (!data.empty()) {
                const std::int64_t count = tensor.shape.count();
                const std::size_t width = type == kFloat16 ? 2 : 4;
                if (type != kFloat32 && type != kFloat16 && type != kInt32)
                    throw ModelError(QStringLiteral("tensor %1 has unsupported type %2").arg(nameOf(tensor)).arg(type));
                if (data.size() != static_cast<std::size_t>(count) * width)
                    throw ModelError(QStringLiteral("tensor %1: data size does not match its shape").arg(nameOf(tensor)));
                tensor.constant = true;
                if (type == kFloat32) {
                    tensor.values.resize(count);
                    std::memcpy(tensor.values.data(), data.data(), data.size());
                } else if (type == kInt32) {
                    tensor.ints.resize(count);
                    std::memcpy(tensor.ints.data(), data.data(), data.size());
                } else {
                    tensor.values.resize(count);
                    for (std::int64_t k = 0; k < count; ++k) {
                        std::uint16_t half;
                        std::memcpy(&half, data.data() + 2 * k, 2);
                        tensor.values[k] = halfToFloat(half);
                    }
                }
            } else if (type != kFloat32) {
                throw ModelError(QStringLiteral("tensor %1: only float32 activations are supported").arg(nameOf(tensor)));
            }
            model->tensors_.push_back(std::move(tensor));
        }
    }
    const int tensorCount = static_cast<int>(model->tensors_.size());
    auto checkIndex = [&](int index, bool optional) {
        if ((optional && index == -1)) return;
        if (index < 0 || index >= tensorCount) throw ModelError(QStringLiteral("tensor index %1 out of range").arg(index));
    };
    model->inputs_ = intList(graph, SubGraphField::inputs);
    model->outputs_ = intList(graph, SubGraphField::outputs);
    if (model->inputs_.empty() || model->outputs_.empty())
        throw ModelError(QStringLiteral("model names no inputs or no outputs"));
    for (int index : model->inputs_) checkIndex(index, false);
    for (int index : model->outputs_) checkIndex(index, false);

    // Operators, in the model's order (which is an order of execution). A tensor may be read
    // only once it exists: constant, a graph input, or written by an earlier operator.
    std::vector<char> available(tensorCount, 0);
    for (int t = 0; t < tensorCount; ++t) available[t] = model->tensors_[t].constant;
    for (int index : model->inputs_) available[index] = 1;
    if (const auto list = graph.vector(SubGraphField::operators)) {
        for (std::size_t i = 0; i < list->size(); ++i) {
            const FlatTable op = list->tableAt(i);
            const std::uint32_t codeIndex = op.uint32(OperatorField::opcodeIndex);
            if (codeIndex >= codes.size()) throw ModelError(QStringLiteral("operator names a missing operator code"));
            readOp(*model, op, codes[codeIndex].first, codes[codeIndex].second);
            Model::Op& added = model->ops_.back();
            for (int index : added.inputs) {
                checkIndex(index, true);
                if (index >= 0 && !available[index])
                    throw ModelError(QStringLiteral("operator %1 reads a tensor not computed yet").arg(i));
            }
            for (int index : added.outputs) {
                checkIndex(index, false);
                if (model->tensors_[index].constant) throw ModelError(QStringLiteral("operator %1 writes a constant").arg(i));
                available[index] = 1;
            }
            validate(*model, added);
            for (std::size_t k = 0; k < added.inputs.size(); ++k) {
                const int index = added.inputs[k];
                if (index < 0) continue;
                const Model::Tensor& tensor = model->tensors_[index];
                const bool sizeInput = k == 1 && (added.kind == Model::OpKind::resizeBilinear ||
                                                  added.kind == Model::OpKind::pad ||
                                                  added.kind == Model::OpKind::reshape);
                if (sizeInput && !tensor.constant && added.kind != Model::OpKind::reshape)
                    throw ModelError(QStringLiteral("sizes and paddings must be constant"));
                if (!sizeInput && tensor.constant && static_cast<std::int64_t>(tensor.values.size()) != tensor.shape.count())
                    throw ModelError(QStringLiteral("operator %1 reads a constant that is not float").arg(i));
            }
            // Fold a dequantize of constant weights now: its output becomes a constant.
            if (added.kind == Model::OpKind::dequantize && model->tensors_[added.inputs[0]].constant) {
                Model::Tensor& out = model->tensors_[added.outputs[0]];
                out.values = model->tensors_[added.inputs[0]].values;
                out.constant = true;
                model->ops_.pop_back();
            }
        }
    }
    for (int index : model->outputs_)
        if (!available[index]) throw ModelError(QStringLiteral("a model output is never computed"));
    // Repack convolution weights now that they are all constant floats.
    for (Model::Op& op : model->ops_) {
        if (op.kind != Model::OpKind::conv2d) continue;
        const Model::Tensor& weights = model->tensors_[op.inputs[1]];
        if (!weights.constant || weights.values.empty())
            throw ModelError(QStringLiteral("convolution weights must be constant floats"));
        op.packedWeights.resize(weights.values.size());
        packConvWeights(weights.values.data(), weights.shape.n, weights.shape.h, weights.shape.w, weights.shape.c,
                        op.packedWeights.data());
    }
    for (const Model::Op& op : model->ops_)
        for (std::size_t k = 1; k < op.inputs.size(); ++k) {
            const bool weightsInput = op.kind == Model::OpKind::depthwiseConv2d || op.kind == Model::OpKind::transposeConvBias;
            if (weightsInput && op.inputs[k] >= 0 && !model->tensors_[op.inputs[k]].constant)
                throw ModelError(QStringLiteral("weights and biases must be constant"));
        }
    return model;
}

void ModelLoader::readOp(Model& model, const FlatTable& table, int builtin, const std::string& custom) {
    Model::Op op;
    op.inputs = intList(table, OperatorField::inputs);
    op.outputs = intList(table, OperatorField::outputs);
    const auto options = table.table(OperatorField::builtinOptions);
    auto option = [&](auto read) { return options ? read(*options) : decltype(read(*options))(); };
    switch (builtin) {
    case kConv2d:
        op.kind = Model::OpKind::conv2d;
        if (options) {
            op.window.padding = paddingOf(options->int8(0));
            op.window.strideW = options->int32(1);
            op.window.strideH = options->int32(2);
            op.activation = activationOf(options->int8(3));
            op.window.dilationW = options->int32(4, 1);
            op.window.dilationH = options->int32(5, 1);
        }
        break;
    case kDepthwiseConv2d:
        op.kind = Model::OpKind::depthwiseConv2d;
        if (options) {
            op.window.padding = paddingOf(options->int8(0));
            op.window.strideW = options->int32(1);
            op.window.strideH = options->int32(2);
            op.multiplier = options->int32(3);
            op.activation = activationOf(options->int8(4));
            op.window.dilationW = options->int32(5, 1);
            op.window.dilationH = options->int32(6, 1);
        }
        break;
    case kAveragePool2d:
    case kMaxPool2d:
        op.kind = builtin == kAveragePool2d ? Model::OpKind::averagePool2d : Model::OpKind::maxPool2d;
        if (options) {
            op.window.padding = paddingOf(options->int8(0));
            op.window.strideW = options->int32(1);
            op.window.strideH = options->int32(2);
            op.kernelW = options->int32(3);
            op.kernelH = options->int32(4);
            op.activation = activationOf(options->int8(5));
        }
        break;
    case kAdd:
    case kMul:
        op.kind = builtin == kAdd ? Model::OpKind::add : Model::OpKind::mul;
        op.activation = activationOf(option([](const FlatTable& o) { return static_cast<int>(o.int8(0)); }));
        break;
    case kRelu: op.kind = Model::OpKind::relu; break;
    case kHardSwish: op.kind = Model::OpKind::hardSwish; break;
    case kLogistic: op.kind = Model::OpKind::logistic; break;
    case kDequantize: op.kind = Model::OpKind::dequantize; break;
    case kPad: op.kind = Model::OpKind::pad; break;
    case kReshape: op.kind = Model::OpKind::reshape; break;
    case kResizeBilinear:
        op.kind = Model::OpKind::resizeBilinear;
        if (options) {
            op.alignCorners = options->boolean(2);
            op.halfPixelCenters = options->boolean(3);
        }
        break;
    case kCustom: {
        if (custom != "Convolution2DTransposeBias")
            throw ModelError(QStringLiteral("unsupported custom operator %1").arg(QString::fromStdString(custom)));
        op.kind = Model::OpKind::transposeConvBias;
        // Its options are a raw C struct: padding (1 same, 2 valid), stride width, stride height.
        const auto raw = table.vector(OperatorField::customOptions);
        if (!raw) throw ModelError(QStringLiteral("transposed convolution without options"));
        const auto bytes = raw->bytes(1);
        if (bytes.size() < 12) throw ModelError(QStringLiteral("transposed convolution options too short"));
        std::int32_t fields[3];
        std::memcpy(fields, bytes.data(), sizeof fields);
        if (fields[0] != 1 && fields[0] != 2) throw ModelError(QStringLiteral("unsupported padding %1").arg(fields[0]));
        op.window.padding = fields[0] == 1 ? Padding::same : Padding::valid;
        op.window.strideW = fields[1];
        op.window.strideH = fields[2];
        break;
    }
    default: throw ModelError(QStringLiteral("unsupported operator %1").arg(builtin));
    }
    model.ops_.push_back(std::move(op));
}

void ModelLoader::validate(Model& model, Model::Op& op) {
    const auto& tensors = model.tensors_;
    auto fail = [&](const char* what) { throw ModelError(QStringLiteral("malformed operator: %1").arg(QLatin1String(what))); };
    auto need = [&](std::size_t inputs, std::size_t outputs) {
        if (op.inputs.size() < inputs || op.outputs.size() != outputs) fail("wrong number of inputs or outputs");
        for (std::size_t k = 0; k < inputs; ++k)
            if (op.inputs[k] < 0) fail("a required input is missing");
    };
    auto shape = [&](int index) { return tensors[index].shape; };
    const Window& w = op.window;
    if (w.strideW < 1 || w.strideH < 1 || w.dilationW < 1 || w.dilationH < 1) fail("stride or dilation below 1");

    auto checkBias = [&](int index, int channels) {
        if (index < 0) return;
        if (!tensors[index].constant || shape(index).count() != channels) fail("bias size");
    };
    switch (op.kind) {
    case Model::OpKind::conv2d: {
        need(2, 1);
        const Shape4 in = shape(op.inputs[0]), weights = shape(op.inputs[1]), out = shape(op.outputs[0]);
        if (weights.c != in.c) fail("convolution weights do not match the input channels");
        op.kernelH = weights.h;
        op.kernelW = weights.w;
        const Shape4 expected{in.n, convOutputSize(in.h, weights.h, w.strideH, w.dilationH, w.padding),
                              convOutputSize(in.w, weights.w, w.strideW, w.dilationW, w.padding), weights.n};
        if (!(out == expected)) fail("convolution output shape");
        checkBias(op.inputs.size() > 2 ? op.inputs[2] : -1, out.c);
        break;
    }
    case Model::OpKind::depthwiseConv2d: {
        need(2, 1);
        const Shape4 in = shape(op.inputs[0]), weights = shape(op.inputs[1]), out = shape(op.outputs[0]);
        if (weights.n != 1 || weights.c % in.c != 0) fail("depthwise weights shape");
        op.multiplier = weights.c / in.c;
        op.kernelH = weights.h;
        op.kernelW = weights.w;
        const Shape4 expected{in.n, convOutputSize(in.h, weights.h, w.strideH, w.dilationH, w.padding),
                              convOutputSize(in.w, weights.w, w.strideW, w.dilationW, w.padding), weights.c};
        if (!(out == expected)) fail("depthwise output shape");
        checkBias(op.inputs.size() > 2 ? op.inputs[2] : -1, out.c);
        break;
    }
    case Model::OpKind::averagePool2d:
    case Model::OpKind::maxPool2d: {
        need(1, 1);
        const Shape4 in = shape(op.inputs[0]), out = shape(op.outputs[0]);
        if (op.kernelW < 1 || op.kernelH < 1) fail("pool size");
        const Shape4 expected{in.n, convOutputSize(in.h, op.kernelH, w.strideH, 1, w.padding),
                              convOutputSize(in.w, op.kernelW, w.strideW, 1, w.padding), in.c};
        if (!(out == expected)) fail("pool output shape");
        break;
    }
    case Model::OpKind::add:
    case Model::OpKind::mul: {
        need(2, 1);
        const Shape4 a = shape(op.inputs[0]), b = shape(op.inputs[1]), out = shape(op.outputs[0]);
        auto axis = [&](int x, int y, int o) { return (x == o || x == 1) && (y == o || y == 1) && o == std::max(x, y); };
        if (!axis(a.n, b.n, out.n) || !axis(a.h, b.h, out.h) || !axis(a.w, b.w, out.w) || !axis(a.c, b.c, out.c))
            fail("operands cannot be broadcast to the output");
        break;
    }
    case Model::OpKind::relu:
    case Model::OpKind::hardSwish:
    case Model::OpKind::logistic:
    case Model::OpKind::dequantize:
        need(1, 1);
        if (shape(op.inputs[0]).count() != shape(op.outputs[0]).count()) fail("input and output sizes differ");
        break;
    case Model::OpKind::reshape:
        // The new shape (a second input or the options) is the output tensor's own; only the
        // element count has to agree, as the data keeps its order.
        need(1, 1);
        if (shape(op.inputs[0]).count() != shape(op.outputs[0]).count()) fail("reshape changes the element count");
        break;
    case Model::OpKind::pad: {
        need(2, 1);
        const Model::Tensor& in = tensors[op.inputs[0]];
        const auto& amounts = tensors[op.inputs[1]].ints;
        const int rank = std::max(in.rank, 1);
        if (static_cast<int>(amounts.size()) != 2 * rank) fail("paddings do not match the input's axes");
        int dims[4] = {in.shape.n, in.shape.h, in.shape.w, in.shape.c};
        for (int a = 0; a < rank; ++a) {
            const int before = amounts[2 * a], after = amounts[2 * a + 1];
            if (before < 0 || after < 0 || before > 1 << 16 || after > 1 << 16) fail("negative or huge padding");
            op.padBefore[4 - rank + a] = before;
            dims[4 - rank + a] += before + after;
        }
        if (!(shape(op.outputs[0]) == Shape4{dims[0], dims[1], dims[2], dims[3]})) fail("pad output shape");
        break;
    }
    case Model::OpKind::resizeBilinear: {
        need(2, 1);
        const Shape4 in = shape(op.inputs[0]), out = shape(op.outputs[0]);
        if (in.n != out.n || in.c != out.c) fail("resize changes batch or channels");
        const auto& size = tensors[op.inputs[1]];
        if (size.constant && (size.ints.size() != 2 || size.ints[0] != out.h || size.ints[1] != out.w))
            fail("resize size does not match the output");
        break;
    }
    case Model::OpKind::transposeConvBias: {
        need(2, 1);
        const Shape4 in = shape(op.inputs[0]), weights = shape(op.inputs[1]), out = shape(op.outputs[0]);
        if (weights.c != in.c) fail("transposed convolution weights do not match the input");
        op.kernelH = weights.h;
        op.kernelW = weights.w;
        const int h = w.padding == Padding::same ? in.h * w.strideH : (in.h - 1) * w.strideH + weights.h;
        const int wd = w.padding == Padding::same ? in.w * w.strideW : (in.w - 1) * w.strideW + weights.w;
        if (!(out == Shape4{in.n, h, wd, weights.n})) fail("transposed convolution output shape");
        checkBias(op.inputs.size() > 2 ? op.inputs[2] : -1, out.c);
        break;
    }
    }
}

std::shared_ptr<const Model> Model::fromBytes(std::span<const std::uint8_t> bytes) {
    return ModelLoader::load(bytes);
}

std::shared_ptr<const Model> Model::fromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw ModelError(QStringLiteral("cannot open model %1").arg(path));
    if (file.size() > (std::int64_t(1) << 30)) throw ModelError(QStringLiteral("model %1 is too large").arg(path));
    const QByteArray bytes = file.readAll();
    return fromBytes(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
}

} // namespace tfl
