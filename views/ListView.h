// The list view (view 4): the actions of the index, newest first, a page at a time in
// the shared report list, one text per row; the page label in the date label.
// Reading a page is in ListViewData; the window's part here.
#pragma once

#include "views/ListViewData.h"

class CMainWnd;

class CListView {
public:
    explicit CListView(CMainWnd& window);

    void Fill();
    // Refills when the rows that fit a page changed with the window's size.
    void OnResize();
    // Font, columns and header of the list, which decide the rows that fit a page.
    void PrepareList();
    // The action of a row of the page; false for "<新規作成>".
    bool ActionOfRow(int row, std::u16string& id, long long& position) const;
    const ListPage& page() const { return page_; }

private:
    // The actions in the data file: the index's count unless a search narrows it.
    long long TotalActions();

    CMainWnd& window_;
    ListPage page_;
    int filledPageSize_ = 0;
};
