// CMainWnd's controls, soft keys, menu, toolbar, layout and input events.
#include "views/MainWnd.h"

#include "core/Clock.h"
#include "core/DiaryCalendar.h"
#include "core/ProgramIcon.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/SoftKeyBar.h"
#include "core/WidgetId.h"
#include "resources/ToolBarIcons.h"
#include "views/CommandIds.h"
#include "views/ListView.h"
#include "views/MapView.h"
#include "views/MonthView.h"
#include "views/WeekView.h"
#include "views/WeekdayButton.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QBoxLayout>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const char16_t* const kWeekdayHeaders[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

// The shared report list. Selecting a row never scrolls sideways: a click in the wide
// memo column would otherwise push the date, place and category columns out of sight.
class ReportList : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    void scrollTo(const QModelIndex& index, ScrollHint hint) override {
        int x = horizontalScrollBar()->value();
        QTreeWidget::scrollTo(index, hint);
        horizontalScrollBar()->setValue(x);
    }
};

// Navigation buttons in strip order (after the weekday buttons).
constexpr int kNavIds[5] = {Cmd::PrevWeek, Cmd::PrevDay, Cmd::Today, Cmd::NextDay, Cmd::NextWeek};
const char16_t* const kNavTexts[5] = {u"《", u"<", u"・", u">", u"》"};

} // namespace

int MenuBarHeight() {
    static int height = ScaleByDpi(26);
    return height;
}

CMainWnd::CMainWnd(CMainApp& app, QWidget* parent) : QWidget(parent), app_(app) {
    setObjectName(QStringLiteral("TIDELOG"));
    setWindowTitle(QStringLiteral("Tidemark"));
    setWindowIcon(ProgramIcon());
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    int dpi = ProgramDpi();
    smallFont_ = QFont(Q(kDefaultFontName));
    smallFont_.setPixelSize((dpi + 4) * 12 / 96);
    largeFont_ = QFont(Q(kDefaultFontName));
    largeFont_.setPixelSize((dpi + 3) * 16 / 96);
    setFont(smallFont_);
    CreateControls();
    CreateSoftKeys();
    CreateMenu();
    CreateToolBar();
    weekView_ = std::make_unique<CWeekView>(*this);
    monthView_ = std::make_unique<CMonthView>(*this);
    listView_ = std::make_unique<CListView>(*this);
    mapView_ = std::make_unique<CMapView>(*this);
    // The view keys work wherever the focus is in the window.
    qApp->installEventFilter(this);
    // The keyboard's way to the soft-key menu, as on other desktop programs.
    for (int key : {int(Qt::Key_F10), int(Qt::Key_Menu)}) {
        auto* menuKey = new QShortcut(QKeySequence(key), this);
        connect(menuKey, &QShortcut::activated, this, [this] { OnCommand(Cmd::SoftKeyMenu); });
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        if (popupState_ == Popup::None) return;
        ClosePopups();
        list_->setFocus();
    });
    // Below this the date strip's text and buttons no longer fit.
    setMinimumSize(ScaleByDpi(240), ScaleByDpi(240));
    resize(ScaleByDpi(240), ScaleByDpi(320));
    screenWidth_ = width();
    screenHeight_ = height();
}

CMainWnd::~CMainWnd() = default;

void CMainWnd::CreateControls() {
    dateLabel_ = new QLabel(this);
    SetId(dateLabel_, Cmd::DateLabel);
    dateLabel_->setAlignment(Qt::AlignCenter);
    dateLabel_->installEventFilter(this);
    for (int k = 0; k < 7; ++k) {
        weekday_[k] = new CWeekdayButton(k, this);
        connect(weekday_[k], &QAbstractButton::clicked, this, [this, k] { OnCommand(Cmd::WeekdaySun + k); });
    }
    for (int i = 0; i < 5; ++i) {
        nav_[i] = new QPushButton(Q(kNavTexts[i]), this);
        SetId(nav_[i], kNavIds[i]);
        nav_[i]->setFocusPolicy(Qt::NoFocus);
        int id = kNavIds[i];
        connect(nav_[i], &QPushButton::clicked, this, [this, id] { OnCommand(id); });
    }
    corner_ = new QLabel(this);
    SetId(corner_, 1073);
    corner_->setFrameShape(QFrame::Box);
    for (int k = 0; k < 7; ++k) {
        monthHeaders_[k] = new QLabel(Q(kWeekdayHeaders[k]), this);
        SetId(monthHeaders_[k], 1063 + k);
        monthHeaders_[k]->setAlignment(Qt::AlignCenter);
    }
    list_ = new ReportList(this);
    SetId(list_, Cmd::ListControl);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->header()->setStretchLastSection(true);
    list_->header()->setMinimumSectionSize(1);
    list_->installEventFilter(this);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { OpenSelected(); });
    monthList_ = new QListWidget(this);
    SetId(monthList_, Cmd::MonthList);
    monthList_->setSelectionMode(QAbstractItemView::MultiSelection);
    pageSelector_ = new QComboBox(this);
    SetId(pageSelector_, Cmd::PageSelector);
    pageSelector_->hide();
    connect(pageSelector_, &QComboBox::activated, this, [this](int index) {
        ClosePopups();
        app_.listPage = index;
        RefillView();
    });
    calendar_ = new QCalendarWidget(this);
    SetId(calendar_, Cmd::MonthCalendar);
    calendar_->setFont(largeFont_);
    calendar_->setGridVisible(true);
    SetUpDiaryCalendar(calendar_);
    calendar_->setMinimumDate(QDate(1900, 1, 1));
    CreateCalendarHeading();
    // The large font would otherwise widen the day columns beyond a narrow window.
    if (auto* days = calendar_->findChild<QTableView*>()) {
        days->horizontalHeader()->setMinimumSectionSize(1);
        days->verticalHeader()->setMinimumSectionSize(1);
    }
    calendar_->hide();
    auto picked = [this](QDate date) {
        calendar_->hide();
        popupState_ = Popup::None;
        tapAndHold_ = false;
        app_.shownDate = {date.year(), date.month(), date.day()};
        RefillView();
        update();
    };
    connect(calendar_, &QCalendarWidget::clicked, this, picked);
    connect(calendar_, &QCalendarWidget::activated, this, picked);
    okButton_ = new QPushButton(QStringLiteral("ok"), this);
    SetId(okButton_, Cmd::Ok);
    okButton_->setFocusPolicy(Qt::NoFocus);
    connect(okButton_, &QPushButton::clicked, this, [this] { OnCommand(Cmd::Ok); });
    okButton_->hide();
}

// The calendar's own heading puts the month before the year ("12月 2026"); this one
// reads "2026年12月" between the month buttons.
void CMainWnd::CreateCalendarHeading() {
    calendar_->setNavigationBarVisible(false);
    auto* bar = new QWidget(calendar_);
    bar->setObjectName(QStringLiteral("calendarHeading"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(2, 2, 2, 2);
    auto* previous = new QToolButton(bar);
    previous->setArrowType(Qt::LeftArrow);
    previous->setAutoRaise(true);
    previous->setFocusPolicy(Qt::NoFocus);
    auto* next = new QToolButton(bar);
    next->setArrowType(Qt::RightArrow);
    next->setAutoRaise(true);
    next->setFocusPolicy(Qt::NoFocus);
    calendarHeading_ = new QLabel(bar);
    calendarHeading_->setAlignment(Qt::AlignCenter);
    row->addWidget(previous);
    row->addWidget(calendarHeading_, 1);
    row->addWidget(next);
    if (auto* column = qobject_cast<QVBoxLayout*>(calendar_->layout())) column->insertWidget(0, bar);
    connect(previous, &QToolButton::clicked, calendar_, &QCalendarWidget::showPreviousMonth);
    connect(next, &QToolButton::clicked, calendar_, &QCalendarWidget::showNextMonth);
    auto heading = [this](int year, int month) {
        calendarHeading_->setText(QStringLiteral("%1年%2月").arg(year).arg(month));
    };
    connect(calendar_, &QCalendarWidget::currentPageChanged, this, heading);
    heading(calendar_->yearShown(), calendar_->monthShown());
}

void CMainWnd::CreateSoftKeys() {
    softKeyBar_ = NewSoftKeyBar(this);
    softNew_ = WithId(NewSoftKey(Q(u"新規作成"), softKeyBar_), Cmd::SoftKeyNew);
    softMenu_ = WithId(NewSoftKey(Q(u"メニュー"), softKeyBar_), Cmd::SoftKeyMenu);
    connect(softNew_, &QPushButton::clicked, this, [this] { OnCommand(Cmd::SoftKeyNew); });
    connect(softMenu_, &QPushButton::clicked, this, [this] { OnCommand(Cmd::SoftKeyMenu); });
}

void CMainWnd::CreateMenu() {
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("menu103"));
    auto item = [this](QMenu* into, const char16_t* text, int id) {
        QAction* action = into->addAction(Q(text));
        SetId(action, id);
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        return action;
    };
    QMenu* file = menu_->addMenu(Q(u"ファイル"));
    item(file, u"エクスポート...", Cmd::FileExport);
    item(file, u"インポート...", Cmd::FileImport);
    QMenu* edit = menu_->addMenu(Q(u"編集"));
    item(edit, u"新規作成...", Cmd::EditNew);
    item(edit, u"変更...", Cmd::EditChange);
    item(edit, u"参照...", Cmd::EditCopy);
    item(edit, u"後続...", Cmd::EditFollow);
    item(edit, u"地図表示", Cmd::EditWebMap);
    item(edit, u"移動", Cmd::EditMoveMap);
    item(edit, u"削除", Cmd::EditDelete);
    QMenu* view = menu_->addMenu(Q(u"表示"));
    item(view, u"1日", Cmd::ViewDay);
    item(view, u"1週間", Cmd::ViewWeek);
    item(view, u"1ヶ月", Cmd::ViewMonth);
    item(view, u"一覧", Cmd::ViewList);
    item(view, u"マップ", Cmd::ViewMap);
    item(view, u"今日", Cmd::ViewToday);
    item(view, u"日またがり", Cmd::ViewMultiDay);
    toolBarCheck_ = item(view, u"ツールバー", Cmd::ViewToolBar);
    toolBarCheck_->setCheckable(true);
    QMenu* tool = menu_->addMenu(Q(u"ツール"));
    item(tool, u"レコーダー...", Cmd::ToolRecorder);
    item(tool, u"検索...", Cmd::ToolFind);
    item(tool, u"検索解除", Cmd::ToolClearFind);
    item(tool, u"オプション...", Cmd::ToolOption);
    item(tool, u"バージョン情報...", Cmd::ToolAbout);
    item(menu_, u"終了", Cmd::Exit);
    // Shortcuts, shown in the menu; the actions also belong to the window so that
    // their keys work while the menu is closed.
    const std::pair<int, QKeySequence> keys[] = {
        {Cmd::FileExport, QKeySequence(QStringLiteral("Ctrl+E"))},
        {Cmd::FileImport, QKeySequence(QStringLiteral("Ctrl+I"))},
        {Cmd::EditNew, QKeySequence(QStringLiteral("Ctrl+N"))},
        {Cmd::EditDelete, QKeySequence(Qt::Key_Delete)},
        {Cmd::ViewDay, QKeySequence(QStringLiteral("Ctrl+1"))},
        {Cmd::ViewWeek, QKeySequence(QStringLiteral("Ctrl+2"))},
        {Cmd::ViewMonth, QKeySequence(QStringLiteral("Ctrl+3"))},
        {Cmd::ViewList, QKeySequence(QStringLiteral("Ctrl+4"))},
        {Cmd::ViewMap, QKeySequence(QStringLiteral("Ctrl+5"))},
        {Cmd::ViewToday, QKeySequence(QStringLiteral("Ctrl+T"))},
        {Cmd::ToolRecorder, QKeySequence(QStringLiteral("Ctrl+R"))},
        {Cmd::ToolFind, QKeySequence(QStringLiteral("Ctrl+F"))},
        {Cmd::ToolOption, QKeySequence(QStringLiteral("Ctrl+P"))},
        {Cmd::ToolAbout, QKeySequence(QStringLiteral("Ctrl+A"))},
        {Cmd::Exit, QKeySequence(QStringLiteral("Ctrl+Q"))},
    };
    for (const auto& [id, key] : keys) {
        auto* action = menu_->findChild<QAction*>(QStringLiteral("id%1").arg(id));
        if (!action) continue;
        action->setShortcut(key);
        addAction(action);
    }
}

void CMainWnd::CreateToolBar() {
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    int side = (ProgramDpi() + 3) * 16 / 96;
    toolBar_->setIconSize(QSize(side, side));
    struct Button {
        int image;
        const char16_t* text;
        int id;
    };
    const Button buttons[] = {{11, u"1日", Cmd::ViewDay},
                              {12, u"1週間", Cmd::ViewWeek},
                              {13, u"1ヶ月", Cmd::ViewMonth},
                              {14, u"一覧", Cmd::ViewList},
                              {15, u"マップ", Cmd::ViewMap},
                              {16, u"今日", Cmd::ViewToday},
                              {0, nullptr, 0},
                              {4, u"新規作成", Cmd::EditNew},
                              {5, u"削除", Cmd::EditDelete},
                              {6, u"検索", Cmd::ToolFind}};
    for (const Button& b : buttons) {
        if (!b.text) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* action = toolBar_->addAction(QIcon(ToolBarImage(b.image, side)), Q(b.text));
        action->setObjectName(QStringLiteral("tool%1").arg(b.id));
        int id = b.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    toolBar_->hide();
}

void CMainWnd::ApplyOkButtonMode() {
    okButton_->setVisible(app_.settings.OkBtnVwMode == 2);
    LayOut();
}

void CMainWnd::Start(int initView, int dayMultiMode) {
    app_.settings.DayVwMltDayMode = dayMultiMode;
    okButton_->setVisible(app_.settings.OkBtnVwMode == 2);
    toolBar_->setVisible(app_.settings.ToolBarVwMode == 2);
    toolBarCheck_->setChecked(app_.settings.ToolBarVwMode == 2);
    SelectView(initView >= 1 && initView <= 5 ? initView : 1);
}

bool CMainWnd::IsPortrait() const {
    return height() > width();
}

void CMainWnd::LayOut() {
    // Laid out for at least the minimum size: a smaller window clips instead of squeezing.
    int w = std::max(width(), minimumWidth()), h = std::max(height(), minimumHeight());
    // isHidden, not isVisible: before the window is first shown no child is visible.
    int top = okButton_->isHidden() ? 0 : ScaleByDpi(18);
    int r = ScaleByDpi(25), bw = ScaleByDpi(14);
    int bar = MenuBarHeight();
    int tool = toolBar_->isHidden() ? 0 : toolBar_->sizeHint().height();
    int bottom = h - bar - tool;
    okButton_->setGeometry(w - ScaleByDpi(30), 0, ScaleByDpi(30), top);
    softKeyBar_->setGeometry(0, h - bar, w, bar);
    softNew_->setGeometry(0, 0, w / 2, bar);
    softMenu_->setGeometry(w / 2, 0, w - w / 2, bar);
    toolBar_->setGeometry(0, bottom, w, tool);
    // A wide window keeps the buttons beside the date; the rest of the strip stays empty.
    int dateWidth = dateLabel_->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + ScaleByDpi(8);
    int labelWidth = std::clamp(w - 12 * bw, ScaleByDpi(48), std::max(ScaleByDpi(72), dateWidth));
    // Without the weekday buttons (month and list views) the label takes their room.
    bool weekdays = app_.currentView == 1 || app_.currentView == 2 || app_.currentView == 5;
    int shownLabelWidth = weekdays ? labelWidth : labelWidth + 7 * bw;
    dateLabel_->setGeometry(0, top, shownLabelWidth, r);
    pageSelector_->setGeometry(0, top, std::max(shownLabelWidth, ScaleByDpi(80)), r);
    for (int k = 0; k < 7; ++k)
        weekday_[k]->setGeometry(labelWidth + bw * k, top, bw, r);
    for (int i = 0; i < 5; ++i)
        nav_[i]->setGeometry(labelWidth + bw * (7 + i), top, bw, r);
    int headerHeight = ScaleByDpi(15);
    corner_->setGeometry(0, top + r, w / 7, headerHeight);
    for (int k = 0; k < 7; ++k)
        monthHeaders_[k]->setGeometry(k * w / 7, top + r, (k + 1) * w / 7 - k * w / 7, headerHeight);
    int listTop = top + r;
    QRect listRect(0, listTop, w, std::max(0, bottom - listTop));
    LayOutMap(listRect);
    list_->setGeometry(listRect);
    int monthListTop = std::min(top + ScaleByDpi(141), bottom);
    monthList_->setGeometry(0, monthListTop, w, std::max(0, bottom - monthListTop));
    QSize calendarSize = calendar_->minimumSizeHint().expandedTo(calendar_->sizeHint());
    calendar_->setGeometry(0, top + r, std::min(calendarSize.width(), w),
                           std::min(calendarSize.height(), bottom - top - r));
    LayOutView();
}

void CMainWnd::LayOutMap(QRect& listRect) {
    // Upright, the plot spans the width above the list. On its side the window is too
    // low for both one above the other: the plot takes the left of the whole height and
    // the list the rest of the width beside it.
    if (IsPortrait()) {
        mapPlotRect_ = QRect(0, listRect.top(), listRect.width(), ScaleByDpi(160));
        if (app_.currentView == 5) listRect.setTop(listRect.top() + ScaleByDpi(160));
        return;
    }
    int plotWidth = std::min(ScaleByDpi(240), listRect.width() * 3 / 5);
    mapPlotRect_ = QRect(0, listRect.top(), plotWidth, std::max(listRect.height(), ScaleByDpi(100)));
    if (app_.currentView == 5) listRect.setLeft(plotWidth);
}

void CMainWnd::LayOutView() {
    if (!weekView_) return;
    if (app_.currentView == 2)
        weekView_->PlaceBars();
    else
        weekView_->HideBars();
    if (app_.currentView == 3) monthView_->LayOut();
    if (app_.currentView == 4) listView_->OnResize();
}

void CMainWnd::ShowControlsForView() {
    int view = app_.currentView;
    bool weekdays = view == 1 || view == 2 || view == 5;
    for (auto* button : weekday_)
        button->setVisible(weekdays);
    bool month = view == 3;
    for (auto* header : monthHeaders_)
        header->setVisible(month);
    corner_->setVisible(false);
    monthList_->setVisible(month);
    list_->setVisible(view == 1 || view == 4 || view == 5);
    // The list view pages with "|<" and ">|" where the other views step by weeks.
    nav_[0]->setText(view == 4 ? QStringLiteral("|<") : Q(u"《"));
    nav_[4]->setText(view == 4 ? QStringLiteral(">|") : Q(u"》"));
    LayOut();
}

void CMainWnd::SetDateLabelToShownDate() {
    const ShownDate& d = app_.shownDate;
    dateLabel_->setText(QString::asprintf("%04d/%02d/%02d", d.year, d.month, d.day));
    int weekday = WeekdayOf(d.year, d.month, d.day);
    for (int k = 0; k < 7; ++k)
        weekday_[k]->SetCurrent(k == weekday);
}

void CMainWnd::resizeEvent(QResizeEvent*) {
    // Without a window manager nothing enforces the minimum size: ask for it again.
    if (isWindow() && (width() < minimumWidth() || height() < minimumHeight()))
        QTimer::singleShot(0, this, [this] { resize(size().expandedTo(minimumSize())); });
    LayOut();
}

void CMainWnd::closeEvent(QCloseEvent* event) {
    ClosePopups();
    if (app_.currentView == 1) SaveDayViewColumnWidths();
    if (app_.currentView == 5) mapView_->SaveColumnWidths();
    event->accept();
}

bool CMainWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dateLabel_ && event->type() == QEvent::MouseButtonPress) {
        OnCommand(Cmd::DateLabel);
        return true;
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)
        return OnViewKey(watched, static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

// The keys are taken before the focused control sees them, as the handheld's message
// loop took them before translation: Left and Right in every view, Up and Down in the
// week and month views; in the day, list and map views Up and Down go to the list.
bool CMainWnd::OnViewKey(QObject* target, QKeyEvent* key) {
    auto* widget = qobject_cast<QWidget*>(target);
    if (forwardingKey_ || !widget || widget->window() != this || popupState_ != Popup::None) return false;
    int view = app_.currentView;
    bool press = key->type() == QEvent::KeyPress;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (view != 1 && view != 4 && view != 5) return false;
        if (press) OpenSelected();
        return true;
    }
    bool upDown = key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
    bool leftRight = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right;
    if (!upDown && !leftRight) return false;
    if (upDown && (view == 1 || view == 4 || view == 5)) {
        if (widget == list_ || widget == list_->viewport()) return false;
        list_->setFocus();
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat());
        forwardingKey_ = true;
        QApplication::sendEvent(list_, &copy);
        forwardingKey_ = false;
        return true;
    }
    if (!press && !key->isAutoRepeat()) OnArrowKey(key->key());
    return true;
}

void CMainWnd::mousePressEvent(QMouseEvent* event) {
    // The map view drags with the left button; a hold still pops up its menu.
    if (app_.currentView == 5 && event->button() == Qt::LeftButton) mapView_->Press(event->position().toPoint());
    hold_.Press(this, event, [this](QPoint at) {
        tapAndHold_ = true;
        if (app_.currentView == 2) weekView_->HoldBackground(at);
        if (app_.currentView == 3) monthView_->HoldGrid(at);
        if (app_.currentView == 5 && mapView_->PlotArea().contains(at)) mapView_->Hold(at);
    });
}

void CMainWnd::mouseMoveEvent(QMouseEvent* event) {
    if (app_.currentView == 5) mapView_->Move(event->position().toPoint());
}

void CMainWnd::mouseReleaseEvent(QMouseEvent* event) {
    bool tap = hold_.Release(event);
    tapAndHold_ = false;
    if (tap && app_.currentView == 3) monthView_->TapGrid(event->position().toPoint());
    if (app_.currentView == 5) mapView_->Release(event->position().toPoint());
}

void CMainWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (app_.currentView == 2) weekView_->Paint(painter);
    if (app_.currentView == 3) monthView_->Paint(painter);
    if (app_.currentView == 5) mapView_->Paint(painter);
}

// The column as wide as its widest text or its header, as resizeColumnToContents
// makes it, measured with the list font's metrics alone: the style's layout of every
// item took most of the fill of a day of 500 actions.
void CMainWnd::FitColumnToTexts(int column) {
    QFontMetrics metrics(list_->font());
    int widest = 0;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(list_->topLevelItem(i)->text(column)));
    int margin = list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 1;
    list_->setColumnWidth(column, std::max(widest + 2 * margin, list_->header()->sectionSizeHint(column)));
}

void CMainWnd::WidenColumnToItem(int row, int column) {
    QModelIndex index = list_->model()->index(row, column);
    if (!index.isValid()) return;
    // The width the list's own painting asks for, padding and focus frame included.
    QStyleOptionViewItem option;
    option.initFrom(list_);
    option.widget = list_;
    option.font = list_->font();
    option.fontMetrics = list_->fontMetrics();
    int needed = list_->itemDelegateForIndex(index)->sizeHint(option, index).width();
    if (list_->columnWidth(column) < needed) list_->setColumnWidth(column, needed);
}
