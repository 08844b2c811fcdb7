// flotsam, the salvage tool: one instance per user, one window, no arguments used.
#include "core/QtPlatform.h"
#include "salvage/SalvageInstance.h"
#include "salvage/SalvageWnd.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

namespace {

// The installed icon's renderings, compiled into the program.
QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/org.tidemark.TideLog.png").arg(size),
                     QSize(size, size));
    return icon;
}

} // namespace

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
