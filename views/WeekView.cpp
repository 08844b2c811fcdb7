// The week view in the window: reading the week, the pool of bars (ids 10000 + k)
// and the painting of the rows, the four-hour lines and the day numbers.
#include "views/WeekView.h"

#include "core/DateTimeText.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/WidgetId.h"
#include "store/DataFileTables.h"
#include "views/MainWnd.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>

CWeekBar::CWeekBar(int id, QWidget* parent) : QWidget(parent) {
    SetId(this, id);
    setFocusPolicy(Qt::NoFocus);
    resize(10, 10);
}

void CWeekBar::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void CWeekBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(32, 64, 224));
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(QColor(224, 224, 224));
    painter.setFont(font());
    painter.drawText(rect().adjusted(1, 0, -1, 0), Qt::AlignCenter | Qt::TextSingleLine, text_);
}

void CWeekBar::mousePressEvent(QMouseEvent* event) {
    hold_.Press(this, event, [this](QPoint at) {
        if (onHold) onHold(this, at);
    });
}

void CWeekBar::mouseReleaseEvent(QMouseEvent* event) {
    if (hold_.Release(event) && rect().contains(event->position().toPoint()) && onTap) onTap(this);
}

CWeekView::CWeekView(CMainWnd& window) : window_(window) {
    CreateMenus();
}

CWeekView::~CWeekView() = default;

QFont CWeekView::ViewFont() const {
    const AppSettings& s = window_.app_.settings;
    QFont font(ToQString(s.WekVwGrdFntName));
    font.setPixelSize(std::max(1, std::abs(s.WekVwGrdFntSize)));
    return font;
}

CWeekView::Geometry CWeekView::Area() const {
    Geometry g;
    g.top = window_.dateLabel_->geometry().bottom() + 1;
    int bottom =
        window_.toolBar_->isHidden() ? window_.softKeyBar_->geometry().top() : window_.toolBar_->geometry().top();
    g.height = std::max(0, bottom - g.top);
    g.rowHeight = g.height / 7;
    g.left = ScaleByDpi(20);
    g.right = window_.width();
    return g;
}

void CWeekView::Fill() {
    const ShownDate& d = window_.app_.shownDate;
    DateValue start = DateValue::FromFields(d.year, d.month, d.day) - DateSpan::FromParts(3, 0, 0, 0);
    DataFileTables* tables = OpenTables();
    if (tables)
        DbReadWeekData(HandleOf(&window_), *tables->userData, window_.app_.actionIndex, start, data_);
    else
        data_ = WeekData{};
    int y, m, day;
    if (start.ToDate(y, m, day)) window_.dateLabel_->setText(ToQString(FormatDateText(y, m, day)));
    PlaceBars();
}

CWeekBar* CWeekView::BarAt(size_t k) {
    while (bars_.size() <= k) {
        auto* bar = new CWeekBar(10000 + static_cast<int>(bars_.size()), &window_);
        bar->onTap = [this](CWeekBar* b) { TapBar(b); };
        bar->onHold = [this](CWeekBar* b, QPoint at) { HoldBar(b, at); };
        bar->hide();
        bars_.push_back(bar);
    }
    return bars_[k];
}

void CWeekView::HideBars() {
    for (CWeekBar* bar : bars_)
        bar->hide();
}

void CWeekView::PlaceBars() {
    Geometry g = Area();
    QFont font = ViewFont();
    size_t used = 0;
    for (size_t i = 0; i < data_.entries.size(); ++i) {
        const WeekEntry& entry = data_.entries[i];
        BarRect r = WeekBarRect(entry, data_, g.left, g.right, g.top, g.rowHeight);
        if (!r.shown) continue;
        CWeekBar* bar = BarAt(used++);
        bar->entry = static_cast<int>(i);
        bar->setFont(font);
        bar->SetText(ToQString(entry.subject));
        bar->setGeometry(r.x, r.y, r.width, r.height);
        bar->show();
    }
    for (size_t k = used; k < bars_.size(); ++k) {
        bars_[k]->hide();
        bars_[k]->entry = -1;
    }
}

std::vector<CWeekBar*> CWeekView::shownBars() const {
    std::vector<CWeekBar*> shown;
    for (CWeekBar* bar : bars_)
        if (!bar->isHidden()) shown.push_back(bar);
    return shown;
}

void CWeekView::Paint(QPainter& painter) {
    Geometry g = Area();
    int bottom = g.top + g.height;
    painter.setFont(ViewFont());
    painter.fillRect(QRect(0, g.top, g.left, g.height), QColor(224, 128, 255));
    painter.setPen(Qt::black);
    painter.drawLine(g.left, g.top, g.left, bottom);
    painter.drawLine(0, g.top, g.right, g.top);
    QPen dashed(QColor(0, 0, 255), 1, Qt::DashLine);
    painter.setPen(dashed);
    int step = (g.right - g.left) / 6;
    for (int k = 1; k <= 6; ++k)
        painter.drawLine(g.left + k * step, g.top, g.left + k * step, bottom);
    painter.setPen(Qt::black);
    DateValue start = data_.weekStart;
    for (int row = 0; row < 7; ++row) {
        int y = g.top + (row + 1) * g.rowHeight;
        painter.drawLine(0, y, g.right, y);
        int yy, mm, dd;
        if ((start + DateSpan::FromParts(row, 0, 0, 0)).ToDate(yy, mm, dd))
            painter.drawText(QRect(0, y - g.rowHeight, g.left, g.rowHeight), Qt::AlignCenter, QString::number(dd));
    }
}
