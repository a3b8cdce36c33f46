#pragma once

class QWidget;

// The user is typing: the focused widget is a field that takes text. Keys and the Copy and
// Paste commands then belong to the field, not to the photo.
namespace textfield {

// The focused text field, or null when the keyboard focus is elsewhere.
QWidget* focused();
// Copies or pastes in the focused field; false when no field has the focus.
bool copy();
bool paste();

} // namespace textfield
