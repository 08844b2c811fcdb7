// Screenshots of widgets for a person to look at: saved as PNG under build/screens/
// (the folder in $TIDEMARK_SCREENS, set by the test registration).
#pragma once

#include <QString>

class QWidget;

// Grabs the widget and writes <name>.png; returns the file path, or an empty string.
QString SaveScreenshot(QWidget* widget, const QString& name);
