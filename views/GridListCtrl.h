// The grid list control (window class "INERT_LIST_VIEW"): a finger-scrolled list of
// text rows drawn by the control itself. Rows can be dragged, flicked so that they keep
// scrolling and slow down, and optionally wrap around so that the first row follows the
// last (a wheel picker). The value selection and time selection dialogs fill it with
// values and read back the top row or the pressed row.
//
// Invariants: the top index is one of the items (0 while there are none); the scroll offset is
// the content shift in pixels (positive: later rows move up) and is 0 outside scroll
// mode. The flick runs on a 20 ms timer of the UI thread, so painting never meets a
// half-applied step; its time measurement comes from a tick source tests can replace.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QPainter;

// Style bits of the control (SetStyleBits); the other bits are kept for the owner.
inline constexpr std::uint32_t kGridWrapAround = 2;
inline constexpr std::uint32_t kGridShadow = 4;

// Text layout bits of the window style (constructor, SetWindowStyle).
inline constexpr std::uint32_t kGridTextCenter = 1;
inline constexpr std::uint32_t kGridTextRight = 2;
inline constexpr std::uint32_t kGridTextVCenter = 4;
inline constexpr std::uint32_t kGridTextBottom = 8;
inline constexpr std::uint32_t kGridTextWordBreak = 16;
inline constexpr std::uint32_t kGridTextSingleLine = 32;
inline constexpr std::uint32_t kGridTextEndEllipsis = 64;
inline constexpr std::uint32_t kGridTextWordEllipsis = 128;

// Item flag: the item's second word holds its own row height.
inline constexpr std::uint32_t kGridItemOwnHeight = 2;

// Colour slots, in order.
enum GridColorSlot {
    kGridBackground = 0,
    kGridRowText = 1,
    kGridSlot2 = 2,
    kGridRowTextShadow = 3,
    kGridRowFill = 4,
    kGridRowSeparator = 5,
    kGridPressedText = 6,
    kGridSlot7 = 7,
    kGridPressedTextShadow = 8,
    kGridPressedFill = 9,
    kGridPressedSeparator = 10,
    kGridColorCount = 11
};

// The notifications to the parent, also sent as the signals flickStarted / flickEnded.
inline constexpr int kGridFlickStartNotify = 0x500;
inline constexpr int kGridFlickEndNotify = 0x501;

// Result codes of the operations: an index outside the items.
inline constexpr int kGridBadIndex = -1;
// Getters that answer a value (flags, row height) answer this for a bad index.
inline constexpr int kGridBadIndexValue = -100;

struct GridListItem {
    std::uint32_t flags = 0;
    std::uint32_t second = 0; // the row height when flags has kGridItemOwnHeight
    std::optional<QString> text;
};

// The replaceable drawing operations. A row operation draws item `index` (always one of
// the items) into `rect`; the empty-area operation fills a row beyond the items
// (index is that row's position, outside 0 … count − 1). An empty function stands for
// the control's own drawing.
using GridDrawOp = std::function<void(QPainter& painter, int index, const QRect& rect)>;
enum GridOpSlot { kGridOpDrawRow = 0, kGridOpDrawEmpty = 1, kGridOpCount = 2 };

class CGridListCtrl : public QWidget {
    Q_OBJECT
public:
    // The window class name; also the objectName until the owner gives the control its id.
    static constexpr const char* kWindowClass = "INERT_LIST_VIEW";

    explicit CGridListCtrl(QWidget* parent = nullptr,
                           std::uint32_t windowStyle = kGridTextVCenter | kGridTextSingleLine);
    ~CGridListCtrl() override;

    // Item store. Each returns 0, or kGridBadIndex for an index outside the items.
    int DeleteAllItems();
    int AppendItem(const GridListItem& item);
    int InsertItem(int index, const GridListItem& item); // before index; index = count appends
    int DeleteItem(int index);
    // Index of the first item at or after start (negative counts as 0) whose text equals
    // the text (an absent text matches only an absent one); -1 when none.
    int FindItemText(int start, const std::optional<QString>& text) const;
    // The flags, or kGridBadIndexValue.
    long long GetItemFlags(int index) const;
    int SetItemFlags(int index, std::uint32_t flags);
    int GetItemCount() const { return static_cast<int>(items_.size()); }
    // (0, 0, client width, row height).
    int GetRowRect(int index, QRect* rect) const;
    // The item's own height when it has one, else the default; -1 asks for the default.
    // kGridBadIndexValue for another index outside the items.
    int GetRowHeight(int index) const;
    // Sets the item's second word, or the default height for -1. A height below 1 is
    // refused (kGridBadIndex): the walks and the painting step by row heights.
    int SetRowHeight(int index, int height);
    int CopyItem(int index, GridListItem* out) const;
    int ReplaceItem(int index, const GridListItem& item);
    static int FreeItem(GridListItem* item);

    int GetTopIndex() const { return top_; }
    int SetTopIndex(int index); // ignored (kGridBadIndex) outside the items
    int GetPressedIndex() const { return pressed_; }
    int SetPressedIndex(int index); // ignored (kGridBadIndex) outside the items

    int SetColor(int slot, QColor color); // kGridBadIndex for a slot outside 0 … 10
    QColor GetColor(int slot) const;      // invalid colour for a bad slot

    int SetOperation(int slot, GridDrawOp op); // kGridBadIndex for a bad slot
    GridDrawOp GetOperation(int slot) const;
    // The control's own drawing, for operations that only add to it.
    void DrawRowDefault(QPainter& painter, int index, const QRect& rect);
    void DrawEmptyDefault(QPainter& painter, int index, const QRect& rect);

    int GetScrollMode() const { return scrollMode_ ? 1 : 0; }
    // style bits = (style bits and not mask) or bits.
    int SetStyleBits(std::uint32_t mask, std::uint32_t bits);
    std::uint32_t GetStyleBits(std::uint32_t mask) const { return style_ & mask; }
    // Pressed flag off, pointer capture released.
    int EndPress();

    void SetWindowStyle(std::uint32_t style);
    std::uint32_t WindowStyle() const { return windowStyle_; }

    // Row at a vertical distance from the top of the top row (negative: above it);
    // with wrap-around the index runs round, without it -1 beyond the items.
    int RowAt(int distance) const;
    // The top index that shows the last row at the bottom (0 when all rows fit).
    int LastTopIndex() const;
    bool IsPressed() const { return pressedFlag_; }
    int ScrollOffset() const { return scrollOffset_; }
    int DragThresholdX() const { return thresholdX_; }
    int DragThresholdY() const { return thresholdY_; }

    // The flick. StartFlick is what a button-up in scroll mode calls.
    void StartFlick(int distance, long long timeMs);
    bool IsFlicking() const { return flicking_; }
    // One 20 ms step of a running flick; false once the flick has ended.
    bool FlickStep();
    int FlickStepsDone() const { return flickStep_; }
    // Tests drive the clock of the flick measurement and step the flick themselves.
    void SetTickSource(std::function<std::uint32_t()> source);
    void SetFlickTimerEnabled(bool enabled);

signals:
    void flickStarted(); // 0x500
    void flickEnded();   // 0x501
    // The button went up: the row pressed by it (-1 when it pressed none, also when it
    // only stopped a flick) and whether it dragged the list.
    void penReleased(int row, bool dragged);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool Valid(int index) const { return index >= 0 && index < GetItemCount(); }
    bool ValidPosition(long long position) const { return position >= 0 && position < GetItemCount(); }
    bool Wraps() const { return (style_ & kGridWrapAround) != 0 && !items_.empty(); }
    // Height of a row position; outside the items the default (or the wrapped item's).
    int HeightAt(long long position) const;
    long long Wrapped(long long position) const;
    // Row position at a distance from the top row, not limited to the items.
    // rowStart receives the distance at which that row begins.
    long long PositionAt(long long distance, long long* rowStart = nullptr) const;
    long long CycleHeight() const;
    void FollowPointer(QPoint point);
    void MeasureDefaultHeight();
    void ClampTopIndex();
    void Snap();
    void StopFlickTimer();
    std::uint32_t Now() const;
    int TextFlags() const;
    QString LaidOutText(const QString& text, const QRect& rect) const;

    std::vector<GridListItem> items_;
    std::uint32_t style_ = 0;
    std::uint32_t windowStyle_;
    int top_ = 0;
    int pressed_ = -1;
    bool pressedFlag_ = false;
    bool pressStoppedFlick_ = false;
    bool scrollMode_ = false;
    int thresholdX_ = 1;
    int thresholdY_ = 1;
    int scrollOffset_ = 0;
    double flickBase_ = 0; // the scroll offset the flick started from
    QPoint down_, current_, turn_;
    int direction_ = 0;
    std::uint32_t turnTick_ = 0;
    bool flicking_ = false;
    bool stopRequest_ = false;
    bool flickTimerEnabled_ = true;
    double velocity_ = 0;
    double decel_ = 0;
    int flickSteps_ = 0; // n
    int flickStep_ = 0;  // k of the last step run
    int defaultHeight_ = 1;
    std::array<QColor, kGridColorCount> colors_;
    std::array<GridDrawOp, kGridOpCount> ops_;
    std::function<std::uint32_t()> tickSource_;
    QTimer* flickTimer_ = nullptr; // child of the control
};
