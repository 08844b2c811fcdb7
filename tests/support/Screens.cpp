// Widget screenshots for GUI tests.
#include "tests/support/Screens.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

QString SaveScreenshot(QWidget* widget, const QString& name) {
    QString folder = qEnvironmentVariable("TIDEMARK_SCREENS");
    if (folder.isEmpty()) folder = QDir::tempPath() + "/tidemark-screens";
    QDir().mkpath(folder);
    QString path = folder + "/" + name + ".png";
    return widget->grab().save(path) ? path : QString();
}
