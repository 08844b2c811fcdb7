// The about box: program icon, name and version, and the data file with its number
// of actions ("%d", or "%d(%d)" while a search narrows the action index).
#pragma once

#include <QDialog>

class CMainApp;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(CMainApp& app, QWidget* parent);
    // The text after "件数:".
    static QString CountText(long long shown, long long total, bool searching);
};
