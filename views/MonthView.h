// The month view (view 3): a six-week grid of ShownDate's month with the number of
// actions starting on each day, and the list box of the selected day's actions below
// it (portrait) or beside it (landscape). Counting and the list's lines are in
// MonthViewData; the window's part (layout, painting, the list box) in MonthView.cpp;
// taps, holds and menu 104 in MonthViewInput.cpp.
#pragma once

#include "views/MonthViewData.h"
#include "views/TapAndHold.h"

#include <QObject>
#include <QRect>

class CMainWnd;
class QMenu;
class QPainter;

class CMonthView : public QObject {
public:
    explicit CMonthView(CMainWnd& window);
    ~CMonthView() override;

    // Prepares the grid of ShownDate's month, fills the day list and sets the label.
    void Fill();
    // Places the weekday headers and the list box for the window's shape.
    void LayOut();
    void Paint(QPainter& painter);

    // Taps and holds on the window inside the grid (window coordinates).
    void TapGrid(QPoint at);
    void HoldGrid(QPoint at);
    // The cell under a point, -1 outside the grid.
    int CellAt(QPoint at) const;
    QRect CellRect(int cell) const;

    // The action of a day-list line; false for "<新規作成>" and beyond.
    bool ActionOfLine(int line, std::u16string& id, long long& position) const;
    // The selected lines, "<新規作成>" left out.
    std::vector<int> SelectedLines() const;

    const MonthGrid& grid() const { return grid_; }
    const MonthDayList& dayList() const { return dayList_; }
    QMenu* cellMenu() const { return cellMenu_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Geometry {
        int x0, y0, cw, ch;
    };
    Geometry GridArea() const;
    bool IsPortrait() const;
    void CreateMenu();
    void FillDayList();
    void SelectDay(int cell);
    void TapLine(int line);
    void HoldLine(int line, QPoint at);

    CMainWnd& window_;
    MonthGrid grid_;
    MonthDayList dayList_;
    TapAndHold listHold_;
    int heldCell_ = -1;
    QMenu* cellMenu_ = nullptr; // 104
};
