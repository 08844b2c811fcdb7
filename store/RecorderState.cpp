// The recorder's items and history in the data file: initial values, load, save and
// the rewrite of the history rows.
#include "store/RecorderState.h"

#include "core/MessageBox.h"
#include "core/Utf.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"

#include <sqlite3.h>

namespace {

HRESULT SetText(const char16_t* item, std::u16string_view value) {
    return OpenTables()->textData->SetItemText(item, std::u16string(value));
}

std::u16string Joined(const std::u16string& date, const std::u16string& time) {
    if (date.empty() && time.empty()) return {};
    return date + u" " + time;
}

// Reads a t_TextData item; an absent value reads as empty.
HRESULT GetText(const char16_t* item, std::u16string& value) {
    OptText text;
    HRESULT hr = OpenTables()->textData->GetItemText(item, text);
    if (SUCCEEDED(hr)) value = text ? *text : std::u16string();
    return hr;
}

void SplitDateTime(const std::u16string& text, std::u16string& date, std::u16string& time) {
    size_t blank = text.find(u' ');
    date = blank == std::u16string::npos ? text : text.substr(0, blank);
    time = blank == std::u16string::npos ? std::u16string() : text.substr(blank + 1);
}

} // namespace

int InitRecorderState() {
    DataFileTables* t = OpenTables();
    if (!t) return -2;
    if (FAILED(t->longData->SetItemInt(u"RcdrHistNum", 0))) return -2;
    const std::pair<const char16_t*, int> items[] = {
        {u"RcdrPreActId", -4},  {u"RcdrPreDateTime", -5}, {u"RcdrDateTime", -7},   {u"RcdrLatitude", -8},
        {u"RcdrLongitude", -9}, {u"RcdrPlace", -10},      {u"RcdrCategory1", -11}, {u"RcdrCategory2", -12}};
    for (auto [item, code] : items) {
        if (FAILED(SetText(item, u""))) return code;
    }
    return 0;
}

int WriteRecorderItems(const RecorderState& s) {
    if (!OpenTables()) return -5;
    std::u16string when = s.time == kCurrentTimePlaceholder ? std::u16string() : Joined(s.date, s.time);
    const std::pair<const char16_t*, std::u16string> items[] = {{u"RcdrPreDateTime", Joined(s.preDate, s.preTime)},
                                                                {u"RcdrDateTime", when},
                                                                {u"RcdrLatitude", s.latitude},
                                                                {u"RcdrLongitude", s.longitude},
                                                                {u"RcdrPlace", s.place},
                                                                {u"RcdrCategory1", s.category1},
                                                                {u"RcdrCategory2", s.category2}};
    const int codes[] = {-5, -7, -8, -9, -10, -11, -12};
    for (size_t i = 0; i < std::size(items); ++i) {
        if (FAILED(SetText(items[i].first, items[i].second))) return codes[i];
    }
    return 0;
}

int LoadRecorderState(RecorderState& s) {
    DataFileTables* t = OpenTables();
    if (!t) return -1;
    int count = 0;
    if (FAILED(t->longData->GetItemInt(u"RcdrHistNum", count))) return -1;
    if (FAILED(GetText(u"RcdrPreActId", s.preActId))) return -2;
    s.preDate.clear();
    s.preTime.clear();
    if (!s.preActId.empty()) {
        std::u16string pre;
        if (FAILED(GetText(u"RcdrPreDateTime", pre))) return -3;
        SplitDateTime(pre, s.preDate, s.preTime);
    }
    s.history.ids.clear();
    if (count >= 1) {
        RecorderHistoryTable& h = *t->rcdrData;
        if (FAILED(h.OpenQuery(u"select f_nchActId from t_RcdrData order by f_i4SNo asc", {"f_nchActId"}))) return -1;
        std::vector<OptText> row;
        HRESULT hr;
        while (static_cast<int>(s.history.ids.size()) < count && (hr = h.ReadNextRow(row)) == S_OK) {
            s.history.ids.push_back(row[0] ? *row[0] : std::u16string());
        }
        h.CloseQuery();
        if (FAILED(hr)) return -1;
    }
    std::u16string when;
    if (FAILED(GetText(u"RcdrDateTime", when))) return -5;
    if (when.empty()) {
        s.date.clear();
        s.time = kCurrentTimePlaceholder;
    } else {
        SplitDateTime(when, s.date, s.time);
    }
    if (FAILED(GetText(u"RcdrLatitude", s.latitude))) return -6;
    if (FAILED(GetText(u"RcdrLongitude", s.longitude))) return -7;
    if (FAILED(GetText(u"RcdrPlace", s.place))) return -8;
    if (FAILED(GetText(u"RcdrCategory1", s.category1))) return -9;
    if (FAILED(GetText(u"RcdrCategory2", s.category2))) return -10;
    return 0;
}

void SaveRecorderState(RecorderState& s, ActionIndex& index) {
    if (DataFileTables* t = OpenTables()) {
        if (s.changed) {
            int code = WriteRecorderItems(s);
            if (code != 0) {
                ShowMessage(nullptr, FormatText("レコーダーデータ保存中にエラーが発生しました。(%d)", code),
                            u"保存エラー", MB_OK | MB_ICONSTOP);
            }
        }
        t->userData->CloseQuery();
    }
    s.changed = false;
    s.loaded = false;
    s.history.ids.clear();
    index.Clear();
    CloseDataFile();
}

HRESULT RewriteRecorderHistory(const RecorderHistory& history) {
    DataFileTables* t = OpenTables();
    if (!t) return E_FAIL;
    HRESULT hr = ExecuteSql(t->db, "SAVEPOINT rcdrhist");
    if (FAILED(hr)) return hr;
    for (size_t i = 0; i < history.ids.size() && SUCCEEDED(hr); ++i) {
        hr = t->rcdrData->SetHistoryEntry(static_cast<int>(i), history.ids[i]);
    }
    if (SUCCEEDED(hr)) hr = t->longData->SetItemInt(u"RcdrHistNum", static_cast<int>(history.ids.size()));
    if (FAILED(hr)) ExecuteSql(t->db, "ROLLBACK TO rcdrhist");
    HRESULT end = ExecuteSql(t->db, "RELEASE rcdrhist");
    return FAILED(hr) ? hr : end;
}
