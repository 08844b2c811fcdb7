// The month view in the window: the grid's geometry and painting, the weekday
// headers, and the day list box.
#include "views/MonthView.h"

#include "core/Clock.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "store/DataFileTables.h"
#include "views/MainWnd.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QToolBar>

CMonthView::CMonthView(CMainWnd& window) : window_(window) {
    window_.monthList_->viewport()->installEventFilter(this);
    CreateMenu();
}

CMonthView::~CMonthView() = default;

bool CMonthView::IsPortrait() const {
    return window_.height() > window_.width();
}

CMonthView::Geometry CMonthView::GridArea() const {
    int strip = window_.dateLabel_->geometry().bottom() + 1;
    Geometry g;
    g.y0 = strip + ScaleByDpi(15);
    if (IsPortrait()) {
        // The grid spans the window's width, as the weekday headers do.
        g.x0 = 0;
        g.cw = window_.width() / 7;
        g.ch = ScaleByDpi(126) / 6;
    } else {
        g.x0 = window_.width() - ScaleByDpi(160);
        g.cw = ScaleByDpi(160) / 7;
        int toolBar = (ProgramDpi() + 2) * 24 / 96 * (window_.app_.settings.ToolBarVwMode - 1);
        g.ch = (ScaleByDpi(160) - toolBar) / 6;
    }
    return g;
}

void CMonthView::LayOut() {
    Geometry g = GridArea();
    int strip = window_.dateLabel_->geometry().bottom() + 1;
    for (int k = 0; k < 7; ++k)
        window_.monthHeaders_[static_cast<size_t>(k)]->setGeometry(g.x0 + k * g.cw, strip, g.cw, g.y0 - strip);
    int bottom =
        window_.toolBar_->isHidden() ? window_.softKeyBar_->geometry().top() : window_.toolBar_->geometry().top();
    if (IsPortrait()) {
        int top = g.y0 + 6 * g.ch + 2;
        window_.monthList_->setGeometry(0, top, window_.width(), std::max(0, bottom - top));
    } else {
        window_.monthList_->setGeometry(0, strip, std::max(0, g.x0 - 2), std::max(0, bottom - strip));
    }
}

int CMonthView::CellAt(QPoint at) const {
    Geometry g = GridArea();
    if (at.x() < g.x0 || at.y() < g.y0 || g.cw < 1 || g.ch < 1) return -1;
    int row = (at.y() - g.y0) / g.ch, column = (at.x() - g.x0) / g.cw;
    if (row > 5 || column > 6) return -1;
    return row * 7 + column;
}

QRect CMonthView::CellRect(int cell) const {
    Geometry g = GridArea();
    int r = cell / 7, k = cell % 7;
    return QRect(QPoint(g.x0 + k * g.cw + 1, g.y0 + r * g.ch + 1),
                 QPoint(g.x0 + (k + 1) * g.cw - 1, g.y0 + (r + 1) * g.ch - 1));
}

void CMonthView::Fill() {
    CMainApp& app = window_.app_;
    const ShownDate& d = app.shownDate;
    PrepareMonthGrid(app.actionIndex, d.year, d.month, grid_);
    FillDayList();
    window_.dateLabel_->setText(
        QString::asprintf("%04d/%02d/%02d - %d(%lld)", d.year, d.month, d.day, grid_.total, app.actionIndex.count()));
    LayOut();
    window_.update();
}

void CMonthView::FillDayList() {
    CMainApp& app = window_.app_;
    QListWidget* list = window_.monthList_;
    list->setUpdatesEnabled(false);
    QFont font(ToQString(app.settings.MthVwLstFntName));
    font.setPixelSize(std::max(1, std::abs(app.settings.MthVwLstFntSize)));
    list->setFont(font);
    list->clear();
    DataFileTables* tables = OpenTables();
    if (!tables || LoadMonthDayList(HandleOf(&window_), *tables->userData, app.actionIndex, app.shownDate,
                                    app.settings.DayVwMltDayMode, dayList_) != 0)
        dayList_.lines.resize(dayList_.ids.size());
    for (const std::u16string& line : dayList_.lines)
        list->addItem(ToQString(line));
    list->addItem(QString::fromUtf16(u"<新規作成>"));
    list->setUpdatesEnabled(true);
    for (size_t i = 0; i < dayList_.ids.size(); ++i) {
        if (app.selectedActionId.empty() || dayList_.ids[i] != app.selectedActionId) continue;
        // The selected action comes to about the middle of the box.
        int row = static_cast<int>(i);
        int lineHeight = std::max(1, list->sizeHintForRow(0));
        int visible = std::max(1, list->viewport()->height() / lineHeight);
        int top = std::clamp(row - visible / 2, 0, list->count() - 1);
        list->scrollToItem(list->item(top), QAbstractItemView::PositionAtTop);
        list->item(row)->setSelected(true);
        list->setCurrentRow(row, QItemSelectionModel::NoUpdate);
        break;
    }
}

void CMonthView::Paint(QPainter& painter) {
    const AppSettings& s = window_.app_.settings;
    Geometry g = GridArea();
    painter.setPen(Qt::black);
    for (int k = 0; k <= 6; ++k)
        painter.drawLine(g.x0, g.y0 + k * g.ch, g.x0 + 7 * g.cw, g.y0 + k * g.ch);
    for (int k = 0; k <= 7; ++k)
        painter.drawLine(g.x0 + k * g.cw, g.y0, g.x0 + k * g.cw, g.y0 + 6 * g.ch);
    int dpi = ProgramDpi();
    QFont dayFont(ToQString(s.MthVwGrdFntName));
    dayFont.setPixelSize((dpi * 18 + 48) / 96);
    dayFont.setWeight(QFont::Normal);
    // In narrow cells the day number gives up size so that the count beside it stays legible.
    while (dayFont.pixelSize() > 8 && QFontMetrics(dayFont).horizontalAdvance(QStringLiteral("28")) > g.cw * 6 / 10)
        dayFont.setPixelSize(dayFont.pixelSize() - 1);
    QFont countFont(ToQString(s.MthVwGrdFntName));
    countFont.setPixelSize((dpi + 4) * 12 / 96);
    countFont.setWeight(QFont::Normal);
    LocalDateTime now = LocalNow();
    bool thisMonth = grid_.year == now.year && grid_.month == now.month;
    const ShownDate& shown = window_.app_.shownDate;
    int selected = -1;
    for (int cell = 0; cell < 42; ++cell) {
        const MonthCell& c = grid_.cells[static_cast<size_t>(cell)];
        QRect r = CellRect(cell);
        QColor back = Qt::white, text(100, 100, 100);
        int column = cell % 7;
        if (!c.inMonth)
            back = QColor(160, 160, 160);
        else if (thisMonth && c.day == now.day)
            back = QColor(255, 96, 96), text = Qt::white;
        else if (column == 0)
            back = QColor(255, 128, 128);
        else if (column == 6)
            back = QColor(128, 128, 255);
        painter.fillRect(r, back);
        painter.setPen(text);
        painter.setFont(dayFont);
        painter.drawText(r, Qt::AlignLeft | Qt::AlignTop, QString::number(c.day));
        if (c.count > 0) {
            painter.setPen(Qt::black);
            painter.setFont(countFont);
            painter.drawText(r, Qt::AlignRight | Qt::AlignBottom, QString::number(c.count));
        }
        if (c.inMonth && c.day == shown.day) selected = cell;
    }
    if (selected >= 0) {
        // One pixel outside the cell, on the grid lines, and the cell's own edge.
        painter.setPen(QPen(QColor(0, 0, 160), 1));
        painter.setBrush(Qt::NoBrush);
        QRect r = CellRect(selected).adjusted(-1, -1, 1, 1);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.drawRect(r.adjusted(1, 1, -2, -2));
    }
}
