#include "ui/shell/TextFieldFocus.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace textfield {
namespace {

// A spin box or an editable combo box types into a line edit of its own.
QLineEdit* innerLineEdit(QWidget* w) {
    if (auto* line = qobject_cast<QLineEdit*>(w)) return line;
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) return spin->findChild<QLineEdit*>();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->isEditable() ? combo->lineEdit() : nullptr;
    return nullptr;
}

} // namespace

QWidget* focused() {
    QWidget* w = QApplication::focusWidget();
    if (!w) return nullptr;
    if (innerLineEdit(w)) return w;
    if (qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) return w;
    return nullptr;
}

bool copy() {
    QWidget* w = focused();
    if (!w) return false;
    if (QLineEdit* line = innerLineEdit(w))
        line->copy();
    else if (auto* text = qobject_cast<QTextEdit*>(w))
        text->copy();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        plain->copy();
    return true;
}

bool paste() {
    QWidget* w = focused();
    if (!w) return false;
    if (QLineEdit* line = innerLineEdit(w))
        line->paste();
    else if (auto* text = qobject_cast<QTextEdit*>(w))
        text->paste();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        plain->paste();
    return true;
}

} // namespace textfield
