// COptionsDlg: the property sheet "オプション" with the pages 全般, 表示, 編集, 検索,
// カスタマイズ and データ. Controls start from the settings; a page's values are staged
// when it is released and OK writes the staged values of the pages that were opened.
// The data page compacts at once and changes the data file on OK.
#pragma once

#include "options/OptionsStaging.h"

#include <QDialog>

#include <array>
#include <vector>

class CMainApp;
class CMainWnd;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

class COptionsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdBrowse = 3;
    static constexpr int kIdCompact = 4;

    // page: the page shown first (above 5 shows 5).
    COptionsDlg(CMainApp& app, int page, QWidget* parent = nullptr);

    Q_INVOKABLE void OnCommand(int id);

    QTabWidget* sheet() const { return sheet_; }
    const OptionsStaging& staging() const { return staging_; }
    // The result of OK's change of data file (0 when there was none).
    int dataFileResult() const { return dataFileResult_; }
    // The font families of the name list, after "<既定>".
    const std::vector<std::u16string>& families() const { return families_; }

    void reject() override { OnCommand(kIdCancel); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitTabsToWidth();
    QWidget* CreateGeneralPage();
    QWidget* CreateDisplayPage();
    QWidget* CreateEditPage();
    QWidget* CreateFindPage();
    QWidget* CreateCustomisePage();
    QWidget* CreateDataPage();
    void OnPageShown(int page);
    void OnFontScreen(int screen);
    void OnFontChanged();
    // Copies the page's controls into the staging record.
    void ReleasePage(int page);
    void OnOk();
    void OnBrowse();
    void OnCompact();

    CMainApp& app_;
    OptionsStaging staging_;
    std::vector<std::u16string> families_;
    QTabWidget* sheet_ = nullptr;
    // 全般
    QComboBox* startupMode_ = nullptr;
    QCheckBox* viewModeSave_ = nullptr;
    QComboBox* initView_ = nullptr;
    QCheckBox* okButton_ = nullptr;
    QCheckBox* actionText_ = nullptr;
    QCheckBox* itemSelection_ = nullptr;
    // 表示
    QComboBox* fontScreen_ = nullptr;
    QComboBox* fontName_ = nullptr;
    QComboBox* fontSize_ = nullptr;
    QComboBox* seqViewRng_ = nullptr;
    QCheckBox* monthTap_ = nullptr;
    // 編集
    QComboBox* timeInitForNew_ = nullptr;
    QCheckBox* timeInitForFollow_ = nullptr;
    QLineEdit* placeSeparator_ = nullptr;
    QCheckBox* noMemPlaceSeparator_ = nullptr;
    QCheckBox* editContinue_ = nullptr;
    // 検索
    QCheckBox* listAfterFind_ = nullptr;
    // カスタマイズ
    std::array<QLineEdit*, 8> names_{};
    // データ
    QLineEdit* dataFile_ = nullptr;
    QLineEdit* formatVersion_ = nullptr;
    int dataFileResult_ = 0;
};

// FxToolOption: runs the sheet over the main window on the page, then, after OK, the
// after-sheet steps (list page when SeqViewRng changed, the OK button, the view
// refilled); closes the main window when the change of data file says the program must
// end. Returns the sheet's result: 1 OK, 2 cancel, -1 the program ends.
int RunOptionsDlg(CMainWnd& window, int page);
