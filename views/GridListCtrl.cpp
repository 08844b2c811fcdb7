// The grid list control: item store, row walks, painting, pointer and keys, and the flick.
#include "views/GridListCtrl.h"

#include "core/Clock.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace {

// An own row height is taken within these bounds, so that a zero or a huge second word
// can neither stall the row walks nor overflow the pixel arithmetic.
constexpr int kMaxRowHeight = 1 << 20;
// The scroll offset stays well inside the int range whatever a flick computes.
constexpr double kMaxOffset = 1e9;
constexpr int kFlickStepMs = 20;
constexpr int kMaxFlickSteps = 201;
constexpr double kDeceleration = 0.002; // pixels per ms²

int Sign(int value) {
    return (value > 0) - (value < 0);
}

long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

} // namespace

CGridListCtrl::CGridListCtrl(QWidget* parent, std::uint32_t windowStyle) : QWidget(parent), windowStyle_(windowStyle) {
    setObjectName(QString::fromLatin1(kWindowClass));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    colors_ = {QColor(224, 224, 224), QColor(255, 255, 255), QColor(64, 96, 192), QColor(0, 0, 0),
               QColor(64, 96, 192),   QColor(240, 240, 240), QColor(0, 0, 0),     QColor(220, 220, 220),
               QColor(128, 128, 128), QColor(220, 220, 220), QColor(0, 0, 0)};
    QScreen* screen = QGuiApplication::primaryScreen();
    QSize size = screen ? screen->size() : QSize(240, 320);
    thresholdX_ = thresholdY_ = std::max(1, std::max(size.width(), size.height()) / 50);
    MeasureDefaultHeight();
    flickTimer_ = new QTimer(this);
    flickTimer_->setInterval(kFlickStepMs);
    flickTimer_->setTimerType(Qt::PreciseTimer);
    connect(flickTimer_, &QTimer::timeout, this, [this] { FlickStep(); });
}

CGridListCtrl::~CGridListCtrl() = default;

// ---- item store -------------------------------------------------------------------

int CGridListCtrl::DeleteAllItems() {
    items_.clear();
    top_ = 0;
    pressed_ = -1;
    update();
    return 0;
}

int CGridListCtrl::AppendItem(const GridListItem& item) {
    return InsertItem(GetItemCount(), item);
}

int CGridListCtrl::InsertItem(int index, const GridListItem& item) {
    if (index < 0 || index > GetItemCount()) return kGridBadIndex;
    // The array grows by 20 items at a time.
    if (items_.size() == items_.capacity()) items_.reserve(items_.capacity() + 20);
    items_.insert(items_.begin() + index, item);
    if (pressed_ >= index) ++pressed_;
    update();
    return 0;
}

int CGridListCtrl::DeleteItem(int index) {
    if (!Valid(index)) return kGridBadIndex;
    items_.erase(items_.begin() + index);
    if (pressed_ == index)
        pressed_ = -1;
    else if (pressed_ > index)
        --pressed_;
    if (top_ >= GetItemCount()) top_ = std::max(0, GetItemCount() - 1);
    update();
    return 0;
}

int CGridListCtrl::FindItemText(int start, const std::optional<QString>& text) const {
    for (int i = std::max(0, start); i < GetItemCount(); ++i)
        if (items_[i].text == text) return i;
    return -1;
}

long long CGridListCtrl::GetItemFlags(int index) const {
    return Valid(index) ? static_cast<long long>(items_[index].flags) : kGridBadIndexValue;
}

int CGridListCtrl::SetItemFlags(int index, std::uint32_t flags) {
    if (!Valid(index)) return kGridBadIndex;
    items_[index].flags = flags;
    update();
    return 0;
}

int CGridListCtrl::GetRowRect(int index, QRect* rect) const {
    if (!Valid(index) || !rect) return kGridBadIndex;
    *rect = QRect(0, 0, width(), GetRowHeight(index));
    return 0;
}

int CGridListCtrl::GetRowHeight(int index) const {
    if (index == -1) return defaultHeight_;
    if (!Valid(index)) return kGridBadIndexValue;
    return HeightAt(index);
}

int CGridListCtrl::SetRowHeight(int index, int height) {
    if (height < 1 || height > kMaxRowHeight) return kGridBadIndex;
    if (index == -1)
        defaultHeight_ = height;
    else if (Valid(index))
        items_[index].second = static_cast<std::uint32_t>(height);
    else
        return kGridBadIndex;
    update();
    return 0;
}

int CGridListCtrl::CopyItem(int index, GridListItem* out) const {
    if (!Valid(index) || !out) return kGridBadIndex;
    *out = items_[index];
    return 0;
}

int CGridListCtrl::ReplaceItem(int index, const GridListItem& item) {
    if (!Valid(index)) return kGridBadIndex;
    items_[index] = item;
    update();
    return 0;
}

int CGridListCtrl::FreeItem(GridListItem* item) {
    if (!item) return kGridBadIndex;
    *item = GridListItem{};
    return 0;
}

int CGridListCtrl::SetTopIndex(int index) {
    if (!Valid(index)) return kGridBadIndex;
    top_ = index;
    update();
    return 0;
}

int CGridListCtrl::SetPressedIndex(int index) {
    if (!Valid(index)) return kGridBadIndex;
    pressed_ = index;
    update();
    return 0;
}

int CGridListCtrl::SetColor(int slot, QColor color) {
    if (slot < 0 || slot >= kGridColorCount) return kGridBadIndex;
    colors_[slot] = color;
    update();
    return 0;
}

QColor CGridListCtrl::GetColor(int slot) const {
    return slot >= 0 && slot < kGridColorCount ? colors_[slot] : QColor();
}

int CGridListCtrl::SetOperation(int slot, GridDrawOp op) {
    if (slot < 0 || slot >= kGridOpCount) return kGridBadIndex;
    ops_[slot] = std::move(op);
    update();
    return 0;
}

GridDrawOp CGridListCtrl::GetOperation(int slot) const {
    return slot >= 0 && slot < kGridOpCount ? ops_[slot] : GridDrawOp{};
}

int CGridListCtrl::SetStyleBits(std::uint32_t mask, std::uint32_t bits) {
    style_ = (style_ & ~mask) | bits;
    ClampTopIndex();
    update();
    return 0;
}

int CGridListCtrl::EndPress() {
    // Qt's implicit grab ends with the button; only the flag needs clearing.
    pressedFlag_ = false;
    update();
    return 0;
}

void CGridListCtrl::SetWindowStyle(std::uint32_t style) {
    windowStyle_ = style;
    update();
}

// ---- row walks --------------------------------------------------------------------

int CGridListCtrl::HeightAt(long long position) const {
    long long index = Wrapped(position);
    if (!ValidPosition(index)) return defaultHeight_;
    const GridListItem& item = items_[static_cast<std::size_t>(index)];
    if (!(item.flags & kGridItemOwnHeight)) return defaultHeight_;
    return static_cast<int>(std::clamp<std::uint32_t>(item.second, 1, kMaxRowHeight));
}

long long CGridListCtrl::Wrapped(long long position) const {
    if (!Wraps()) return position;
    long long n = GetItemCount();
    return ((position % n) + n) % n;
}

long long CGridListCtrl::CycleHeight() const {
    long long cycle = 0;
    for (int i = 0; i < GetItemCount(); ++i)
        cycle += HeightAt(i);
    return cycle;
}

long long CGridListCtrl::PositionAt(long long distance, long long* rowStart) const {
    long long position = top_;
    long long start = 0;
    long long unused = 0;
    long long& found = rowStart ? *rowStart : unused;
    if (Wraps()) {
        // Whole turns of the wheel are skipped at once, so the walk below goes forward only.
        long long cycle = CycleHeight();
        long long turns = FloorDiv(distance, cycle);
        start = turns * cycle;
        position += turns * GetItemCount();
    }
    if (distance >= start) {
        for (;;) {
            if (!Wraps() && position >= GetItemCount()) {
                // Beyond the items every row has the default height.
                long long rows = (distance - start) / defaultHeight_;
                found = start + rows * defaultHeight_;
                return position + rows;
            }
            int h = HeightAt(position);
            if (distance < start + h) {
                found = start;
                return position;
            }
            start += h;
            ++position;
        }
    }
    for (position = top_ - 1;; --position) {
        if (position < 0) {
            long long rows = (start - distance + defaultHeight_ - 1) / defaultHeight_;
            found = start - rows * defaultHeight_;
            return position + 1 - rows;
        }
        start -= HeightAt(position);
        if (distance >= start) {
            found = start;
            return position;
        }
    }
}

int CGridListCtrl::RowAt(int distance) const {
    if (items_.empty()) return -1;
    long long position = PositionAt(distance);
    if (Wraps()) return static_cast<int>(Wrapped(position));
    return ValidPosition(position) ? static_cast<int>(position) : -1;
}

int CGridListCtrl::LastTopIndex() const {
    long long sum = 0;
    for (int i = GetItemCount() - 1; i >= 0; --i) {
        sum += HeightAt(i);
        if (sum > height()) return std::min(i + 1, GetItemCount() - 1);
    }
    return 0;
}

void CGridListCtrl::ClampTopIndex() {
    // With wrap-around every row may stand at the top (a wheel preset to its last values).
    if (Wraps()) {
        top_ = std::clamp(top_, 0, GetItemCount() - 1);
        return;
    }
    top_ = std::clamp(top_, 0, LastTopIndex());
}

void CGridListCtrl::MeasureDefaultHeight() {
    defaultHeight_ = std::max(1, QFontMetrics(font()).height());
}

// ---- painting ---------------------------------------------------------------------

void CGridListCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.fillRect(rect(), colors_[kGridBackground]);
    long long position = top_;
    int y = 0;
    if (scrollMode_) {
        long long rowStart = 0;
        position = PositionAt(scrollOffset_, &rowStart);
        y = static_cast<int>(rowStart - scrollOffset_);
    }
    bool drewRow = false;
    for (; y < height(); ++position) {
        int h = HeightAt(position);
        QRect row(0, y, width(), h);
        long long index = Wrapped(position);
        if (ValidPosition(index)) {
            int i = static_cast<int>(index);
            if (ops_[kGridOpDrawRow])
                ops_[kGridOpDrawRow](painter, i, row);
            else
                DrawRowDefault(painter, i, row);
            drewRow = true;
        } else {
            int i = static_cast<int>(std::clamp<long long>(index, INT_MIN, INT_MAX));
            if (ops_[kGridOpDrawEmpty])
                ops_[kGridOpDrawEmpty](painter, i, row);
            else
                DrawEmptyDefault(painter, i, row);
        }
        y += h;
    }
    // A flick that has carried every row out of sight has nothing left to show.
    if (scrollMode_ && !drewRow) stopRequest_ = true;
}

void CGridListCtrl::DrawRowDefault(QPainter& painter, int index, const QRect& rect) {
    if (!Valid(index)) return;
    bool pressed = pressedFlag_ && index == pressed_;
    QColor fill = colors_[pressed ? kGridPressedFill : kGridRowFill];
    QColor text = colors_[pressed ? kGridPressedText : kGridRowText];
    QColor shadow = colors_[pressed ? kGridPressedTextShadow : kGridRowTextShadow];
    QColor line = colors_[pressed ? kGridPressedSeparator : kGridRowSeparator];
    painter.fillRect(rect, fill);
    if (const std::optional<QString>& value = items_[index].text; value && !value->isEmpty()) {
        QRect area = rect.adjusted(2, 0, -2, 0);
        QString shown = LaidOutText(*value, area);
        if (style_ & kGridShadow) {
            painter.setPen(shadow);
            painter.drawText(area.translated(1, 1), TextFlags(), shown);
        }
        painter.setPen(text);
        painter.drawText(area, TextFlags(), shown);
    }
    painter.setPen(line);
    painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
}

void CGridListCtrl::DrawEmptyDefault(QPainter& painter, int, const QRect& rect) {
    painter.fillRect(rect, colors_[kGridBackground]);
}

int CGridListCtrl::TextFlags() const {
    int flags = 0;
    if (windowStyle_ & kGridTextCenter)
        flags |= Qt::AlignHCenter;
    else if (windowStyle_ & kGridTextRight)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (windowStyle_ & kGridTextVCenter)
        flags |= Qt::AlignVCenter;
    else if (windowStyle_ & kGridTextBottom)
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (windowStyle_ & kGridTextWordBreak)
        flags |= Qt::TextWordWrap;
    else if (windowStyle_ & kGridTextSingleLine)
        flags |= Qt::TextSingleLine;
    return flags; // no Qt::TextShowMnemonic: "&" is drawn as it is
}

QString CGridListCtrl::LaidOutText(const QString& text, const QRect& rect) const {
    if (windowStyle_ & kGridTextWordBreak) return text;
    QFontMetrics metrics(font());
    if (metrics.horizontalAdvance(text) <= rect.width()) return text;
    if (windowStyle_ & kGridTextEndEllipsis) return metrics.elidedText(text, Qt::ElideRight, rect.width());
    if (windowStyle_ & kGridTextWordEllipsis) {
        // Whole words are dropped from the end; a text without blanks is cut anywhere.
        const QString ellipsis = QStringLiteral("…");
        for (qsizetype cut = text.lastIndexOf(u' '); cut > 0; cut = text.lastIndexOf(u' ', cut - 1)) {
            QString shorter = text.left(cut) + ellipsis;
            if (metrics.horizontalAdvance(shorter) <= rect.width()) return shorter;
        }
        return metrics.elidedText(text, Qt::ElideRight, rect.width());
    }
    return text;
}

// ---- size, font, keys -------------------------------------------------------------

void CGridListCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ClampTopIndex();
}

void CGridListCtrl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        MeasureDefaultHeight();
        update();
    }
    QWidget::changeEvent(event);
}

void CGridListCtrl::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Home:
        top_ = 0;
        break;
    case Qt::Key_End:
        top_ = LastTopIndex();
        break;
    case Qt::Key_Up:
        if (top_ > 0) --top_;
        break;
    case Qt::Key_Down:
        if (top_ < GetItemCount() - 1) ++top_;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    update();
}

// ---- pointer ----------------------------------------------------------------------

void CGridListCtrl::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) return;
    if (flicking_) {
        // The press only stops the flick; it presses no row.
        stopRequest_ = true;
        pressStoppedFlick_ = true;
        return;
    }
    pressStoppedFlick_ = false;
    QPoint point = event->position().toPoint();
    pressed_ = RowAt(point.y());
    pressedFlag_ = true;
    down_ = current_ = turn_ = point;
    direction_ = 0;
    turnTick_ = Now();
    update();
}

void CGridListCtrl::mouseMoveEvent(QMouseEvent* event) {
    QPoint point = event->position().toPoint();
    if (scrollMode_ && !flicking_) {
        FollowPointer(point);
        return;
    }
    if (!pressedFlag_ || scrollMode_) return;
    QPoint moved = point - down_;
    if (std::abs(moved.x()) >= thresholdX_ || std::abs(moved.y()) >= thresholdY_) {
        scrollMode_ = true;
        direction_ = Sign(moved.y());
        current_ = point;
        scrollOffset_ = down_.y() - current_.y();
        update();
    }
}

void CGridListCtrl::FollowPointer(QPoint point) {
    int direction = Sign(point.y() - current_.y());
    if (direction != 0 && direction != direction_) {
        // The flick measures only the last stretch in one direction.
        direction_ = direction;
        turnTick_ = Now();
        turn_ = current_;
    }
    current_ = point;
    scrollOffset_ = down_.y() - current_.y();
    update();
}

void CGridListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    bool dragged = scrollMode_;
    int row = pressedFlag_ && !pressStoppedFlick_ ? pressed_ : -1;
    pressedFlag_ = false;
    pressStoppedFlick_ = false;
    if (!scrollMode_) {
        update();
    } else if (!flicking_) {
        if (event->position().toPoint() != current_) FollowPointer(event->position().toPoint());
        StartFlick(turn_.y() - current_.y(), static_cast<std::uint32_t>(Now() - turnTick_));
    }
    emit penReleased(row, dragged);
}

// ---- flick ------------------------------------------------------------------------

void CGridListCtrl::StartFlick(int distance, long long timeMs) {
    StopFlickTimer();
    emit flickStarted();
    scrollMode_ = true;
    stopRequest_ = false;
    // A release within the millisecond of the last turn would divide by zero.
    if (timeMs < 1) timeMs = 1;
    velocity_ = static_cast<double>(distance) / static_cast<double>(timeMs);
    decel_ = velocity_ > 0 ? -kDeceleration : kDeceleration;
    double steps = std::fabs(velocity_ / decel_) / kFlickStepMs;
    flickSteps_ = static_cast<int>(std::min(steps, static_cast<double>(kMaxFlickSteps)));
    flickStep_ = 0;
    flickBase_ = scrollOffset_;
    if (distance == 0) {
        Snap();
        return;
    }
    flicking_ = true;
    if (flickTimerEnabled_) flickTimer_->start();
}

bool CGridListCtrl::FlickStep() {
    if (!flicking_) return false;
    if (stopRequest_ || flickStep_ > flickSteps_ || flickStep_ >= kMaxFlickSteps) {
        Snap();
        return false;
    }
    ++flickStep_;
    double t = static_cast<double>(kFlickStepMs) * flickStep_;
    double s = velocity_ * t + decel_ * t * t / 2;
    scrollOffset_ = static_cast<int>(std::clamp(flickBase_ + s, -kMaxOffset, kMaxOffset));
    update();
    return true;
}

void CGridListCtrl::Snap() {
    StopFlickTimer();
    flicking_ = false;
    scrollMode_ = false;
    if (!items_.empty()) {
        long long position = PositionAt(scrollOffset_);
        if (Wraps())
            top_ = static_cast<int>(Wrapped(position));
        else
            top_ = static_cast<int>(std::clamp<long long>(position, 0, LastTopIndex()));
    }
    scrollOffset_ = 0;
    update();
    emit flickEnded();
}

void CGridListCtrl::StopFlickTimer() {
    flickTimer_->stop();
}

void CGridListCtrl::SetTickSource(std::function<std::uint32_t()> source) {
    tickSource_ = std::move(source);
}

void CGridListCtrl::SetFlickTimerEnabled(bool enabled) {
    flickTimerEnabled_ = enabled;
    if (!enabled)
        StopFlickTimer();
    else if (flicking_)
        flickTimer_->start();
}

std::uint32_t CGridListCtrl::Now() const {
    return tickSource_ ? tickSource_() : static_cast<std::uint32_t>(TickCountMs());
}
