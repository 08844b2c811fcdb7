// The extended items editor's controls, the value field layout by type, the choosers
// and the commands, which the ExtItemsEditor carries out.
#include "edit/ExtItemsEditDlg.h"

#include "app/MainApp.h"
#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/DialogFont.h"
#include "core/DiaryCalendar.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/SoftKeyBar.h"
#include "core/TapField.h"
#include "core/WidgetId.h"
#include "edit/TimeSelectDlg.h"
#include "edit/ValueSelectDlg.h"
#include "filedlg/FileSelectDialog.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace {

QString Q(std::u16string_view text) {
    return ToQString(text);
}

void FocusWithTextSelected(QComboBox* box) {
    box->setFocus();
    if (QLineEdit* edit = box->lineEdit()) edit->selectAll();
}

// A combo box that, when its list closes up, takes the focus with its text selected in
// full, so that typing replaces the text just picked. A pick writes the text after the
// list has closed, so the picks select it again once they are handled.
class FocusingComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    void hidePopup() override {
        QComboBox::hidePopup();
        FocusWithTextSelected(this);
    }
};

constexpr int kSoftKeyHeight = 26;

} // namespace

CExtItemsEditDlg::CExtItemsEditDlg(const std::optional<std::u16string>& text, int itmSelMode, QWidget* parent)
    : QDialog(parent), editor_(HandleOf(this)), bySelection_(itmSelMode == 2) {
    setObjectName(QStringLiteral("ExtItemsEditDlg"));
    setWindowTitle(Q(u"拡張項目編集"));
    setModal(true);
    setFont(DialogFont());
    CreateControls();
    CreateMenu();
    resize(parent ? parent->window()->size() : QSize(ScaleByDpi(240), ScaleByDpi(320)));
    editor_.Open(text);
    FillNames();
    ShowSelected();
}

void CExtItemsEditDlg::CreateControls() {
    title_ = WithId(new QLabel(Q(u"拡張項目編集"), this), ExtEditCmd::Title);
    QFont bold = font();
    bold.setBold(true);
    title_->setFont(bold);
    apply_ = WithId(new QPushButton(Q(u"変更反映"), this), ExtEditCmd::Apply);
    discard_ = WithId(new QPushButton(Q(u"変更破棄"), this), ExtEditCmd::Discard);
    nameLabel_ = WithId(new QLabel(Q(u"名前:"), this), ExtEditCmd::NameLabel);
    nameStatic_ = TapField(this, ExtEditCmd::NameStatic);
    nameCombo_ = WithId(new FocusingComboBox(this), ExtEditCmd::NameCombo);
    nameCombo_->setEditable(true);
    nameCombo_->setInsertPolicy(QComboBox::NoInsert);
    nameCombo_->setCompleter(nullptr); // Return keeps what was typed, see find/FindDlg.cpp
    typeLabel_ = WithId(new QLabel(Q(u"タイプ:"), this), ExtEditCmd::TypeLabel);
    typeStatic_ = TapField(this, ExtEditCmd::TypeStatic);
    typeCombo_ = WithId(new FocusingComboBox(this), ExtEditCmd::TypeCombo);
    for (int i = 0; i < ExtTypeCount; ++i)
        typeCombo_->addItem(Q(ExtTypeName(i)));
    nameStatic_->setVisible(bySelection_);
    typeStatic_->setVisible(bySelection_);
    nameCombo_->setVisible(!bySelection_);
    typeCombo_->setVisible(!bySelection_);
    valueLabel_ = WithId(new QLabel(Q(u"値:"), this), ExtEditCmd::ValueLabel);
    value_ = WithId(new QLineEdit(this), ExtEditCmd::Value);
    lines_ = WithId(new QPlainTextEdit(this), ExtEditCmd::ValueLines);
    chooser_ = WithId(new QPushButton(Q(u"..."), this), ExtEditCmd::Chooser);
    time_ = WithId(new QLineEdit(this), ExtEditCmd::TimeValue);
    timeChooser_ = WithId(new QPushButton(Q(u"..."), this), ExtEditCmd::TimeChooser);
    create_ = WithId(new QPushButton(Q(u"作成"), this), ExtEditCmd::Create);
    change_ = WithId(new QPushButton(Q(u"変更"), this), ExtEditCmd::Change);
    delete_ = WithId(new QPushButton(Q(u"削除"), this), ExtEditCmd::Delete);
    calendar_ = WithId(new QCalendarWidget(this), ExtEditCmd::Calendar);
    calendar_->setGridVisible(true);
    SetUpDiaryCalendar(calendar_);
    UseSmallCalendarFont(calendar_);
    calendar_->hide();
    softKeyBar_ = NewSoftKeyBar(this);
    softChange_ = WithId(NewSoftKey(Q(u"変更"), softKeyBar_), ExtEditCmd::SoftChange);
    softMenu_ = WithId(NewSoftKey(Q(u"メニュー"), softKeyBar_), ExtEditCmd::SoftMenu);
    for (auto [button, id] : {std::pair{apply_, int(ExtEditCmd::Apply)},
                              {discard_, int(ExtEditCmd::Discard)},
                              {chooser_, int(ExtEditCmd::Chooser)},
                              {timeChooser_, int(ExtEditCmd::TimeChooser)},
                              {create_, int(ExtEditCmd::Create)},
                              {change_, int(ExtEditCmd::Change)},
                              {delete_, int(ExtEditCmd::Delete)},
                              {softChange_, int(ExtEditCmd::SoftChange)},
                              {softMenu_, int(ExtEditCmd::SoftMenu)}}) {
        // Return in a value field must not press a button.
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, id = id] { OnCommand(id); });
    }
    connect(nameCombo_, &QComboBox::activated, this, &CExtItemsEditDlg::OnNamePicked);
    connect(typeCombo_, &QComboBox::activated, this, &CExtItemsEditDlg::OnTypePicked);
    connect(calendar_, &QCalendarWidget::clicked, this, &CExtItemsEditDlg::OnDatePicked);
    connect(calendar_, &QCalendarWidget::activated, this, &CExtItemsEditDlg::OnDatePicked);
}

void CExtItemsEditDlg::CreateMenu() {
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("menuExtItems"));
    for (auto [text, id] : {std::pair{u"作成", int(ExtEditCmd::MenuCreate)},
                            {u"変更", int(ExtEditCmd::MenuChange)},
                            {u"削除", int(ExtEditCmd::MenuDelete)},
                            {u"変更反映", int(ExtEditCmd::Apply)},
                            {u"変更破棄", int(ExtEditCmd::Discard)}}) {
        QAction* action = menu_->addAction(Q(text));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id = id] { OnCommand(id); });
    }
}

void CExtItemsEditDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void CExtItemsEditDlg::LayOut() {
    // The layout is given for a 240-unit wide screen; wider windows widen the fields.
    int w = std::max(240, (width() * 96 + ProgramDpi() / 2) / ProgramDpi());
    int field = w - 52;
    title_->setGeometry(ScaledRect(4, 4, w - 128, 18));
    apply_->setGeometry(ScaledRect(w - 122, 2, 58, 22));
    discard_->setGeometry(ScaledRect(w - 62, 2, 58, 22));
    nameLabel_->setGeometry(ScaledRect(4, 30, 44, 20));
    nameStatic_->setGeometry(ScaledRect(48, 30, field, 22));
    nameCombo_->setGeometry(ScaledRect(48, 30, field, 22));
    typeLabel_->setGeometry(ScaledRect(4, 56, 44, 20));
    typeStatic_->setGeometry(ScaledRect(48, 56, field, 22));
    typeCombo_->setGeometry(ScaledRect(48, 56, field, 22));
    valueLabel_->setGeometry(ScaledRect(4, 82, 44, 20));
    constexpr int y = 102, h = 22, button = 24;
    int full = w - 8;
    bool single = true, choose = false, time = false, timeChoose = false, lines = false;
    switch (type_) {
    case ExtTypeDate:
    case ExtTypeFile:
        choose = true;
        value_->setGeometry(ScaledRect(4, y, full - button - 2, h));
        chooser_->setGeometry(ScaledRect(w - 4 - button, y, button, h));
        break;
    case ExtTypeTime:
        single = false, time = timeChoose = true;
        time_->setGeometry(ScaledRect(4, y, full - button - 2, h));
        timeChooser_->setGeometry(ScaledRect(w - 4 - button, y, button, h));
        break;
    case ExtTypeDateTime: {
        choose = time = timeChoose = true;
        int half = (full - 2 * button - 8) / 2;
        value_->setGeometry(ScaledRect(4, y, half + 16, h));
        chooser_->setGeometry(ScaledRect(6 + half + 16, y, button, h));
        time_->setGeometry(ScaledRect(10 + half + 16 + button, y, half - 18, h));
        timeChooser_->setGeometry(ScaledRect(w - 4 - button, y, button, h));
        break;
    }
    case ExtTypeMlString:
        single = false, lines = true;
        lines_->setGeometry(ScaledRect(4, y, full, 110));
        break;
    default:
        value_->setGeometry(ScaledRect(4, y, full, h));
        break;
    }
    value_->setVisible(single);
    chooser_->setVisible(choose);
    time_->setVisible(time);
    timeChooser_->setVisible(timeChoose);
    lines_->setVisible(lines);
    int buttons = lines ? y + 116 : y + 30;
    int third = (full - 8) / 3;
    create_->setGeometry(ScaledRect(4, buttons, third, 24));
    change_->setGeometry(ScaledRect(8 + third, buttons, third, 24));
    delete_->setGeometry(ScaledRect(12 + 2 * third, buttons, third, 24));
    calendar_->setGeometry(ScaledRect(4, y + h + 2, std::min(full, 232), 140));
    int bar = ScaleByDpi(kSoftKeyHeight);
    softKeyBar_->setGeometry(0, height() - bar, width(), bar);
    softChange_->setGeometry(0, 0, width() / 2, bar);
    softMenu_->setGeometry(width() / 2, 0, width() - width() / 2, bar);
}

ExtValueFields CExtItemsEditDlg::Fields() const {
    return {FromQString(value_->text()), FromQString(time_->text()), FromQString(lines_->toPlainText())};
}

void CExtItemsEditDlg::SetFields(const ExtValueFields& fields) {
    value_->setText(Q(fields.single));
    time_->setText(Q(fields.time));
    lines_->setPlainText(Q(fields.lines));
}

void CExtItemsEditDlg::FillNames() {
    QString typed = nameCombo_->currentText();
    nameCombo_->clear();
    for (const ExtItem& item : editor_.items())
        nameCombo_->addItem(Q(item.name));
    nameCombo_->setEditText(typed);
}

void CExtItemsEditDlg::ShowType(int type) {
    previousType_ = type_;
    type_ = type;
    typeCombo_->setCurrentIndex(type);
    typeStatic_->setText(Q(ExtTypeName(type)));
    calendar_->hide();
    LayOut();
}

void CExtItemsEditDlg::ShowSelected() {
    const ExtItem* item = editor_.SelectedItem();
    if (!item) {
        nameCombo_->setEditText(QString());
        nameStatic_->clear();
        SetFields({});
        ShowType(ExtTypeInt);
        return;
    }
    // An unknown type shows as int.
    int type = std::max(0, ExtTypeIndex(item->typeName));
    nameCombo_->setEditText(Q(item->name));
    nameStatic_->setText(Q(item->name));
    SetFields(SplitExtValue(type, item->value));
    ShowType(type);
}

void CExtItemsEditDlg::ChangeType(int type) {
    if (type < 0 || type >= ExtTypeCount || type == type_) return;
    ExtValueFields moved = MoveExtValue(Fields(), type_, type);
    SetFields(moved);
    ShowType(type);
}

std::u16string CExtItemsEditDlg::InputName() const {
    return FromQString(bySelection_ ? nameStatic_->text() : nameCombo_->currentText());
}

void CExtItemsEditDlg::OnCommand(int id) {
    switch (id) {
    case ExtEditCmd::Apply:
        OnApply();
        break;
    case ExtEditCmd::Discard:
        OnDiscard();
        break;
    case ExtEditCmd::Create:
    case ExtEditCmd::MenuCreate:
        OnCreate();
        break;
    case ExtEditCmd::Change:
    case ExtEditCmd::MenuChange:
    case ExtEditCmd::SoftChange:
        OnChange();
        break;
    case ExtEditCmd::Delete:
    case ExtEditCmd::MenuDelete:
        OnDelete();
        break;
    case ExtEditCmd::Chooser:
        OnChooser();
        break;
    case ExtEditCmd::TimeChooser:
        OnTimeChooser();
        break;
    case ExtEditCmd::NameStatic:
        OnNameChooser();
        break;
    case ExtEditCmd::TypeStatic:
        OnTypeChooser();
        break;
    case ExtEditCmd::SoftMenu:
        PopUpAbove(menu_, softMenu_);
        break;
    default:
        break;
    }
}

void CExtItemsEditDlg::OnNamePicked(int index) {
    if (index < 0) return;
    editor_.Select(index);
    ShowSelected();
    FocusWithTextSelected(nameCombo_);
}

void CExtItemsEditDlg::OnTypePicked(int index) {
    ChangeType(index);
    FocusWithTextSelected(typeCombo_);
}

void CExtItemsEditDlg::OnCreate() {
    std::u16string name = InputName();
    if (editor_.Create(name, type_, JoinExtValue(type_, Fields())) != kExtEdDone) return;
    FillNames();
    ShowSelected();
}

void CExtItemsEditDlg::OnChange() {
    if (editor_.Change(InputName(), type_, JoinExtValue(type_, Fields())) != kExtEdDone) return;
    FillNames();
    ShowSelected();
}

void CExtItemsEditDlg::OnDelete() {
    if (editor_.Delete() != kExtEdDone) return;
    FillNames();
    ShowSelected();
}

void CExtItemsEditDlg::OnApply() {
    if (editor_.Apply(result_) != kExtEdDone) return;
    done(1);
}

void CExtItemsEditDlg::OnDiscard() {
    if (editor_.ConfirmDiscard()) done(2);
}

void CExtItemsEditDlg::OnChooser() {
    if (type_ == ExtTypeFile)
        OnFileChooser();
    else if (type_ == ExtTypeDate || type_ == ExtTypeDateTime)
        OnDateChooser();
}

void CExtItemsEditDlg::OnDateChooser() {
    if (calendar_->isVisible()) {
        calendar_->hide();
        return;
    }
    int y, m, d;
    if (ParseDateText(FromQString(value_->text()), y, m, d) != 0 || !QDate(y, m, d).isValid()) {
        LocalDateTime now = LocalNow();
        y = now.year, m = now.month, d = now.day;
    }
    calendar_->setSelectedDate(QDate(y, m, d));
    calendar_->show();
    calendar_->raise();
}

void CExtItemsEditDlg::OnDatePicked() {
    QDate date = calendar_->selectedDate();
    value_->setText(Q(FormatDateText(date.year(), date.month(), date.day())));
    calendar_->hide();
}

void CExtItemsEditDlg::OnFileChooser() {
    FileSelectDialog dialog;
    dialog.SetTitle(u"入力元");
    dialog.SetFilter(u"すべてのファイル (*.*)|*.*");
    // The root folder of the handheld is the home folder here (the default start).
    dialog.SetDefaultName(u"");
    if (dialog.Run(this) == 1 && dialog.result()) value_->setText(Q(*dialog.result()));
}

void CExtItemsEditDlg::OnTimeChooser() {
    TimeSelectRequest request;
    request.options = CTimeSelectDlg::kOptSeconds;
    request.title = u"時刻";
    int h = 12, m = 0, s = 0;
    if (ParseTimeText(FromQString(time_->text()), h, m, s) != 0) h = 12, m = 0, s = 0;
    request.hour = h, request.minute = m, request.second = s;
    if (RunTimeSelectDlg(this, request) != 1) return;
    QString chosen = Q(FormatTimeText(request.resultHour, request.resultMinute, request.resultSecond));
    if (chosen == time_->text()) return;
    time_->setText(chosen);
    modified_ = true;
}

void CExtItemsEditDlg::OnNameChooser() {
    ValueSelectRequest request;
    request.title = u"名前の選択";
    request.initialValue = FromQString(nameStatic_->text());
    for (const ExtItem& item : editor_.items())
        request.list.push_back(item.name);
    request.listCapacity = request.list.size() + 1;
    if (RunValueSelectDlg(this, request) != 1 || !request.result) return;
    // A listed name selects its item; a typed new name is kept for create.
    if (editor_.SelectName(*request.result)) {
        ShowSelected();
        return;
    }
    nameStatic_->setText(Q(*request.result));
}

void CExtItemsEditDlg::OnTypeChooser() {
    ValueSelectRequest request;
    request.title = u"タイプの選択";
    request.initialValue = std::u16string(ExtTypeName(type_));
    for (int i = 0; i < ExtTypeCount; ++i)
        request.list.emplace_back(ExtTypeName(i));
    request.listCapacity = ExtTypeCount;
    if (RunValueSelectDlg(this, request) != 1 || !request.result) return;
    ChangeType(ExtTypeIndex(*request.result));
}

int RunExtItemsEditDlg(QWidget* parent, std::optional<std::u16string>& extItemsText) {
    CMainApp* app = App();
    CExtItemsEditDlg dialog(extItemsText, app ? app->settings.ItmSelMode : 1, parent);
    int result = dialog.exec();
    if (result == 1) extItemsText = dialog.result();
    return result == 1 ? 1 : 2;
}
