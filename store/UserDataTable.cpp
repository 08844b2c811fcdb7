// t_UserData: actions by identifier, insert, update, delete and unique identifiers.
#include "store/UserDataTable.h"

#include "core/ActionId.h"
#include "core/CLocale.h"
#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/MessageBox.h"
#include "core/Utf.h"
#include "store/SqlText.h"

#include <sqlite3.h>

#include <cstdlib>

namespace {

const char kSelectById[] =
    "select f_nchActId, f_dtLastUpdate, f_nchStaDateTime, f_nchEndDateTime, f_fltLatitude, f_fltLongitude, "
    "f_nvcSubject, f_nvcPlace, f_nvcCategory1, f_nvcCategory2, f_nvcMemo, f_nvcExtItems from t_UserData "
    "where f_nchActId = ? limit 1";
const char kExistsId[] = "select 1 from t_UserData where f_nchActId = ? limit 1";
const char kInsert[] =
    "insert into t_UserData (f_nchActId, f_dtLastUpdate, f_nchStaDateTime, f_nchEndDateTime, f_fltLatitude, "
    "f_fltLongitude, f_nvcSubject, f_nvcPlace, f_nvcCategory1, f_nvcCategory2, f_nvcMemo, f_nvcExtItems) "
    "values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)";
// A duplicated identifier (kept by an import) addresses its first row only, as a seek would.
const char kUpdate[] =
    "update t_UserData set f_dtLastUpdate = ?2, f_nchStaDateTime = ?3, f_nchEndDateTime = ?4, "
    "f_fltLatitude = ?5, f_fltLongitude = ?6, f_nvcSubject = ?7, f_nvcPlace = ?8, f_nvcCategory1 = ?9, "
    "f_nvcCategory2 = ?10, f_nvcMemo = ?11, f_nvcExtItems = ?12 "
    "where rowid = (select rowid from t_UserData where f_nchActId = ?1 limit 1)";
const char kDelete[] =
    "delete from t_UserData where rowid = (select rowid from t_UserData where f_nchActId = ?1 limit 1)";

HRESULT StepDone(sqlite3_stmt* stmt) {
    int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    return rc == SQLITE_DONE ? S_OK : HResultFromSqlite(rc);
}

// Binds all twelve fields in their stored forms: texts cut to width, floats as
// numbers, LastUpdate as the engine's timestamp text.
HRESULT BindRecord(sqlite3_stmt* stmt, const ActionRecord& record) {
    for (int f = 0; f < ActionField::Count; ++f) {
        const OptText& text = record[f];
        int index = f + 1;
        int rc = SQLITE_OK;
        if (!text) {
            rc = sqlite3_bind_null(stmt, index);
        } else if (f == ActionField::Latitude || f == ActionField::Longitude) {
            rc = sqlite3_bind_double(stmt, index, StrToDoubleC(ToUtf8(*text).c_str()));
        } else if (f == ActionField::LastUpdate) {
            HRESULT hr = BindText(stmt, index, TimestampToEngine(*text));
            if (FAILED(hr)) return hr;
        } else {
            HRESULT hr = BindText(stmt, index, CutToWidth(*text, static_cast<size_t>(kUserDataWidths[f])));
            if (FAILED(hr)) return hr;
        }
        if (rc != SQLITE_OK) return HResultFromSqlite(rc);
    }
    return S_OK;
}

std::u16string NowText() {
    LocalDateTime now = LocalNow();
    return FormatDateTimeText(now.year, now.month, now.day, now.hour, now.minute, now.second);
}

long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

// Seconds since 1970 of "yyyy/mm/dd hh:mm:ss"; false when the text is not one.
bool SecondsOf(std::u16string_view text, long long& seconds) {
    if (text.size() != 19) return false;
    auto num = [&](size_t at, size_t n, long long& out) {
        out = 0;
        for (size_t i = at; i < at + n; ++i) {
            if (text[i] < u'0' || text[i] > u'9') return false;
            out = out * 10 + (text[i] - u'0');
        }
        return true;
    };
    long long y, mo, d, h, mi, s;
    if (!num(0, 4, y) || !num(5, 2, mo) || !num(8, 2, d) || !num(11, 2, h) || !num(14, 2, mi) || !num(17, 2, s))
        return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31) return false;
    seconds = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 86400 + h * 3600 + mi * 60 + s;
    return true;
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// The identifier prefix "IDyyyymmddhhmmss" of the second after the given one.
std::u16string NextSecond(std::u16string_view prefix) {
    std::string p = ToUtf8(prefix);
    int y = std::atoi(p.substr(2, 4).c_str()), mo = std::atoi(p.substr(6, 2).c_str());
    int d = std::atoi(p.substr(8, 2).c_str()), h = std::atoi(p.substr(10, 2).c_str());
    int mi = std::atoi(p.substr(12, 2).c_str()), s = std::atoi(p.substr(14, 2).c_str());
    if (mo < 1 || mo > 12) mo = 1;
    if (++s > 59) {
        s = 0;
        if (++mi > 59) {
            mi = 0;
            if (++h > 23) {
                h = 0;
                if (++d > DaysInMonth(y, mo)) {
                    d = 1;
                    if (++mo > 12) mo = 1, ++y;
                }
            }
        }
    }
    return FormatActionId(y, mo, d, h, mi, s, 0).substr(0, 16);
}

} // namespace

long long ActionLengthSeconds(std::u16string_view start, std::u16string_view end) {
    long long a = 0, b = 0;
    if (!SecondsOf(start, a) || !SecondsOf(end, b)) return 0;
    return b > a ? b - a : 0;
}

UserDataTable::UserDataTable(sqlite3* db) : TableBase(db, "t_UserData", "i_UserData") {}
UserDataTable::~UserDataTable() = default;

HRESULT UserDataTable::ReadActionById(std::u16string_view id, ActionRecord& record) {
    HRESULT hr;
    sqlite3_stmt* stmt = Cached(kSelectById, hr);
    if (!stmt) return hr;
    hr = BindText(stmt, 1, std::u16string(id));
    if (FAILED(hr)) return hr;
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE)
        hr = DB_E_NOTFOUND;
    else if (rc != SQLITE_ROW)
        hr = HResultFromSqlite(rc);
    else {
        for (int f = 0; f < ActionField::Count; ++f) {
            record[f] = ColumnText(stmt, f, KindOf(kUserDataColumns[f]));
        }
        hr = S_OK;
    }
    sqlite3_reset(stmt);
    return hr;
}

bool UserDataTable::IdExists(std::u16string_view id, HRESULT& hr) {
    sqlite3_stmt* stmt = Cached(kExistsId, hr);
    if (!stmt) return false;
    hr = BindText(stmt, 1, std::u16string(id));
    if (FAILED(hr)) return false;
    int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    hr = rc == SQLITE_ROW || rc == SQLITE_DONE ? S_OK : HResultFromSqlite(rc);
    return rc == SQLITE_ROW;
}

std::optional<std::u16string> UserDataTable::CreateUniqueActionId() {
    HRESULT hr = S_OK;
    std::u16string candidate;
    for (int draw = 0; draw < 50; ++draw) {
        std::optional<std::u16string> made = MakeActionId();
        if (!made) return std::nullopt;
        candidate = *made;
        if (!IdExists(candidate, hr)) return SUCCEEDED(hr) ? std::optional(candidate) : std::nullopt;
    }
    // Every draw was taken: walk the numbers of this second in order, then the
    // following seconds. The last second found with free numbers is remembered, so
    // a bulk insert does not walk the full seconds again.
    std::u16string second = candidate.substr(0, 16);
    int number = 0;
    if (!hintSecond_.empty() && hintSecond_ > second)
        second = hintSecond_, number = hintNumber_;
    else if (hintSecond_ == second)
        number = hintNumber_;
    for (long long tries = 0; tries < 100LL * 86400 * 366; ++tries) {
        std::u16string id = second + FormatText("%02d", number);
        if (!IdExists(id, hr)) {
            if (FAILED(hr)) return std::nullopt;
            hintSecond_ = second;
            hintNumber_ = number;
            return id;
        }
        if (FAILED(hr)) return std::nullopt;
        if (++number > 99) number = 0, second = NextSecond(second);
    }
    return std::nullopt;
}

HRESULT UserDataTable::InsertAction(ActionRecord& record) {
    if (record[ActionField::ActId]) {
        if (CheckActionId(*record[ActionField::ActId]) != 0) return E_INVALIDARG;
    } else {
        std::optional<std::u16string> id = CreateUniqueActionId();
        if (!id) {
            ShowMessage(nullptr, u"ユニークキーの生成に失敗しました。", u"アクションの作成失敗", MB_OK | MB_ICONSTOP);
            return E_ABORT;
        }
        record[ActionField::ActId] = *id;
    }
    record[ActionField::LastUpdate] = NowText();
    if (ValidateActionPeriod(record) != 0) return E_INVALIDARG;
    HRESULT hr;
    sqlite3_stmt* stmt = Cached(kInsert, hr);
    if (!stmt) return hr;
    hr = BindRecord(stmt, record);
    if (SUCCEEDED(hr)) hr = StepDone(stmt);
    if (SUCCEEDED(hr)) RaiseLongest(record);
    return hr;
}

HRESULT UserDataTable::UpdateAction(ActionRecord& record) {
    if (!record[ActionField::ActId] || CheckActionId(*record[ActionField::ActId]) != 0) return E_INVALIDARG;
    record[ActionField::LastUpdate] = NowText();
    if (ValidateActionPeriod(record) != 0) return E_INVALIDARG;
    HRESULT hr;
    sqlite3_stmt* stmt = Cached(kUpdate, hr);
    if (!stmt) return hr;
    hr = BindRecord(stmt, record);
    if (SUCCEEDED(hr)) hr = StepDone(stmt);
    if (FAILED(hr)) return hr;
    if (sqlite3_changes(db()) == 0) return DB_S_ENDOFROWSET;
    RaiseLongest(record);
    return S_OK;
}

HRESULT UserDataTable::DeleteAction(std::u16string_view id) {
    if (CheckActionId(id) != 0) return E_INVALIDARG;
    HRESULT hr;
    sqlite3_stmt* stmt = Cached(kDelete, hr);
    if (!stmt) return hr;
    hr = BindText(stmt, 1, std::u16string(id));
    return SUCCEEDED(hr) ? StepDone(stmt) : hr;
}

void UserDataTable::RaiseLongest(const ActionRecord& record) {
    NoteActionLength(*record[ActionField::StaDateTime], *record[ActionField::EndDateTime]);
}

void UserDataTable::NoteActionLength(std::u16string_view start, std::u16string_view end) {
    if (!longestKnown_) return; // counted with the rest when first asked for
    long long length = ActionLengthSeconds(start, end);
    if (length > longestActionSeconds_) longestActionSeconds_ = length;
}

long long UserDataTable::LongestActionSeconds() {
    if (!longestKnown_) RecomputeLongestAction();
    return longestActionSeconds_;
}

HRESULT UserDataTable::RecomputeLongestAction() {
    sqlite3_stmt* stmt = nullptr;
    HRESULT hr = HResultFromSqlite(
        sqlite3_prepare_v2(db(), "select f_nchStaDateTime, f_nchEndDateTime from t_UserData", -1, &stmt, nullptr));
    if (FAILED(hr)) return hr;
    long long longest = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const char* a = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        const char* b = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        if (!a || !b) continue;
        long long length = ActionLengthSeconds(FromUtf8(a), FromUtf8(b));
        if (length > longest) longest = length;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) return HResultFromSqlite(rc);
    longestActionSeconds_ = longest;
    longestKnown_ = true;
    return S_OK;
}
