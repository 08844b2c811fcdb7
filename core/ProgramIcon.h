// The program icon (a tide line with a marker): the installed icon's renderings,
// compiled in, as the window icon of the diary and of flotsam.
#pragma once

#include <QIcon>
#include <QPixmap>

QIcon ProgramIcon();
QPixmap ProgramIconPixmap(int size);
