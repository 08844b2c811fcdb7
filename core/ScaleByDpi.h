// Screen geometry of the Qt layer: every length is given for 96 dpi and scaled by
// the program's dpi, 1.5 × the screen's logical dpi (144 on an ordinary desktop),
// so the handheld layout opens as a 360×480 window.
#pragma once

class QRect;

// The program's dpi. Before a QGuiApplication exists (or without a screen) it is 144.
int ProgramDpi();
// Tests fix the dpi; 0 returns to the screen's.
void SetProgramDpi(int dpi);
// (length × dpi + 48) / 96 with integer division.
int ScaleByDpi(int length);
// A rectangle given for 96 dpi, each of its numbers scaled.
QRect ScaledRect(int x, int y, int w, int h);
