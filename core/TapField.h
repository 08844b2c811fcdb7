// A value field shown as a static: sunken and white, tapped (or given Space, Return or
// F2 with the focus on it) to choose or edit its value.
#pragma once

class QLabel;
class QWidget;

// The field, named "id<id>"; a tap runs the parent's invokable OnCommand(id).
QLabel* TapField(QWidget* parent, int id);
