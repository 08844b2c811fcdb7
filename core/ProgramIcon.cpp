// The program icon from the renderings under resources/icons.
#include "core/ProgramIcon.h"

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/org.tidemark.TideLog.png").arg(size),
                     QSize(size, size));
    return icon;
}

QPixmap ProgramIconPixmap(int size) {
    return ProgramIcon().pixmap(size, size);
}
