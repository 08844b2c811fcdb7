// The list view in the window: the page's rows, the "<新規作成>" row, the label.
#include "views/ListView.h"

#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "views/MainWnd.h"
#include "views/Navigation.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

CListView::CListView(CMainWnd& window) : window_(window) {}

long long CListView::TotalActions() {
    CMainApp& app = window_.app_;
    DataFileTables* tables = OpenTables();
    if (app.searchCondition.empty() || !tables) return app.actionIndex.count();
    UserDataTable& table = *tables->userData;
    long long total = app.actionIndex.count();
    if (SUCCEEDED(table.OpenQuery(u"select count(*) as f_i4Count from t_UserData", {"f_i4Count"}))) {
        std::vector<OptText> row;
        if (table.ReadNextRow(row) == S_OK && !row.empty() && row[0]) total = std::stoll(ToUtf8(*row[0]));
        table.CloseQuery();
    }
    return total;
}

void CListView::PrepareList() {
    CMainApp& app = window_.app_;
    QTreeWidget* list = window_.list_;
    window_.SetListFont(app.settings.LstVwGrdFntName, app.settings.LstVwGrdFntSize);
    list->clear();
    list->setColumnCount(2);
    list->setHeaderLabels({QString::fromUtf16(u"アクション"), QString()});
    int w = list->viewport()->width();
    list->setColumnWidth(0, 2 * w);
    list->setColumnWidth(1, ScaleByDpi(100));
}

void CListView::Fill() {
    CMainApp& app = window_.app_;
    QTreeWidget* list = window_.list_;
    list->setUpdatesEnabled(false);
    // The page size may follow the rows that fit: font and header come first.
    PrepareList();
    int pageSize = window_.ListPageSize();
    filledPageSize_ = pageSize;
    long long n = app.actionIndex.count();
    app.listPage = std::clamp(app.listPage, 0, LastListPage(n, pageSize));
    window_.dateLabel_->setText(ToQString(ListViewLabel(app.listPage, pageSize, n, TotalActions())));
    DataFileTables* tables = OpenTables();
    if (tables)
        LoadListPage(HandleOf(&window_), *tables->userData, app.actionIndex, app.listPage, pageSize,
                     app.settings.DayVwMltDayMode, page_);
    else
        page_ = ListPage{};
    page_.rows.resize(page_.ids.size());
    QList<QTreeWidgetItem*> items;
    int selected = 0;
    for (size_t i = 0; i < page_.rows.size(); ++i) {
        items.push_back(new QTreeWidgetItem({ToQString(page_.rows[i]), QString()}));
        if (!app.selectedActionId.empty() && page_.ids[i] == app.selectedActionId) selected = static_cast<int>(i);
    }
    items.push_back(new QTreeWidgetItem({QString::fromUtf16(u"<新規作成>"), QString()}));
    list->addTopLevelItems(items);
    list->setUpdatesEnabled(true);
    QTreeWidgetItem* item = list->topLevelItem(selected);
    list->clearSelection();
    list->setCurrentItem(item);
    item->setSelected(true);
    list->scrollToItem(item);
}

void CListView::OnResize() {
    if (filledPageSize_ > 0 && window_.ListPageSize() != filledPageSize_) Fill();
}

bool CListView::ActionOfRow(int row, std::u16string& id, long long& position) const {
    if (row < 0 || row >= static_cast<int>(page_.ids.size())) return false;
    id = page_.ids[static_cast<size_t>(row)];
    position = page_.first - row;
    return position >= 0;
}
