#include "ui/map/WebEngineSetup.h"

#include <QCoreApplication>
#include <unistd.h>

void prepareWebEngineBeforeApplication() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}
