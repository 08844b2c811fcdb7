// The toolbar images, drawn as simple vector shapes so they stay sharp at every dpi.
// The program icon is in core/ProgramIcon.h.
#pragma once

#include <QIcon>
#include <QPixmap>

// Toolbar images by number: 4 new action, 5 delete, 6 find, 11 day, 12 week, 13 month,
// 14 list, 15 map, 16 today. size is the square's side in pixels.
QPixmap ToolBarImage(int image, int size);
