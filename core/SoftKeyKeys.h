// The keyboard's way to a dialog's soft-key menu: F10 or the Menu key presses the
// "メニュー" soft key of the active dialog, as on the main window.
#pragma once

class QApplication;

// Installs the key handling on the application (once; later calls do nothing).
void InstallSoftKeyKeys(QApplication& application);
