#include "ui/shell/ScrollZoomMonitor.h"

#include "editor/EditorViewModel.h"

#include <QApplication>
#include <QWheelEvent>

namespace {
constexpr double kWheelZoomFactor = 1.08;
}

ScrollZoomMonitor::ScrollZoomMonitor(EditorViewModel& editor, QObject* parent)
    : QObject(parent), editor_(editor) {}

bool ScrollZoomMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel) return QObject::eventFilter(watched, event);
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget()) return false;
    const auto* wheel = static_cast<QWheelEvent*>(event);
    if (!(wheel->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    if (!editor_.hasImage() || editor_.viewMode() == WorkspaceViewMode::grid) return false;
    // Qt turns Alt with the wheel into horizontal scrolling; the step is the same gesture.
    QPoint delta = wheel->angleDelta();
    if (delta.isNull()) delta = wheel->pixelDelta();
    const int step = delta.y() != 0 ? delta.y() : delta.x();
    if (step > 0)
        editor_.zoomIn(kWheelZoomFactor);
    else if (step < 0)
        editor_.zoomOut(kWheelZoomFactor);
    return true;
}
