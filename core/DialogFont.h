// The font of the programs' dialogs: "MS UI Gothic" at 12 pixels for 96 dpi.
#pragma once

class QFont;

QFont DialogFont();
