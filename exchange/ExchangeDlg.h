// CExchangeDlg: the import/export dialog. One full-screen dialog for both directions:
// the user picks the file, the layout and (for import) add or replace, and runs the
// import or export as often as wanted; the last file name of each mode is kept in the
// application object for the rest of the program run.
#pragma once

#include <QDialog>

#include <functional>

class CMainApp;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;

// Control and command ids (objectName "id<N>").
namespace ExchangeDlgId {
inline constexpr int Close = 1;          // default button "閉じる"
inline constexpr int Title = 1200;       // "エクスポート" or "インポート"
inline constexpr int FileLabel = 1201;   // "対象ファイル:"
inline constexpr int File = 1202;        // target file edit
inline constexpr int Browse = 1203;      // "..."
inline constexpr int FormatGroup = 1204; // "データフォーマット"
inline constexpr int Ver1 = 1205;
inline constexpr int Ver2 = 1206;
inline constexpr int Ver3 = 1207;
inline constexpr int MethodGroup = 1208; // "読込方法" (import only)
inline constexpr int Add = 1209;
inline constexpr int Replace = 1210;
inline constexpr int Run = 1211;
inline constexpr int SoftKeyRun = 40002;  // left soft key: the run text
inline constexpr int SoftKeyMenu = 40003; // "メニュー"
inline constexpr int ClearName = 40004;   // menu "名称クリア"
inline constexpr int MenuClose = 40005;   // menu "閉じる"
} // namespace ExchangeDlgId

// Dialog modes.
namespace ExchangeMode {
inline constexpr int Export = 1;
inline constexpr int Import = 2;
} // namespace ExchangeMode

class CExchangeDlg : public QDialog {
    Q_OBJECT
public:
    // mode 1 export, 2 import. afterImport runs after every import that got as far as
    // writing (the caller refills its view).
    CExchangeDlg(CMainApp& app, int mode, QWidget* parent = nullptr, std::function<void()> afterImport = {});

    Q_INVOKABLE void OnCommand(int id);

    // 1 … 3, the checked layout.
    int layout() const { return layout_; }
    // 1 add, 2 replace: the checked method button.
    int method() const;
    QLineEdit* fileEdit() const { return file_; }
    QMenu* menu() const { return menu_; }

    // The window's close request and Escape close the dialog like "閉じる".
    void reject() override { OnCommand(ExchangeDlgId::Close); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool importing() const { return mode_ == ExchangeMode::Import; }
    void CreateControls();
    void CreateSoftKeys();
    void CreateMenu();
    void LayOut();
    void OnBrowse();
    void OnLayout(int layout);
    void OnRun();
    void RunExport(const std::u16string& name);
    void RunImport(const std::u16string& name);
    void OnClose();

    CMainApp& app_;
    const int mode_;
    std::function<void()> afterImport_;
    int layout_ = 3;
    int rememberedMethod_ = 2; // the method chosen before Ver.1 forced "追加"
    QLabel* title_ = nullptr;
    QPushButton* close_ = nullptr;
    QLabel* fileLabel_ = nullptr;
    QLineEdit* file_ = nullptr;
    QPushButton* browse_ = nullptr;
    QGroupBox* formatGroup_ = nullptr;
    QRadioButton* versions_[3] = {};
    QGroupBox* methodGroup_ = nullptr;
    QRadioButton* add_ = nullptr;
    QRadioButton* replace_ = nullptr;
    QPushButton* run_ = nullptr;
    QWidget* softKeyBar_ = nullptr;
    QPushButton* softRun_ = nullptr;
    QPushButton* softMenu_ = nullptr;
    QMenu* menu_ = nullptr;
};

// Opens the dialog modally over parent in mode 1 (export) or 2 (import); returns when
// it is closed.
int OpenExchangeDlg(QWidget* parent, CMainApp& app, int mode, std::function<void()> afterImport = {});
