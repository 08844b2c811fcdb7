// The week view (view 2): seven day rows from three days before ShownDate, the time of
// day running left to right, each action a tappable bar in the row of its start day,
// overlapping actions stacked in lanes. Reading and lanes are in WeekViewData; the
// window's part (bars, painting) in WeekView.cpp; taps, holds and the menus in
// WeekViewInput.cpp.
#pragma once

#include "views/TapAndHold.h"
#include "views/WeekViewData.h"

#include <QRect>
#include <QWidget>

#include <functional>
#include <vector>

class CMainWnd;
class QMenu;
class QPainter;

// One bar: filled RGB(32, 64, 224) with its text centred on one line in RGB(224, 224, 224).
class CWeekBar : public QWidget {
public:
    CWeekBar(int id, QWidget* parent);
    void SetText(const QString& text);
    QString text() const { return text_; }
    std::function<void(CWeekBar*)> onTap;
    std::function<void(CWeekBar*, QPoint)> onHold; // the point in the bar's coordinates
    int entry = -1;                                // index into the week's entries

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString text_;
    TapAndHold hold_;
};

class CWeekView {
public:
    explicit CWeekView(CMainWnd& window);
    ~CWeekView();

    // Reads the week around ShownDate, places the bars and sets the date label.
    void Fill();
    // Places the bars for the current size (after a fill or a resize).
    void PlaceBars();
    void HideBars();
    void Paint(QPainter& painter);
    // A hold on the window's background: menu 105.
    void HoldBackground(QPoint at);

    const WeekData& data() const { return data_; }
    // The bars of the pool that are shown, in entry order.
    std::vector<CWeekBar*> shownBars() const;
    QMenu* barMenu() const { return barMenu_; }
    QMenu* backgroundMenu() const { return backgroundMenu_; }

private:
    struct Geometry {
        int top, height, rowHeight, left, right;
    };
    Geometry Area() const;
    QFont ViewFont() const;
    void CreateMenus();
    void TapBar(CWeekBar* bar);
    void HoldBar(CWeekBar* bar, QPoint at);
    void OnBarMenu(int command);
    CWeekBar* BarAt(size_t k);

    CMainWnd& window_;
    WeekData data_;
    std::vector<CWeekBar*> bars_;
    int heldRow_ = -1;
    QMenu* barMenu_ = nullptr;        // 106
    QMenu* backgroundMenu_ = nullptr; // 105
};
