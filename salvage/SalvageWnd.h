// CSalvageWnd: flotsam's one window. The data file and export file names with their
// "..." buttons (the programs' own file chooser), the run button, and the soft-key
// bar with "データ取出し" and the menu of "バージョン情報..." and "終了".
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace SalvageId {
enum : int {
    Quit = 1000,
    DataFile = 1001,
    BrowseData = 1002,
    ExportFile = 1003,
    BrowseExport = 1004,
    Run = 1005,
    About = 40001,
    SoftKeyMenu = 40002,
};
}

// The window class and title a second start looks for.
inline constexpr char16_t kSalvageWindowClass[] = u"FLOTSAM";
inline constexpr char16_t kSalvageTitle[] = u"flotsam";

class CSalvageWnd : public QWidget {
    Q_OBJECT
public:
    explicit CSalvageWnd(QWidget* parent = nullptr);

    // Menu, buttons and soft keys end here.
    Q_INVOKABLE void OnCommand(int id);
    QMenu* menu() const { return menu_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void CreateSoftKeys();
    void LayOut();
    void BrowseDataFile();
    void BrowseExportFile();
    void RunSalvageNow();

    QLabel* dataLabel_ = nullptr;
    QLineEdit* dataFile_ = nullptr;
    QPushButton* browseData_ = nullptr;
    QLabel* exportLabel_ = nullptr;
    QLineEdit* exportFile_ = nullptr;
    QPushButton* browseExport_ = nullptr;
    QPushButton* run_ = nullptr;
    QWidget* softKeyBar_ = nullptr;
    QPushButton* softRun_ = nullptr;
    QPushButton* softMenu_ = nullptr;
    QMenu* menu_ = nullptr;
};

// The about box: "flotsam Version 1.2.2010.1114" and OK.
void RunSalvageAbout(QWidget* parent);
// Its text, "%s Version %s" with the tool's name and version.
QString SalvageAboutText();
