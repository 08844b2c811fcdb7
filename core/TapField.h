// A value field shown as a static: sunken and white, tapped to choose or edit its value.
#pragma once

class QLabel;
class QWidget;

// The field, named "id<id>"; the dialog shows a chooser or an editor when it is tapped.
QLabel* TapField(QWidget* parent, int id);
