// CFileSelectDlg: the file selection dialog's window. It shows the FileSelectModel's
// folder and lines and sends every button, list choice, menu item and soft key
// through OnCommand to the model. Full-screen over its parent, as on the handheld.
#pragma once

#include <QDialog>

class FileSelectModel;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

// Control and command ids (objectName "id<N>").
namespace FileDlgId {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Title = 1700;      // title static
inline constexpr int Folder = 1701;     // read-only edit with the current folder
inline constexpr int Up = 1702;         // "↑"
inline constexpr int List = 1703;       // folder and file lines
inline constexpr int NameLabel = 1704;  // "ファイル名:"
inline constexpr int Name = 1705;       // file name edit
inline constexpr int TypeLabel = 1706;  // "種類:"
inline constexpr int Type = 1707;       // type combo box
inline constexpr int NewFolder = 40120; // menu item and left soft key
inline constexpr int Rename = 40121;
inline constexpr int Delete = 40122;
inline constexpr int Close = 40123; // soft key "閉じる"
inline constexpr int Menu = 40124;  // soft key "メニュー": pops up the menu
} // namespace FileDlgId

class CFileSelectDlg : public QDialog {
    Q_OBJECT
public:
    // The model must have been opened. Without a name asker the dialog asks with the
    // value input dialog.
    CFileSelectDlg(FileSelectModel& model, QWidget* parent = nullptr);
    ~CFileSelectDlg() override;

    Q_INVOKABLE void OnCommand(int id);
    // A list line chosen by the user: a folder is opened, a file's name goes to the edit.
    void OnListSelChange(int row);

    QListWidget* list() const { return list_; }
    QLineEdit* nameEdit() const { return name_; }
    QComboBox* typeCombo() const { return type_; }
    QMenu* menu() const { return menu_; }

    // Marks a line without opening it (a right-click, the desktop's tap-and-hold),
    // so that folders too can be renamed and deleted.
    void SelectLineQuietly(int row);
    bool ListKeyPress(QKeyEvent* key);

    // Closing the window or Escape is cancel.
    void reject() override { OnCommand(FileDlgId::Cancel); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateSoftKeys();
    void CreateMenu();
    void LayOut();
    // Shows the model's folder and lines; the list's own selection signals are ignored meanwhile.
    void FillList();
    void OnOk();
    void OnTypeChange(int index);

    FileSelectModel& model_;
    bool ownAsker_ = false;
    QLabel* title_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QPushButton* up_ = nullptr;
    QListWidget* list_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLabel* typeLabel_ = nullptr;
    QComboBox* type_ = nullptr;
    QWidget* softKeyBar_ = nullptr;
    QPushButton* softNew_ = nullptr;
    QPushButton* softMenu_ = nullptr;
    QPushButton* softClose_ = nullptr;
    QMenu* menu_ = nullptr;
};
