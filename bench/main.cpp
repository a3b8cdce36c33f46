#include "bench/EditorBatchRun.h"
#include "core/common/MemoryTuning.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cstring>

int main(int argc, char** argv) {
    keepImageBuffersMapped();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // A whole-process measurement for scripts/bench rather than the kernels.
    if (argc >= 2 && std::strcmp(argv[1], "editor-batch") == 0)
        return runEditorBatch(QCoreApplication::arguments().mid(2));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
