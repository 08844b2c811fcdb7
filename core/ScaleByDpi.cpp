// The program dpi from the primary screen.
#include "core/ScaleByDpi.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace {
int g_fixedDpi = 0;
}

int ProgramDpi() {
    if (g_fixedDpi > 0) return g_fixedDpi;
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (QScreen* screen = app->primaryScreen()) {
            int logical = static_cast<int>(screen->logicalDotsPerInch() + 0.5);
            if (logical > 0) return logical * 3 / 2;
        }
    }
    return 144;
}

void SetProgramDpi(int dpi) {
    g_fixedDpi = dpi;
}

int ScaleByDpi(int length) {
    return (length * ProgramDpi() + 48) / 96;
}

QRect ScaledRect(int x, int y, int w, int h) {
    return QRect(ScaleByDpi(x), ScaleByDpi(y), ScaleByDpi(w), ScaleByDpi(h));
}
