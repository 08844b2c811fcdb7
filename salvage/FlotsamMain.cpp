// flotsam, the salvage tool: one instance per user, one window, no arguments used.
#include "core/ProgramIcon.h"
#include "core/QtPlatform.h"
#include "salvage/SalvageInstance.h"
#include "salvage/SalvageWnd.h"

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    QApplication::setApplicationName(QStringLiteral("flotsam"));
    QApplication::setWindowIcon(ProgramIcon());
    QFont::insertSubstitution(QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"));
    InstallQtPlatform();
    CSalvageInstance instance(ToQString(kSalvageWindowClass));
    if (!instance.BecomeTheInstance()) return 0;
    CSalvageWnd window;
    QObject::connect(&instance, &CSalvageInstance::raiseRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    window.show();
    return qt.exec();
}
