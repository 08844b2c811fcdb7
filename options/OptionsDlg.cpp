// The options sheet's pages, the staging of their controls and OK.
#include "options/OptionsDlg.h"

#include "app/MainApp.h"
#include "core/CommandPoster.h"
#include "core/DialogFont.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "filedlg/FileSelectDialog.h"
#include "options/DataFileOptions.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"
#include "views/CommandIds.h"
#include "views/MainWnd.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString Q(std::u16string_view text) {
    return ToQString(text);
}

template <class W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QComboBox* Choices(QWidget* parent, const char* name, std::initializer_list<const char16_t*> texts) {
    auto* box = Named(new QComboBox(parent), name);
    for (const char16_t* text : texts)
        box->addItem(Q(text));
    return box;
}

QCheckBox* Check(QWidget* parent, const char* name, const char16_t* text, bool ticked) {
    auto* box = Named(new QCheckBox(Q(text), parent), name);
    box->setChecked(ticked);
    return box;
}

// A drop-down value the settings may hold out of range: no entry is selected, and the
// stored value stays unless the user picks one.
void Preselect(QComboBox* box, int entry) {
    box->setCurrentIndex(entry >= 0 && entry < box->count() ? entry : -1);
}

int Picked(const QComboBox* box, int entryToValue, int keep) {
    return box->currentIndex() < 0 ? keep : box->currentIndex() + entryToValue;
}

} // namespace

COptionsDlg::COptionsDlg(CMainApp& app, int page, QWidget* parent)
    : QDialog(parent), app_(app), staging_(StageFromSettings(app.settings)) {
    setObjectName(QStringLiteral("OptionsDlg"));
    setWindowTitle(Q(u"オプション"));
    setModal(true);
    setFont(DialogFont());
    for (const QString& family : QFontDatabase::families())
        families_.push_back(FromQString(family));
    sheet_ = Named(new QTabWidget(this), "sheet");
    sheet_->addTab(CreateGeneralPage(), Q(u"全般"));
    sheet_->addTab(CreateDisplayPage(), Q(u"表示"));
    sheet_->addTab(CreateEditPage(), Q(u"編集"));
    sheet_->addTab(CreateFindPage(), Q(u"検索"));
    sheet_->addTab(CreateCustomisePage(), Q(u"カスタマイズ"));
    sheet_->addTab(CreateDataPage(), Q(u"データ"));
    // Scroll arrows would hide the last pages of a narrow sheet: every tab stays in view.
    sheet_->setUsesScrollButtons(false);
    sheet_->setElideMode(Qt::ElideRight);
    // Fitted to a sheet not yet laid out, the tabs start at their smallest font, so that
    // they never make the dialog wider than its pages; each resize fits them again.
    FitTabsToWidth();
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "id1");
    auto* cancel = Named(new QPushButton(Q(u"キャンセル"), this), "id2");
    connect(ok, &QPushButton::clicked, this, [this] { OnCommand(kIdOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCommand(kIdCancel); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(ScaleByDpi(2), ScaleByDpi(2), ScaleByDpi(2), ScaleByDpi(2));
    layout->addWidget(sheet_);
    layout->addLayout(buttons);
    resize(parent ? parent->size() : QSize(ScaleByDpi(240), ScaleByDpi(320)));
    connect(sheet_, &QTabWidget::currentChanged, this, &COptionsDlg::OnPageShown);
    // Ctrl+Tab (Ctrl+PgDown) and Ctrl+Shift+Tab (Ctrl+PgUp) turn the page from any field:
    // a focused drop-down would otherwise keep the keys from the tab widget.
    for (auto [keys, step] : {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                              {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                              {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                              {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}}) {
        auto* turn = new QShortcut(keys, this);
        connect(turn, &QShortcut::activated, this, [this, step = step] {
            int count = sheet_->count();
            sheet_->setCurrentIndex((sheet_->currentIndex() + step + count) % count);
        });
    }
    sheet_->setCurrentIndex(std::clamp(page, 0, 5));
    OnPageShown(sheet_->currentIndex());
}

void COptionsDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FitTabsToWidth();
}

// The six captions are wider than a portrait window at the dialog font: the tab bar
// takes the largest font, down to two thirds of it, at which they all fit; a still
// narrower sheet elides them.
void COptionsDlg::FitTabsToWidth() {
    QTabBar* bar = sheet_->tabBar();
    QFont tabFont = font();
    const int full = tabFont.pixelSize();
    const int room = sheet_->contentsRect().width();
    for (int size = full; size >= full * 2 / 3; --size) {
        tabFont.setPixelSize(size);
        bar->setFont(tabFont);
        if (bar->sizeHint().width() <= room) break;
    }
}

QWidget* COptionsDlg::CreateGeneralPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    startupMode_ = Choices(page, "startupMode", {u"閲覧画面", u"レコーダー画面", u"新規作成画面"});
    Preselect(startupMode_, staging_.startupMode);
    viewModeSave_ = Check(page, "viewModeSave", u"終了時の表示形式を保存する", staging_.viewModeSave == 1);
    initView_ = Choices(page, "initView", {u"1日表示", u"1週間表示", u"1ヶ月表示", u"一覧表示", u"マップ表示"});
    Preselect(initView_, staging_.initView - 1);
    initView_->setEnabled(!viewModeSave_->isChecked());
    connect(viewModeSave_, &QCheckBox::toggled, initView_, [this](bool on) { initView_->setEnabled(!on); });
    okButton_ = Check(page, "okBtnVwMode", u"(ok)ボタンを表示する", staging_.okBtnVwMode == 2);
    actionText_ = Check(page, "actTxtMode", u"アクションテキストを使用する", staging_.actTxtMode == 2);
    itemSelection_ = Check(page, "itmSelMode", u"リストビューにて項目値を選択", staging_.itmSelMode == 2);
    form->addRow(Q(u"起動画面:"), startupMode_);
    form->addRow(viewModeSave_);
    form->addRow(Q(u"初期表示形式:"), initView_);
    form->addRow(okButton_);
    form->addRow(actionText_);
    form->addRow(itemSelection_);
    return page;
}

QWidget* COptionsDlg::CreateDisplayPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    fontScreen_ = Choices(page, "fontScreen",
                          {u"閲覧画面(1日)", u"閲覧画面(1週)", u"閲覧画面(1ヶ月)", u"閲覧画面(一覧)",
                           u"閲覧画面(マップ)", u"レコーダー画面"});
    fontName_ = Named(new QComboBox(page), "fontName");
    fontName_->addItem(Q(u"<既定>"));
    for (const std::u16string& family : families_)
        fontName_->addItem(Q(family));
    fontSize_ = Named(new QComboBox(page), "fontSize");
    fontSize_->addItem(Q(u"<既定>"));
    for (int size = 4; size <= 48; ++size)
        fontSize_->addItem(QString::number(size));
    seqViewRng_ = Choices(page, "seqViewRng", {u"一画面", u"10", u"15", u"20", u"25", u"30"});
    Preselect(seqViewRng_, SeqViewRngEntry(staging_.seqViewRng));
    monthTap_ = Check(page, "monViewTapOpeMode", u"1ヶ月表示にて日付タップ時1日表示", staging_.monViewTapOpeMode == 2);
    form->addRow(Q(u"フォント変更画面:"), fontScreen_);
    form->addRow(Q(u"閲覧フォント:"), fontName_);
    form->addRow(Q(u"閲覧サイズ:"), fontSize_);
    form->addRow(Q(u"一覧表示時の表示個数:"), seqViewRng_);
    form->addRow(monthTap_);
    OnFontScreen(0);
    connect(fontScreen_, &QComboBox::currentIndexChanged, this, &COptionsDlg::OnFontScreen);
    connect(fontName_, &QComboBox::currentIndexChanged, this, &COptionsDlg::OnFontChanged);
    connect(fontSize_, &QComboBox::currentIndexChanged, this, &COptionsDlg::OnFontChanged);
    return page;
}

QWidget* COptionsDlg::CreateEditPage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);
    timeInitForNew_ = Choices(page, "timeInitForNewMode", {u"現在時刻", u"30分単位", u"終日"});
    Preselect(timeInitForNew_, staging_.timeInitForNewMode - 1);
    timeInitForFollow_ =
        Check(page, "timeInitForFollowMode", u"後続作成時、現在時刻を設定", staging_.timeInitForFollowMode == 1);
    placeSeparator_ = Named(new QLineEdit(Q(staging_.placeSepaStr), page), "placeSepaStr");
    noMemPlaceSeparator_ =
        Check(page, "noMemPlaceSepaStr", u"移動区切り含む値は履歴に残さない", staging_.noMemPlaceSepaStr == 1);
    editContinue_ = Check(page, "editOpeCont", u"作成/変更画面にて操作を継続して行う", staging_.editOpeCont == 1);
    form->addRow(Q(u"新規作成時の時刻初期値:"), timeInitForNew_);
    form->addRow(timeInitForFollow_);
    form->addRow(Q(u"レコーダーの移動区切り文字:"), placeSeparator_);
    form->addRow(noMemPlaceSeparator_);
    form->addRow(editContinue_);
    return page;
}

QWidget* COptionsDlg::CreateFindPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    listAfterFind_ =
        Check(page, "dispListAfterFind", u"検索終了後、一覧形式にて表示する", staging_.dispListAfterFind == 1);
    layout->addWidget(listAfterFind_);
    layout->addStretch();
    return page;
}

QWidget* COptionsDlg::CreateCustomisePage() {
    static const char16_t* const kLabels[8] = {u"開始：", u"終了：",  u"緯度：",  u"経度：",
                                               u"場所：", u"分類1：", u"分類2：", u"メモ："};
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    form->addRow(new QLabel(Q(u"項目の表示名称:"), page));
    for (int i = 0; i < 8; ++i) {
        names_[i] = new QLineEdit(Q(staging_.names[i]), page);
        names_[i]->setObjectName(QStringLiteral("name%1").arg(i));
        form->addRow(Q(kLabels[i]), names_[i]);
    }
    return page;
}

QWidget* COptionsDlg::CreateDataPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    dataFile_ = Named(new QLineEdit(Q(staging_.dataFile), page), "dataFile");
    auto* browse = Named(new QPushButton(QStringLiteral("..."), page), "dataFileBrowse");
    auto* compact = Named(new QPushButton(Q(u"データファイルの圧縮"), page), "compact");
    formatVersion_ = Named(new QLineEdit(Q(DataFileFormatVersion()), page), "dbFmtVer");
    formatVersion_->setReadOnly(true);
    connect(browse, &QPushButton::clicked, this, [this] { OnCommand(kIdBrowse); });
    connect(compact, &QPushButton::clicked, this, [this] { OnCommand(kIdCompact); });
    auto* file = new QHBoxLayout;
    file->addWidget(dataFile_);
    file->addWidget(browse);
    layout->addWidget(new QLabel(Q(u"データファイル:"), page));
    layout->addLayout(file);
    layout->addWidget(compact);
    layout->addWidget(new QLabel(Q(u"フォーマットバージョン:"), page));
    layout->addWidget(formatVersion_);
    layout->addStretch();
    return page;
}

void COptionsDlg::OnPageShown(int page) {
    if (page >= 0 && page < kOptionsPageCount) staging_.opened[page] = true;
}

void COptionsDlg::OnFontScreen(int screen) {
    if (screen < 0 || screen >= kFontScreenCount) return;
    const FontPair& pair = staging_.fonts[screen];
    QSignalBlocker nameBlock(fontName_), sizeBlock(fontSize_);
    fontName_->setCurrentIndex(FontNameEntry(pair.name, families_));
    fontSize_->setCurrentIndex(FontSizeEntry(pair.size));
}

void COptionsDlg::OnFontChanged() {
    int screen = fontScreen_->currentIndex();
    if (screen < 0 || screen >= kFontScreenCount) return;
    staging_.fonts[screen] = {FontNameOfEntry(fontName_->currentIndex(), families_),
                              FontSizeOfEntry(fontSize_->currentIndex())};
    staging_.fontChanged[screen] = true;
}

void COptionsDlg::ReleasePage(int page) {
    OptionsStaging& st = staging_;
    switch (page) {
    case 0:
        st.startupMode = Picked(startupMode_, 0, st.startupMode);
        st.viewModeSave = viewModeSave_->isChecked() ? 1 : 0;
        st.initView = Picked(initView_, 1, st.initView);
        st.okBtnVwMode = okButton_->isChecked() ? 2 : 1;
        st.actTxtMode = actionText_->isChecked() ? 2 : 1;
        st.itmSelMode = itemSelection_->isChecked() ? 2 : 1;
        break;
    case 1: {
        int entry = seqViewRng_->currentIndex();
        if (entry >= 0) st.seqViewRng = kSeqViewRngChoices[entry];
        st.monViewTapOpeMode = monthTap_->isChecked() ? 2 : 1;
        break;
    }
    case 2:
        st.timeInitForNewMode = Picked(timeInitForNew_, 1, st.timeInitForNewMode);
        st.timeInitForFollowMode = timeInitForFollow_->isChecked() ? 1 : 2;
        st.placeSepaStr = FromQString(placeSeparator_->text());
        st.noMemPlaceSepaStr = noMemPlaceSeparator_->isChecked() ? 1 : 0;
        st.editOpeCont = editContinue_->isChecked() ? 1 : 0;
        break;
    case 3:
        st.dispListAfterFind = listAfterFind_->isChecked() ? 1 : 0;
        break;
    case 4:
        for (int i = 0; i < 8; ++i)
            st.names[i] = FromQString(names_[i]->text());
        break;
    case 5:
        st.dataFile = FromQString(dataFile_->text());
        break;
    default:
        break;
    }
}

void COptionsDlg::OnCommand(int id) {
    switch (id) {
    case kIdOk:
        OnOk();
        break;
    case kIdCancel:
        done(2);
        break;
    case kIdBrowse:
        OnBrowse();
        break;
    case kIdCompact:
        OnCompact();
        break;
    default:
        break;
    }
}

void COptionsDlg::OnOk() {
    for (int page = 0; page < kOptionsPageCount; ++page)
        if (staging_.opened[page]) ReleasePage(page);
    staging_.okPressed = true;
    ApplyStagedOptions(staging_, app_.settings);
    if (staging_.opened[5] && staging_.dataFile != app_.settings.DataFile) {
        dataFileResult_ = ApplyDataFileFromOptions(HandleOf(this), staging_.dataFile, app_);
        staging_.dataFileChanged = dataFileResult_ == 0 && app_.settings.DataFile == staging_.dataFile;
        if (dataFileResult_ == -10) {
            done(-1);
            return;
        }
    }
    done(1);
}

void COptionsDlg::OnBrowse() {
    FileSelectDialog chooser;
    chooser.SetFilter(u"data (*.sdf)|*.sdf|All (*.*)|*.*");
    chooser.SetDefaultName(u"user.sdf");
    chooser.SetTitle(u"保存先");
    chooser.SetMode(1);
    if (chooser.Run(this) == 1 && chooser.result()) dataFile_->setText(Q(*chooser.result()));
}

void COptionsDlg::OnCompact() {
    CompactFromOptionsPage(HandleOf(this), FromQString(dataFile_->text()), app_);
    formatVersion_->setText(Q(DataFileFormatVersion()));
}

int RunOptionsDlg(CMainWnd& window, int page) {
    CMainApp& app = window.app();
    int before = app.settings.SeqViewRng;
    COptionsDlg sheet(app, page, &window);
    int result = sheet.exec();
    if (result == -1) {
        // The data file could not be reopened: the program ends.
        PostCommand(HandleOf(&window), Cmd::Exit);
        return -1;
    }
    if (result != 1) return result;
    if (app.settings.SeqViewRng != before) {
        DataFileTables* tables = OpenTables();
        long long position = tables ? FindActionInIndex(*tables->userData, app.actionIndex, app.selectedActionId) : -1;
        int size = window.ListPageSize();
        app.listPage =
            position >= 0 && size > 0 ? static_cast<int>((app.actionIndex.count() - 1 - position) / size) : 0;
    }
    window.ApplyOkButtonMode();
    return result;
}
