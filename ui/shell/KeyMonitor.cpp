#include "ui/shell/KeyMonitor.h"

#include "editor/EditorViewModel.h"
#include "ui/shell/TextFieldFocus.h"

#include <QApplication>
#include <QKeyEvent>

KeyMonitor::KeyMonitor(EditorViewModel& editor, QObject* parent) : QObject(parent), editor_(editor) {}

bool KeyMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    // An open menu or a dialog in front of the window has its own keys.
    if (QApplication::activePopupWidget() || QApplication::activeModalWidget()) return false;
    if (textfield::focused()) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    return handleKey(key->key());
}

bool KeyMonitor::handleKey(int key) {
    const int count = int(editor_.folderImages().size());
    const bool hasImage = editor_.hasImage();
    const bool browsingOne = editor_.viewMode() != WorkspaceViewMode::grid;
    switch (key) {
    case Qt::Key_F:
        if (!hasImage) return false;
        editor_.toggleCurrentFavorite();
        return true;
    case Qt::Key_G:
        if (count == 0) return false;
        editor_.toggleGridView();
        return true;
    case Qt::Key_1:
        if (!hasImage) return false;
        editor_.toggleActualSize();
        return true;
    case Qt::Key_2:
        if (count < 2) return false;
        editor_.toggleSideBySideCompare();
        return true;
    case Qt::Key_0:
        if (!hasImage) return false;
        editor_.zoomFit();
        return true;
    case Qt::Key_Right:
        if (count < 2 || !browsingOne) return false;
        editor_.navigateNext();
        return true;
    case Qt::Key_Left:
        if (count < 2 || !browsingOne) return false;
        editor_.navigatePrevious();
        return true;
    case Qt::Key_Space:
        if (!editor_.isAnimatedImage()) return false;
        editor_.toggleAnimationPlayback();
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (!editor_.selectedAnnotationID()) return false;
        editor_.deleteSelectedAnnotation();
        return true;
    case Qt::Key_Escape:
        if (editor_.isCropMode()) {
            editor_.toggleCropMode();
            return true;
        }
        if (editor_.isEyedropperActive()) {
            // Asking for the eyedropper it already has turns it off.
            editor_.startEyedropper(editor_.eyedropperPurpose());
            return true;
        }
        if (editor_.isSlideshowRunning()) {
            editor_.stopSlideshow();
            return true;
        }
        return false;
    default:
        return false;
    }
}
