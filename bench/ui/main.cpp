#include "core/common/MemoryTuning.h"
#include "ui/map/WebEngineSetup.h"
#include "ui/theme/Theme.h"

#include <QApplication>
#include <benchmark/benchmark.h>

// The window's benchmarks run real widgets, offscreen unless a display is asked for.
int main(int argc, char** argv) {
    keepImageBuffersMapped();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    prepareWebEngineBeforeApplication();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quellora"));
    QApplication::setApplicationName(QStringLiteral("TaviView"));
    theme::apply(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
