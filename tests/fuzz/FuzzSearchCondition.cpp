// Arbitrary find dialog values through the search condition builder. The first byte
// is the field mask; then the start date, start time, end date and end time, each
// ended by a line feed; the rest (UTF-8, NULs included) is the search text. A built
// condition must be one valid expression for the engine, after "where" and after
// " and ", and it must select the same actions of a small real data file as the same
// search with the text bound as a parameter: typed text is only ever data.
#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/Paths.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "find/SearchCondition.h"
#include "store/DataFileTables.h"
#include "tests/fuzz/FuzzFolder.h"
#include "tests/support/ScriptedMessages.h"

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <unistd.h>

namespace {

// Actions whose texts hold what a search text may hold: quotes, LIKE wildcards, NULs
// before and after the match, non-ASCII letters.
void AddActions() {
    const std::u16string texts[] = {
        u"会社",        u"it's",   std::u16string(u"a\0b", 3), u"100%", u"a_b", u"", std::u16string(u"x\0会社", 4),
        u"O'Neil '' x", u"ＡＢＣ", u"\\n back\\slash"};
    int n = 0;
    for (const auto& place : texts)
        for (const auto& memo : {texts[(n + 3) % 10], texts[(n + 7) % 10]}) {
            ActionRecord r;
            int day = 10 + n % 10;
            r[ActionField::StaDateTime] = FormatDateTimeText(2010, 11, day, n % 3 ? 9 : 0, 0, 0);
            r[ActionField::EndDateTime] =
                n % 3 ? FormatDateTimeText(2010, 11, day, 10, 30, 0) : FormatDateText(2010, 11, day) + u" 24:00:00";
            r[ActionField::Subject] = u"s";
            r[ActionField::Place] = place;
            r[ActionField::Category1] = texts[(n + 1) % 10];
            if (n % 4) r[ActionField::Category2] = texts[(n + 5) % 10];
            r[ActionField::Memo] = memo;
            if (OpenTables()->userData->InsertAction(r) != S_OK) __builtin_trap();
            ++n;
        }
}

void OpenData() {
    if (OpenTables()) return;
    std::string folder = MakeFuzzFolder("find");
    SetFixedClock(2010, 11, 14, 9, 5, 3);
    SeedRandom(3);
    SetProgramFolder(FromUtf8(folder + "/"));
    if (CreateDataFile(FromUtf8(folder + "/user.sdf")) != S_OK) __builtin_trap();
    AddActions();
}

// The count of rows the query selects; -1 when the engine refuses it. text, when
// given, is bound to every parameter.
long long Count(const std::string& sql, const std::u16string* text = nullptr) {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    long long count = -1;
    if (sqlite3_prepare_v2(OpenTables()->db, sql.c_str(), static_cast<int>(sql.size()), &stmt, &tail) != SQLITE_OK)
        return -1;
    if (tail != sql.c_str() + sql.size()) __builtin_trap(); // one statement only
    if (text)
        for (int i = 1; i <= sqlite3_bind_parameter_count(stmt); ++i)
            sqlite3_bind_text16(stmt, i, text->data(), static_cast<int>(text->size() * 2), SQLITE_TRANSIENT);
    if (sqlite3_step(stmt) == SQLITE_ROW) count = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    return count;
}

// The text search alone, with the text bound: a row matches when one of the masked
// items holds the text. A text holding a NUL compares both sides with their NULs
// marked; any other text compares through the data file's like(), which reads an item
// past its NULs.
long long TextOnlyCount(const SearchValues& values) {
    static const char* columns[] = {"f_nvcPlace", "f_nvcCategory1", "f_nvcCategory2", "f_nvcMemo"};
    std::string sql = "select count(*) from t_UserData";
    if (!values.text.empty() && (values.fieldMask & 15)) {
        const char* joint = " where ";
        for (int bit = 0; bit < 4; ++bit) {
            if (!(values.fieldMask & (1 << bit))) continue;
            if (values.text.find(u'\0') == std::u16string::npos)
                sql.append(joint).append(columns[bit]).append(" like '%' || ?1 || '%'");
            else
                sql.append(joint).append("nulmark(").append(columns[bit]).append(") like '%' || nulmark(?1) || '%'");
            joint = " or ";
        }
    }
    return Count(sql, &values.text);
}

std::u16string NextField(std::string_view& rest) {
    size_t end = rest.find('\n');
    std::string_view field = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return FromUtf8(field);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static ScriptedMessages messages;
    OpenData();
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    SearchValues values;
    values.fieldMask = data[0] & 15;
    values.startDate = NextField(rest);
    values.startTime = NextField(rest);
    values.endDate = NextField(rest);
    values.endTime = NextField(rest);
    values.text = FromUtf8(rest);

    std::u16string w = u"stale";
    int result = BuildSearchCondition(values, w);
    if (result == -101) {
        if (!w.empty()) __builtin_trap();
        return 0;
    }
    if (result != 0 || w.find(u'\0') != std::u16string::npos) __builtin_trap();
    std::string condition = ToUtf8(w);
    long long all = Count("select count(*) from t_UserData");
    long long whereOnly = w.empty() ? all : Count("select count(*) from t_UserData where " + condition);
    long long afterAnd =
        w.empty() ? all : Count("select count(*) from t_UserData where f_nchActId is not null and " + condition);
    if (whereOnly < 0 || afterAnd != whereOnly) __builtin_trap();
    long long textOnly = TextOnlyCount(values);
    bool noDates = values.startDate.empty() && values.endDate.empty() && values.startTime != kAllDayEntry &&
                   values.endTime.empty();
    // Dates only narrow the text search; without them W is the text search exactly.
    if (noDates ? whereOnly != textOnly : whereOnly > textOnly) __builtin_trap();
    return 0;
}
