// The find dialog's controls, field editors and its two endings (run and close).
#include "find/FindDlg.h"

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
#include "find/FindFields.h"
#include "find/SearchRun.h"
#include "store/DataFileTables.h"
#include "views/MainWnd.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace {

QString Q(std::u16string_view text) {
    return ToQString(text);
}

std::u16string TodayText() {
    LocalDateTime now = LocalNow();
    return FormatDateText(now.year, now.month, now.day);
}

} // namespace

SearchValues& FindDialogState() {
    static SearchValues state;
    return state;
}

CFindDlg::CFindDlg(CMainApp& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName(QStringLiteral("FindDlg"));
    setWindowTitle(Q(u"検索"));
    setModal(true);
    setFont(DialogFont());
    CreateControls();
    resize(parent ? parent->size() : QSize(ScaleByDpi(240), ScaleByDpi(320)));
    OnInitDialog();
}

void CFindDlg::CreateControls() {
    title_ = WithId(new QLabel(Q(u"検索"), this), kIdTitle);
    QFont bold = font();
    bold.setBold(true);
    title_->setFont(bold);
    WithId(new QLabel(Q(u"検索文字列:"), this), kIdTextLabel)->setGeometry(ScaledRect(4, 22, 120, 16));
    textCombo_ = WithId(new QComboBox(this), kIdTextCombo);
    textCombo_->setEditable(true);
    textCombo_->setInsertPolicy(QComboBox::NoInsert);
    // No inline completion from the history: Return searches for exactly what was
    // typed, also when it begins an older search text.
    textCombo_->setCompleter(nullptr);
    textStatic_ = TapField(this, kIdTextStatic);
    auto* group = WithId(new QGroupBox(Q(u"検索対象"), this), kIdGroup);
    group->setGeometry(ScaledRect(4, 64, 232, 52));
    for (int i = 0; i < 4; ++i) {
        fields_[i] = WithId(new QCheckBox(group), kIdPlace + i);
        fields_[i]->setGeometry(ScaledRect(6 + (i % 2) * 114, 16 + (i / 2) * 17, 110, 16));
    }
    startLabel_ = WithId(new QLabel(this), kIdStartLabel);
    endLabel_ = WithId(new QLabel(this), kIdEndLabel);
    startDate_ = TapField(this, kIdStartDate);
    startTime_ = TapField(this, kIdStartTime);
    endDate_ = TapField(this, kIdEndDate);
    endTime_ = TapField(this, kIdEndTime);
    startToday_ = WithId(new QPushButton(Q(u"・"), this), kIdStartToday);
    endToday_ = WithId(new QPushButton(Q(u"・"), this), kIdEndToday);
    listAfter_ = WithId(new QCheckBox(Q(u"検索終了後、一覧形式にて表示する"), this), kIdListAfter);
    clear_ = WithId(new QPushButton(Q(u"クリア"), this), kIdClear);
    close_ = WithId(new QPushButton(Q(u"閉じる"), this), kIdClose);
    timeEditor_ = WithId(new QComboBox(this), kIdTimeEditor);
    timeEditor_->setEditable(true);
    timeEditor_->setInsertPolicy(QComboBox::NoInsert);
    timeEditor_->setCompleter(nullptr);
    timeEditor_->hide();
    calendar_ = WithId(new QCalendarWidget(this), kIdCalendar);
    calendar_->setGridVisible(true);
    SetUpDiaryCalendar(calendar_);
    UseSmallCalendarFont(calendar_);
    calendar_->hide();
    softKeyBar_ = NewSoftKeyBar(this);
    softRun_ = WithId(NewSoftKey(Q(u"検索"), softKeyBar_), kIdRun);
    softMenu_ = WithId(NewSoftKey(Q(u"メニュー"), softKeyBar_), kIdSoftMenu);
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("menu116"));
    for (auto [text, id] : {std::pair{u"検索", kIdRun}, {u"クリア", kIdClear}, {u"閉じる", kIdClose}}) {
        QAction* action = menu_->addAction(Q(text));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id = id] { OnCommand(id); });
    }
    // Return in the search text is the keyboard's "検索", as in any search box.
    connect(textCombo_->lineEdit(), &QLineEdit::returnPressed, this, [this] { OnCommand(kIdRun); });
    for (auto [button, id] : {std::pair{startToday_, kIdStartToday},
                              {endToday_, kIdEndToday},
                              {clear_, kIdClear},
                              {close_, kIdClose},
                              {softRun_, kIdRun},
                              {softMenu_, kIdSoftMenu}}) {
        // Return in an editor must not press a button ("・" would overwrite a date).
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, id = id] { OnCommand(id); });
    }
    // Choosing or typing a time hands the keyboard back to its field, so Tab goes on from there.
    auto commit = [this] {
        QLabel* field = FieldOf(editedField_);
        if (CommitTimeEditor() == 0 && field) field->setFocus();
    };
    connect(timeEditor_, &QComboBox::activated, this, commit);
    connect(timeEditor_->lineEdit(), &QLineEdit::returnPressed, this, commit);
    connect(calendar_, &QCalendarWidget::clicked, this, &CFindDlg::OnDateChosen);
    connect(calendar_, &QCalendarWidget::activated, this, &CFindDlg::OnDateChosen);
}

void CFindDlg::LayOut() {
    title_->setGeometry(ScaledRect(4, 2, 232, 18));
    textCombo_->setGeometry(ScaledRect(4, 38, 232, 22));
    textStatic_->setGeometry(ScaledRect(4, 38, 232, 22));
    startLabel_->setGeometry(ScaledRect(4, 120, 232, 16));
    startDate_->setGeometry(ScaledRect(4, 136, 96, 20));
    startTime_->setGeometry(ScaledRect(104, 136, 80, 20));
    startToday_->setGeometry(ScaledRect(188, 136, 24, 20));
    endLabel_->setGeometry(ScaledRect(4, 160, 232, 16));
    endDate_->setGeometry(ScaledRect(4, 176, 96, 20));
    endTime_->setGeometry(ScaledRect(104, 176, 80, 20));
    endToday_->setGeometry(ScaledRect(188, 176, 24, 20));
    listAfter_->setGeometry(ScaledRect(4, 202, 232, 18));
    clear_->setGeometry(ScaledRect(4, 226, 70, 24));
    close_->setGeometry(ScaledRect(80, 226, 70, 24));
    int bar = MenuBarHeight();
    softKeyBar_->setGeometry(0, height() - bar, width(), bar);
    softRun_->setGeometry(0, 0, width() / 2, bar);
    softMenu_->setGeometry(width() / 2, 0, width() - width() / 2, bar);
}

void CFindDlg::OnInitDialog() {
    const AppSettings& s = app_.settings;
    const std::u16string* names[4] = {&s.PlaceName, &s.Cate1Name, &s.Cate2Name, &s.MemoName};
    for (int i = 0; i < 4; ++i)
        fields_[i]->setText(Q(*names[i]));
    startLabel_->setText(Q(u"検索" + s.StaDtTmName + u"："));
    endLabel_->setText(Q(u"検索" + s.EndDtTmName + u"："));
    bool bySelection = s.ItmSelMode == 2;
    textCombo_->setVisible(!bySelection);
    textStatic_->setVisible(bySelection);
    for (const std::u16string& entry : s.lists.Find)
        if (!entry.empty()) textCombo_->addItem(Q(entry));
    QString last = s.lists.Find.empty() ? QString() : Q(s.lists.Find.front());
    textCombo_->setEditText(last);
    textStatic_->setText(last);
    listAfter_->setChecked(s.DispListAfterFind == 1);
    ShowState();
    LayOut();
}

void CFindDlg::ShowState() {
    const SearchValues& state = FindDialogState();
    for (int i = 0; i < 4; ++i)
        fields_[i]->setChecked(state.fieldMask & (1 << i));
    startDate_->setText(Q(state.startDate));
    endDate_->setText(Q(state.endDate));
    startTime_->setText(Q(state.startTime));
    endTime_->setText(Q(state.endTime));
    endTime_->setEnabled(state.startTime != kAllDayEntry);
}

QLabel* CFindDlg::FieldOf(int id) const {
    switch (id) {
    case kIdStartDate:
        return startDate_;
    case kIdStartTime:
        return startTime_;
    case kIdEndDate:
        return endDate_;
    case kIdEndTime:
        return endTime_;
    default:
        return nullptr;
    }
}

void CFindDlg::OnCommand(int id) {
    // A tap anywhere else first closes the open time editor (when its text is a time)
    // and the calendar.
    if (editedField_ != 0 && id != editedField_) {
        if (timeEditor_->isVisible() && CommitTimeEditor() != 0) return;
        calendar_->hide();
        editedField_ = 0;
    }
    switch (id) {
    case kIdRun:
        OnBtnRun();
        break;
    case kIdClose:
        OnBtnClose();
        break;
    case kIdStartDate:
    case kIdEndDate:
        OnDateField(id);
        break;
    case kIdStartTime:
    case kIdEndTime:
        if (app_.settings.ItmSelMode == 2)
            OnTimeFieldBySelection(id);
        else
            OnTimeField(id);
        break;
    case kIdStartToday:
        startDate_->setText(Q(TodayText()));
        break;
    case kIdEndToday:
        endDate_->setText(Q(TodayText()));
        break;
    case kIdClear:
        OnClear();
        break;
    case kIdTextStatic:
        OnTextBySelection();
        break;
    case kIdSoftMenu:
        PopUpAbove(menu_, softMenu_);
        break;
    default:
        break;
    }
}

void CFindDlg::OnDateField(int id) {
    if (editedField_ == id) {
        calendar_->hide();
        editedField_ = 0;
        return;
    }
    QLabel* field = FieldOf(id);
    int y, m, d;
    std::u16string text = FromQString(field->text());
    if (ParseDateText(text, y, m, d) != 0) {
        LocalDateTime now = LocalNow();
        y = now.year, m = now.month, d = now.day;
    }
    calendar_->setSelectedDate(QDate(y, m, d));
    PlaceCalendar(field);
    calendar_->show();
    calendar_->raise();
    calendar_->setFocus();
    editedField_ = id;
}

// The calendar spans the dialog below the field, or above it when the room below is
// short, never under the soft keys; its smaller font keeps all seven days in view.
void CFindDlg::PlaceCalendar(QLabel* field) {
    int margin = ScaleByDpi(4);
    int bottom = softKeyBar_->y();
    int h = std::min(calendar_->sizeHint().height(), bottom);
    int y = field->geometry().bottom() + 1;
    if (y + h > bottom) y = field->geometry().top() - h;
    y = std::max(0, std::min(y, bottom - h));
    calendar_->setGeometry(margin, y, width() - 2 * margin, h);
}

void CFindDlg::reject() {
    // Escape first closes an open calendar or time list, then the dialog.
    if (editedField_ != 0) {
        QLabel* field = FieldOf(editedField_);
        calendar_->hide();
        timeEditor_->hide();
        editedField_ = 0;
        if (field) field->setFocus();
        return;
    }
    OnCommand(kIdClose);
}

void CFindDlg::OnDateChosen() {
    QLabel* field = FieldOf(editedField_);
    QDate date = calendar_->selectedDate();
    if (field) field->setText(Q(FormatDateText(date.year(), date.month(), date.day())));
    calendar_->hide();
    editedField_ = 0;
    if (field) field->setFocus();
}

void CFindDlg::OnTimeField(int id) {
    if (editedField_ == id) return;
    bool start = id == kIdStartTime;
    QLabel* field = FieldOf(id);
    timeEditor_->clear();
    timeEditor_->addItem(QString());
    if (start) timeEditor_->addItem(Q(kAllDayEntry));
    for (const std::u16string& time : MakeTimePickList())
        timeEditor_->addItem(Q(time));
    QString text = field->text();
    if (text.isEmpty())
        timeEditor_->setCurrentIndex(timeEditor_->findText(QStringLiteral("12:00")));
    else
        timeEditor_->setEditText(text);
    timeEditor_->setGeometry(field->geometry().adjusted(0, 0, ScaleByDpi(24), 0));
    timeEditor_->show();
    timeEditor_->raise();
    timeEditor_->setFocus();
    editedField_ = id;
}

int CFindDlg::CommitTimeEditor() {
    if (!timeEditor_->isVisible() || editedField_ == 0) return 0;
    std::u16string shown;
    bool start = editedField_ == kIdStartTime;
    if (CheckFindTimeEntry(HandleOf(this), FromQString(timeEditor_->currentText()), start, shown) != 0) {
        timeEditor_->setFocus();
        return -1;
    }
    int field = editedField_;
    timeEditor_->hide();
    editedField_ = 0;
    SetTimeField(field, shown);
    return 0;
}

void CFindDlg::SetTimeField(int id, const std::u16string& text) {
    if (text == kAllDayEntry) {
        // All day takes both times, so the end time is not editable meanwhile.
        startTime_->setText(Q(text));
        endTime_->setText(Q(text));
        endTime_->setEnabled(false);
        return;
    }
    FieldOf(id)->setText(Q(text));
    if (id == kIdStartTime && !endTime_->isEnabled()) {
        endTime_->setText(QString());
        endTime_->setEnabled(true);
    }
}

void CFindDlg::OnTimeFieldBySelection(int id) {
    bool start = id == kIdStartTime;
    TimeSelectRequest request;
    request.title = start ? u"開始時刻" : u"終了時刻";
    request.extraCaption = u"終日";
    request.showExtra = true;
    request.hour = 12;
    int h, m, s;
    std::u16string text = FromQString(FieldOf(id)->text());
    if (ParseTimeText(text, h, m, s) == 0) request.hour = h, request.minute = m;
    if (RunTimeSelectDlg(this, request) != 1) return;
    if (request.resultHour > 24)
        SetTimeField(id, kAllDayEntry);
    else
        SetTimeField(id, FormatHourMinute(request.resultHour, request.resultMinute));
}

void CFindDlg::OnTextBySelection() {
    ValueSelectRequest request;
    request.title = u"検索文字列";
    request.initialValue = FromQString(textStatic_->text());
    request.list = app_.settings.lists.Find;
    request.listCapacity = kFindCapacity;
    if (RunValueSelectDlg(this, request) == 1 && request.result) textStatic_->setText(Q(*request.result));
}

void CFindDlg::OnClear() {
    textCombo_->setEditText(QString());
    textStatic_->setText(QString());
    SearchValues& state = FindDialogState();
    state = SearchValues{};
    ShowState();
}

std::u16string CFindDlg::SearchText() const {
    return FromQString(app_.settings.ItmSelMode == 2 ? textStatic_->text() : textCombo_->currentText());
}

void CFindDlg::SaveState() {
    SearchValues& state = FindDialogState();
    state.startDate = FromQString(startDate_->text()).substr(0, 10);
    state.endDate = FromQString(endDate_->text()).substr(0, 10);
    state.startTime = FromQString(startTime_->text()).substr(0, 8);
    state.endTime = FromQString(endTime_->text()).substr(0, 8);
    state.fieldMask = 0;
    for (int i = 0; i < 4; ++i)
        if (fields_[i]->isChecked()) state.fieldMask |= 1 << i;
    state.text = SearchText();
    app_.settings.DispListAfterFind = listAfter_->isChecked() ? 1 : 0;
    AddToFindHistory(app_.settings.lists.Find, state.text);
}

void CFindDlg::OnBtnRun() {
    if (CommitTimeEditor() != 0) return;
    SaveState();
    DataFileTables* tables = OpenTables();
    if (!tables) {
        ShowMessage(HandleOf(this), u"検索中にエラーが発生しました。", u"検索エラー", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (RunSearch(HandleOf(this), *tables->userData, app_.actionIndex, FindDialogState(), app_.searchCondition) == 0)
        done(1);
}

void CFindDlg::OnBtnClose() {
    if (CommitTimeEditor() != 0) return;
    SaveState();
    done(0);
}

int RunFindDlg(CMainWnd& window) {
    CFindDlg dialog(window.app(), &window);
    return dialog.exec() == 1 ? 1 : 0;
}
