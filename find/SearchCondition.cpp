// The search condition builder. The shape of W is fixed: date terms joined by " and ",
// then one parenthesised group of LIKE terms joined by " or ", so that " and " + W can
// follow any other condition without changing its meaning.
#include "find/SearchCondition.h"

#include "core/DateTimeText.h"

namespace {

// Stands in for U+0000 on both sides of a LIKE: the engine's LIKE stops at a NUL, and
// the SQL text cannot hold one, so a search text holding a NUL compares the items with
// their NULs replaced by this noncharacter (the data file's nulmark function).
constexpr char16_t kNulStandIn = u'\uFFFF';

bool IsDate(std::u16string_view text) {
    int y, m, d;
    return text.size() == 10 && ParseDateText(text, y, m, d) == 0;
}

// An "hh:mm" time, "24:00" when allowed, as the dialog's time fields hold it.
bool IsFieldTime(std::u16string_view text, bool endOfDay) {
    if (text.size() != 5 || text[2] != u':') return false;
    if (endOfDay && text == u"24:00") return true;
    int h, m, s;
    return ParseTimeText(text, h, m, s) == 0;
}

// One LIKE term of the text group: (column like '%text%').
std::u16string LikeTerm(std::u16string_view column, std::u16string_view escaped) {
    if (escaped.find(u'\0') == std::u16string_view::npos)
        return u"(" + std::u16string(column) + u" like '%" + std::u16string(escaped) + u"%')";
    std::u16string pattern(escaped);
    for (char16_t& c : pattern)
        if (c == u'\0') c = kNulStandIn;
    return u"(nulmark(" + std::u16string(column) + u") like '%" + pattern + u"%')";
}

void AppendDateTerms(const std::u16string& staDate, const std::u16string& staTime, const std::u16string& endDate,
                     const std::u16string& endTime, std::u16string& w, int& s) {
    bool wholeDay = staTime == u"00:00:00" && endTime == u"24:00:00";
    if (!staDate.empty()) {
        w += u" (f_nchStaDateTime >= '" + staDate + u" " + (staTime.empty() ? u"00:00:00" : staTime) + u"')";
        s = 1;
    }
    if (!endDate.empty()) {
        w += s == 1 ? u" and " : u" ";
        w += u"(f_nchEndDateTime < '" + endDate + u" " + (endTime.empty() ? u"24:00:00" : endTime) + u"')";
        s = 1;
    }
    if (wholeDay) {
        w += s == 1 ? u" and " : u" ";
        w += u"(f_nchEndDateTime like '%24:00:00')";
        s = 1;
    }
}

} // namespace

std::u16string BuilderStartTime(std::u16string_view time) {
    return time.empty() ? std::u16string() : std::u16string(time) + u":00";
}

std::u16string BuilderEndTime(std::u16string_view time) {
    if (time.empty()) return {};
    if (time == u"24:00") return u"24:00:00";
    return std::u16string(time) + u":60";
}

std::u16string DoubleQuotes(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + 8);
    for (char16_t c : text) {
        out += c;
        if (c == u'\'') out += u'\'';
    }
    return out;
}

int BuildSearchCondition(const SearchValues& values, std::u16string& condition) {
    condition.clear();
    std::u16string staDate = values.startDate.substr(0, 10), endDate = values.endDate.substr(0, 10);
    std::u16string staTime = values.startTime.substr(0, 8), endTime = values.endTime.substr(0, 8);
    if (staTime == kAllDayEntry) staTime = u"00:00", endTime = u"24:00";
    // Only values the dialog's calendar and time editors produce reach the SQL text.
    if ((!staDate.empty() && !IsDate(staDate)) || (!endDate.empty() && !IsDate(endDate))) return -101;
    if ((!staTime.empty() && !IsFieldTime(staTime, false)) || (!endTime.empty() && !IsFieldTime(endTime, true)))
        return -101;
    std::u16string w;
    int s = 0;
    AppendDateTerms(staDate, BuilderStartTime(staTime), endDate, BuilderEndTime(endTime), w, s);
    std::u16string escaped = DoubleQuotes(values.text);
    static constexpr std::u16string_view kColumns[] = {u"f_nvcPlace", u"f_nvcCategory1", u"f_nvcCategory2",
                                                       u"f_nvcMemo"};
    for (int bit = 0; bit < 4 && !escaped.empty(); ++bit) {
        if (!(values.fieldMask & (1 << bit))) continue;
        w += s == 0 ? u" ( " : s == 1 ? u" and ( " : u" or ";
        s = 2;
        w += LikeTerm(kColumns[bit], escaped);
    }
    if (s == 2) w += u" ) ";
    condition = std::move(w);
    return 0;
}
