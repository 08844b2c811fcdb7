// The soft-key bar along the foot of a window and the flat keys on it, alike in the
// main window and every dialog.
#pragma once

class QMenu;
class QPushButton;
class QString;
class QWidget;

// An empty bar in the soft-key colour (object name "softKeyBar"); the window places it.
QWidget* NewSoftKeyBar(QWidget* parent);

// A key on the bar: flat, never taking the focus and never a dialog's default button,
// so that Return in a field does not press it.
QPushButton* NewSoftKey(const QString& text, QWidget* bar);

// Pops the menu up with its bottom edge on the top of the key, at the key's left edge.
void PopUpAbove(QMenu* menu, QWidget* key);
