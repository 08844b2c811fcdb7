// The dialogs' font, scaled by the program's dpi.
#include "core/DialogFont.h"

#include "core/ScaleByDpi.h"

#include <QFont>

QFont DialogFont() {
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPixelSize(ScaleByDpi(12));
    return font;
}
