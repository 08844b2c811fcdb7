// The import/export dialog's controls, soft keys, menu and layout, and its commands:
// browse, the layout and method choice, run and close.
#include "exchange/ExchangeDlg.h"

#include "app/MainApp.h"
#include "core/DialogFont.h"
#include "core/MessageBox.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/SoftKeyBar.h"
#include "core/Utf.h"
#include "core/WaitCursor.h"
#include "core/WidgetId.h"
#include "exchange/ExchangeProgress.h"
#include "exchange/ExportActions.h"
#include "exchange/ImportActions.h"
#include "filedlg/FileSelectDialog.h"
#include "filedlg/FolderListing.h"
#include "store/DataFileTables.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

namespace {

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

constexpr char16_t kFilter[] = u"TSV/CSVファイル (*.csv)|*.csv|データファイル (*.dat)|*.dat|"
                               u"テキストファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*";

} // namespace

CExchangeDlg::CExchangeDlg(CMainApp& app, int mode, QWidget* parent, std::function<void()> afterImport)
    : QDialog(parent), app_(app), mode_(mode), afterImport_(std::move(afterImport)) {
    setObjectName(QStringLiteral("exchangeDlg"));
    setModal(true);
    setWindowTitle(importing() ? Q(u"インポート") : Q(u"エクスポート"));
    setFont(DialogFont());
    CreateControls();
    CreateSoftKeys();
    CreateMenu();
    // Full-screen over the parent, as on the handheld; the handheld's size without one.
    if (parent)
        setGeometry(QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size()));
    else
        resize(ScaleByDpi(240), ScaleByDpi(320));
    file_->setFocus();
}

void CExchangeDlg::CreateControls() {
    QString runText = windowTitle();
    title_ = new QLabel(runText, this);
    SetId(title_, ExchangeDlgId::Title);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    close_ = new QPushButton(Q(u"閉じる"), this);
    SetId(close_, ExchangeDlgId::Close);
    close_->setDefault(true);
    fileLabel_ = new QLabel(Q(u"対象ファイル:"), this);
    SetId(fileLabel_, ExchangeDlgId::FileLabel);
    file_ = new QLineEdit(ToQString(importing() ? app_.importFileName : app_.exportFileName), this);
    SetId(file_, ExchangeDlgId::File);
    browse_ = new QPushButton(QStringLiteral("..."), this);
    SetId(browse_, ExchangeDlgId::Browse);

    formatGroup_ = new QGroupBox(Q(u"データフォーマット"), this);
    SetId(formatGroup_, ExchangeDlgId::FormatGroup);
    const char16_t* versionTexts[3] = {u"Ver.1", u"Ver.2", u"Ver.3"};
    auto* versions = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        versions_[i] = new QRadioButton(Q(versionTexts[i]), formatGroup_);
        SetId(versions_[i], ExchangeDlgId::Ver1 + i);
        versions->addButton(versions_[i]);
        int id = ExchangeDlgId::Ver1 + i;
        connect(versions_[i], &QRadioButton::clicked, this, [this, id] { OnCommand(id); });
    }
    versions_[2]->setChecked(true);

    methodGroup_ = new QGroupBox(Q(u"読込方法"), this);
    SetId(methodGroup_, ExchangeDlgId::MethodGroup);
    add_ = new QRadioButton(Q(u"追加"), methodGroup_);
    SetId(add_, ExchangeDlgId::Add);
    replace_ = new QRadioButton(Q(u"置換"), methodGroup_);
    SetId(replace_, ExchangeDlgId::Replace);
    auto* methods = new QButtonGroup(this);
    methods->addButton(add_);
    methods->addButton(replace_);
    replace_->setChecked(true);
    methodGroup_->setVisible(importing());

    run_ = new QPushButton(runText, this);
    SetId(run_, ExchangeDlgId::Run);
    for (QPushButton* button : {browse_, run_})
        button->setAutoDefault(false);
    connect(close_, &QPushButton::clicked, this, [this] { OnCommand(ExchangeDlgId::Close); });
    connect(browse_, &QPushButton::clicked, this, [this] { OnCommand(ExchangeDlgId::Browse); });
    connect(run_, &QPushButton::clicked, this, [this] { OnCommand(ExchangeDlgId::Run); });
}

void CExchangeDlg::CreateSoftKeys() {
    softKeyBar_ = NewSoftKeyBar(this);
    softRun_ = WithId(NewSoftKey(windowTitle(), softKeyBar_), ExchangeDlgId::SoftKeyRun);
    softMenu_ = WithId(NewSoftKey(Q(u"メニュー"), softKeyBar_), ExchangeDlgId::SoftKeyMenu);
    connect(softRun_, &QPushButton::clicked, this, [this] { OnCommand(ExchangeDlgId::SoftKeyRun); });
    connect(softMenu_, &QPushButton::clicked, this, [this] { OnCommand(ExchangeDlgId::SoftKeyMenu); });
}

void CExchangeDlg::CreateMenu() {
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("exchangeMenu"));
    auto item = [this](const char16_t* text, int id) {
        QAction* action = menu_->addAction(Q(text));
        SetId(action, id);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    };
    item(u"名称クリア", ExchangeDlgId::ClearName);
    item(u"閉じる", ExchangeDlgId::MenuClose);
}

void CExchangeDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void CExchangeDlg::LayOut() {
    int w = width(), h = height();
    int row = ScaleByDpi(22), gap = ScaleByDpi(4), bar = ScaleByDpi(26);
    int closeWidth = ScaleByDpi(56), browseWidth = ScaleByDpi(26);
    title_->setGeometry(gap, gap, std::max(0, w - closeWidth - 3 * gap), row);
    close_->setGeometry(w - closeWidth - gap, gap, closeWidth, row);
    int y = row + 3 * gap;
    fileLabel_->setGeometry(gap, y, std::max(0, w - 2 * gap), row);
    y += row;
    file_->setGeometry(gap, y, std::max(0, w - browseWidth - 3 * gap), row);
    browse_->setGeometry(w - browseWidth - gap, y, browseWidth, row);
    y += row + 2 * gap;
    int groupHeight = row * 2 + gap;
    int inner = std::max(0, w - 2 * gap);
    formatGroup_->setGeometry(gap, y, inner, groupHeight);
    int third = std::max(0, (inner - 2 * gap) / 3);
    for (int i = 0; i < 3; ++i)
        versions_[i]->setGeometry(gap + i * third, row - gap, third, row);
    y += groupHeight + gap;
    if (importing()) {
        methodGroup_->setGeometry(gap, y, inner, groupHeight);
        add_->setGeometry(gap, row - gap, third, row);
        replace_->setGeometry(gap + third, row - gap, third, row);
        y += groupHeight + gap;
    }
    int runWidth = ScaleByDpi(90);
    run_->setGeometry(w - runWidth - gap, y + gap, runWidth, row + gap);
    softKeyBar_->setGeometry(0, h - bar, w, bar);
    softRun_->setGeometry(0, 0, w / 2, bar);
    softMenu_->setGeometry(w / 2, 0, w - w / 2, bar);
}

int CExchangeDlg::method() const {
    return add_->isChecked() ? 1 : 2;
}

void CExchangeDlg::OnCommand(int id) {
    switch (id) {
    case ExchangeDlgId::Browse:
        OnBrowse();
        break;
    case ExchangeDlgId::Ver1:
    case ExchangeDlgId::Ver2:
    case ExchangeDlgId::Ver3:
        OnLayout(id - ExchangeDlgId::Ver1 + 1);
        break;
    case ExchangeDlgId::Add:
        add_->setChecked(true);
        break;
    case ExchangeDlgId::Replace:
        replace_->setChecked(true);
        break;
    case ExchangeDlgId::Run:
    case ExchangeDlgId::SoftKeyRun:
        OnRun();
        break;
    case ExchangeDlgId::SoftKeyMenu:
        PopUpAbove(menu_, softMenu_);
        break;
    case ExchangeDlgId::ClearName:
        file_->clear();
        file_->setFocus();
        break;
    case ExchangeDlgId::Close:
    case ExchangeDlgId::MenuClose:
        OnClose();
        break;
    default:
        break;
    }
}

void CExchangeDlg::OnBrowse() {
    if (mode_ != ExchangeMode::Export && mode_ != ExchangeMode::Import) {
        ShowMessage(HandleOf(this), u"インポート/エクスポート種別の値が不正です。", u"内部エラー", MB_OK | MB_ICONSTOP);
        return;
    }
    FileSelectDialog chooser;
    chooser.SetFilter(kFilter);
    chooser.SetStartFolder(HomeFolder()); // the handheld started at its root folder
    chooser.SetMode(importing() ? 2 : 1);
    chooser.SetDefaultName(importing() ? u"" : u"tidemk.csv");
    chooser.SetTitle(importing() ? u"入力元" : u"保存先");
    if (chooser.Run(this) == 1 && chooser.result()) {
        file_->setText(ToQString(*chooser.result()));
        file_->setFocus();
    }
}

// Ver.1 carries no identifiers, so it can only be added: the method is forced to
// "追加" while it is chosen, and the method chosen before comes back with Ver.2/3.
void CExchangeDlg::OnLayout(int layout) {
    versions_[layout - 1]->setChecked(true);
    if (importing()) {
        bool wasForced = !methodGroup_->isEnabled();
        if (layout == 1 && !wasForced) {
            rememberedMethod_ = method();
            add_->setChecked(true);
        } else if (layout != 1 && wasForced) {
            (rememberedMethod_ == 1 ? add_ : replace_)->setChecked(true);
        }
        methodGroup_->setEnabled(layout != 1);
        add_->setEnabled(layout != 1);
        replace_->setEnabled(layout != 1);
    }
    layout_ = layout;
    file_->setFocus();
}

void CExchangeDlg::OnRun() {
    std::u16string name = FromQString(file_->text());
    if (name.empty()) {
        ShowMessage(HandleOf(this), u"対象ファイルが指定されていません。", u"対象ファイル未指定",
                    MB_OK | MB_ICONEXCLAMATION);
        file_->setFocus();
        return;
    }
    if (!OpenTables()) return; // the main window always has a data file open
    if (mode_ == ExchangeMode::Export) RunExport(name);
    if (mode_ == ExchangeMode::Import) RunImport(name);
}

void CExchangeDlg::RunExport(const std::u16string& name) {
    std::u16string question = FormatText("現在該当している%lld個のアクションを", app_.actionIndex.count()) + name +
                              u"へエクスポートしますか？";
    if (ShowMessage(HandleOf(this), question, u"エクスポートの確認", MB_YESNO | MB_ICONQUESTION) != IDYES) {
        file_->setFocus();
        return;
    }
    ExchangeTarget target{*OpenTables()->userData, app_.actionIndex, app_.searchCondition, HandleOf(this)};
    WaitCursorScope wait;
    CExchangeProgress progress(this, windowTitle(), ToQString(name));
    RunExportActions(target, name, static_cast<ExchangeLayout>(layout_));
}

void CExchangeDlg::RunImport(const std::u16string& name) {
    if (ShowMessage(HandleOf(this), name + u"をインポートしますか？", u"インポートの確認",
                    MB_YESNO | MB_ICONQUESTION) != IDYES) {
        file_->setFocus();
        return;
    }
    ImportMode mode = layout_ != 1 && !add_->isChecked() ? ImportMode::Replace : ImportMode::Add;
    ExchangeTarget target{*OpenTables()->userData, app_.actionIndex, app_.searchCondition, HandleOf(this)};
    {
        WaitCursorScope wait;
        CExchangeProgress progress(this, windowTitle(), ToQString(name));
        RunImportActions(target, name, static_cast<ExchangeLayout>(layout_), mode);
    }
    // Whatever the outcome, the index now holds what the data file holds.
    if (afterImport_) afterImport_();
}

void CExchangeDlg::OnClose() {
    (importing() ? app_.importFileName : app_.exportFileName) = FromQString(file_->text());
    done(1);
}

int OpenExchangeDlg(QWidget* parent, CMainApp& app, int mode, std::function<void()> afterImport) {
    CExchangeDlg dialog(app, mode, parent, std::move(afterImport));
    return dialog.exec();
}
