// The day view (view 1): the actions of ShownDate in the shared list control, one row
// each, then the "<新規作成>" row; single-day or multi-day mode by DayVwMltDayMode.
#include "views/MainWnd.h"

#include "core/DateTimeText.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "store/DataFileTables.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTreeWidget>

namespace {

QString Q(const std::u16string& text) {
    return ToQString(text);
}

} // namespace

void CMainWnd::SetDataDayView() {
    if (app_.settings.DayVwMltDayMode == 2)
        SetDataDayViewForMulti();
    else
        SetDataDayViewForSingle();
}

void CMainWnd::SetListFont(const std::u16string& name, int size) {
    if (name == listFontName_ && size == listFontSize_) return;
    listFontName_ = name;
    listFontSize_ = size;
    // An empty name is the desktop's UI font; -1 (what "<既定>" stores) and 0 its size.
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (!name.empty()) font.setFamily(Q(name));
    if (size != -1 && size != 0) font.setPixelSize(std::abs(size));
    list_->setFont(font);
}

void CMainWnd::SetDataDayViewForSingle() {
    DataFileTables* tables = OpenTables();
    DayViewData data;
    int rc = tables ? LoadDayViewSingle(HandleOf(this), *tables->userData, app_.actionIndex, app_.shownDate, data) : 0;
    dayData_ = rc == 0 ? std::move(data) : DayViewData{};
    FillDayViewRows();
}

void CMainWnd::SetDataDayViewForMulti() {
    DataFileTables* tables = OpenTables();
    DayViewData data;
    int rc = tables ? LoadDayViewMulti(HandleOf(this), *tables->userData, app_.actionIndex, app_.shownDate,
                                       app_.searchCondition, data)
                    : 0;
    dayData_ = rc == 0 ? std::move(data) : DayViewData{};
    FillDayViewRows();
}

void CMainWnd::FillDayViewRows() {
    list_->setUpdatesEnabled(false);
    SetListFont(app_.settings.DayVwGrdFntName, app_.settings.DayVwGrdFntSize);
    list_->clear();
    const AppSettings& s = app_.settings;
    list_->setColumnCount(5);
    list_->setHeaderLabels({QString::fromUtf16(u"日時"), Q(s.PlaceName), Q(s.Cate1Name), Q(s.MemoName), QString()});
    int w = list_->viewport()->width();
    const int initial[5] = {w / 4, w / 4, w / 4, 3 * w / 4, ScaleByDpi(100)};
    for (int c = 0; c < 5; ++c)
        list_->setColumnWidth(c, initial[c]);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(dayData_.rows.size()) + 1);
    for (const DayViewRow& row : dayData_.rows)
        items.push_back(new QTreeWidgetItem({Q(row.period), Q(row.place), Q(row.category1), Q(row.memo), QString()}));
    list_->addTopLevelItems(items);
    ApplyDayViewColumnWidths();
    list_->addTopLevelItem(
        new QTreeWidgetItem({QString::fromUtf16(u"<新規作成>"), QString(), QString(), QString(), QString()}));
    list_->setUpdatesEnabled(true);
    int selected = 0;
    for (size_t i = 0; i < dayData_.rows.size(); ++i)
        if (!app_.selectedActionId.empty() && dayData_.rows[i].id == app_.selectedActionId)
            selected = static_cast<int>(i);
    SelectListRow(selected);
    SetDateLabelToShownDate();
}

void CMainWnd::ApplyDayViewColumnWidths() {
    const auto& stored = IsPortrait() ? app_.settings.DayVwPrtColWdh : app_.settings.DayVwLndColWdh;
    int cap = 2 * list_->viewport()->width();
    for (int c = 0; c < 4; ++c) {
        int width = stored[static_cast<size_t>(c)];
        if (width >= 1) {
            list_->setColumnWidth(c, width);
        } else if (list_->topLevelItemCount() > 0) {
            FitColumnToTexts(c);
            // A few pixels of padding, so that neighbouring texts do not touch.
            list_->setColumnWidth(c, std::min(cap, list_->columnWidth(c) + ScaleByDpi(6)));
        }
    }
}

void CMainWnd::SaveDayViewColumnWidths() {
    if (dayData_.rows.empty() || list_->columnCount() < 4) return;
    auto& stored = IsPortrait() ? app_.settings.DayVwPrtColWdh : app_.settings.DayVwLndColWdh;
    for (int c = 0; c < 4; ++c)
        stored[static_cast<size_t>(c)] = list_->columnWidth(c);
}

// Selects and focuses the row; a row below the middle of the visible rows is
// scrolled to the middle.
void CMainWnd::SelectListRow(int row) {
    QTreeWidgetItem* item = list_->topLevelItem(row);
    if (!item) return;
    list_->clearSelection();
    list_->setCurrentItem(item);
    item->setSelected(true);
    int rowHeight = std::max(1, list_->visualItemRect(item).height());
    int visible = list_->viewport()->height() / rowHeight;
    if (row > visible / 2)
        list_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    else
        list_->scrollToTop();
}
