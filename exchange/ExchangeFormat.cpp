// Lines of the exchange layouts: splitting, reading with checks, writing.
#include "exchange/ExchangeFormat.h"

#include "core/ActionId.h"
#include "core/CLocale.h"
#include "core/DateTimeText.h"
#include "core/Escape.h"
#include "core/Utf.h"

#include <cmath>
#include <cstdlib>

namespace {

using namespace ActionField;

std::u16string_view FieldAt(const std::vector<std::u16string_view>& fields, size_t at) {
    return at < fields.size() ? fields[at] : std::u16string_view{};
}

std::u16string_view TextOf(const OptText& text) {
    return text ? std::u16string_view(*text) : std::u16string_view{};
}

// A part of a stored date-time text; shorter texts give what they hold.
std::u16string_view Part(const OptText& text, size_t from, size_t length) {
    std::u16string_view all = TextOf(text);
    return from < all.size() ? all.substr(from, length) : std::u16string_view{};
}

// A field written without quoting must not hold the separator or a line end, or the
// file would no longer read back line for line: a tab becomes a blank and line
// breaks are dropped (as the memo of Ver.1 and Ver.2 loses them).
void AppendPlain(std::u16string& line, std::u16string_view text) {
    size_t from = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c != kFieldSeparator && c != u'\r' && c != u'\n') continue;
        line.append(text.substr(from, i - from));
        if (c == kFieldSeparator) line += u' ';
        from = i + 1;
    }
    line.append(text.substr(from));
}

// Fields joined by tabs; the first field of the line (beginning at lineStart) has none before it.
void AppendFields(std::u16string& line, size_t lineStart, std::initializer_list<std::u16string_view> fields) {
    bool first = line.size() == lineStart;
    for (std::u16string_view field : fields) {
        if (!first) line += kFieldSeparator;
        first = false;
        AppendPlain(line, field);
    }
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

size_t SkipDigits(std::u16string_view text, size_t at) {
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return at;
}

LineCheck Fault(LineFault fault, int code) {
    return LineCheck{fault, code};
}

// Fields 5–8 of Ver.1 (6–9 of Ver.2): place, categories and memo; no subject,
// coordinates or extended items in these layouts.
void ReadPlainTail(const std::vector<std::u16string_view>& fields, size_t from, ActionRecord& record) {
    record[Subject] = std::u16string();
    record[Place] = std::u16string(FieldAt(fields, from));
    record[Category1] = std::u16string(FieldAt(fields, from + 1));
    record[Category2] = std::u16string(FieldAt(fields, from + 2));
    record[Memo] = std::u16string(FieldAt(fields, from + 3));
}

void ReadVer1(const std::vector<std::u16string_view>& f, ActionRecord& record) {
    record[StaDateTime] = std::u16string(f[0]) + u" " + std::u16string(f[1]) + u":00";
    record[EndDateTime] = std::u16string(f[2]) + u" " + std::u16string(f[3]) + u":00";
    ReadPlainTail(f, 4, record);
}

void ReadVer2(const std::vector<std::u16string_view>& f, ActionRecord& record) {
    record[ActId] = std::u16string(f[0]);
    record[StaDateTime] = std::u16string(f[1]) + u" " + std::u16string(f[2]);
    record[EndDateTime] = std::u16string(f[3]) + u" " + std::u16string(f[4]);
    ReadPlainTail(f, 5, record);
}

// Sets the field to the text, using the room the field already has.
void Set(OptText& field, std::u16string_view text) {
    if (field)
        field->assign(text);
    else
        field.emplace(text);
}

// Every field but LastUpdate is set, so the record of the previous line is reused as it is.
void ReadVer3(const std::vector<std::u16string_view>& f, ActionRecord& record) {
    Set(record[ActId], f[0]);
    record[LastUpdate].reset();
    Set(record[StaDateTime], f[2]);
    Set(record[EndDateTime], f[3]);
    record[Latitude] = ReadCoordinateField(f[4]);
    record[Longitude] = ReadCoordinateField(FieldAt(f, 5));
    for (int field : {Subject, Place, Category1, Category2})
        Set(record[field], FieldAt(f, static_cast<size_t>(field)));
    record[Memo] = UnquoteMemo(FieldAt(f, 10));
    Set(record[ExtItems], FieldAt(f, 11));
}

} // namespace

size_t LayoutFieldCount(ExchangeLayout layout) {
    switch (layout) {
    case ExchangeLayout::Ver1:
        return 8;
    case ExchangeLayout::Ver2:
        return 9;
    case ExchangeLayout::Ver3:
        break;
    }
    return 12;
}

size_t LayoutMinimumFields(ExchangeLayout layout) {
    switch (layout) {
    case ExchangeLayout::Ver1:
        return 6;
    case ExchangeLayout::Ver2:
        return 7;
    case ExchangeLayout::Ver3:
        break;
    }
    return 5;
}

bool LayoutHasIdentifiers(ExchangeLayout layout) {
    return layout != ExchangeLayout::Ver1;
}

std::u16string Ver3HeaderLine() {
    return u"ActId\tLastUpdate\tStaDateTime\tEndDateTime\tLatitude\tLongitude\tSubject\tPlace\tCategory1\t"
           u"Category2\tMemo\tExtItems";
}

std::vector<std::u16string_view> SplitExchangeLine(std::u16string_view line, size_t maxFields) {
    std::vector<std::u16string_view> fields;
    SplitExchangeLine(line, maxFields, fields);
    return fields;
}

void SplitExchangeLine(std::u16string_view line, size_t maxFields, std::vector<std::u16string_view>& fields) {
    fields.clear();
    size_t from = 0;
    while (fields.size() < maxFields) {
        size_t tab = line.find(kFieldSeparator, from);
        if (tab == std::u16string_view::npos) {
            fields.push_back(line.substr(from));
            break;
        }
        fields.push_back(line.substr(from, tab - from));
        from = tab + 1;
    }
}

LineCheck ParseExchangeLine(ExchangeLayout layout, std::u16string_view line, ActionRecord& record) {
    thread_local std::vector<std::u16string_view> fields; // kept from line to line
    SplitExchangeLine(line, LayoutFieldCount(layout), fields);
    if (fields.size() < LayoutMinimumFields(layout)) return Fault(LineFault::TooFewFields, 0);
    if (layout == ExchangeLayout::Ver3) {
        ReadVer3(fields, record);
    } else {
        record = ActionRecord{};
        if (layout == ExchangeLayout::Ver1)
            ReadVer1(fields, record);
        else
            ReadVer2(fields, record);
    }
    if (int code = ValidateActionPeriod(record)) return Fault(LineFault::BadPeriod, code);
    if (LayoutHasIdentifiers(layout)) {
        if (int code = CheckActionId(*record[ActId])) return Fault(LineFault::BadIdentifier, code);
    }
    return LineCheck{};
}

std::u16string LineFaultMessage(long long lineNumber, const LineCheck& check) {
    switch (check.fault) {
    case LineFault::TooFewFields:
        return FormatText("%lld 行目には開始または終了日時がありません。\nインポートを中止します。", lineNumber);
    case LineFault::BadPeriod:
        return FormatText("%lld 行目の値が不正です。(%d)\nインポートを中止します。", lineNumber, check.code);
    case LineFault::BadIdentifier:
        return FormatText("%lld 行目のアクションIDの値が不正です。(%d)\nインポートを中止します。", lineNumber,
                          check.code);
    case LineFault::None:
        break;
    }
    return {};
}

std::u16string FormatExchangeLine(ExchangeLayout layout, const ActionRecord& r) {
    std::u16string line;
    line.reserve(160);
    AppendExchangeLine(layout, r, line);
    return line;
}

void AppendExchangeLine(ExchangeLayout layout, const ActionRecord& r, std::u16string& line) {
    const size_t start = line.size();
    line.reserve(start + 160);
    if (layout == ExchangeLayout::Ver3) {
        AppendFields(line, start,
                     {TextOf(r[ActId]), TextOf(r[LastUpdate]), TextOf(r[StaDateTime]), TextOf(r[EndDateTime]),
                      TextOf(r[Latitude]), TextOf(r[Longitude]), TextOf(r[Subject]), TextOf(r[Place]),
                      TextOf(r[Category1]), TextOf(r[Category2])});
        line += kFieldSeparator;
        line += u'"'; // the memo escaped: it holds no tab or line break
        AppendEscaped(TextOf(r[Memo]), line);
        line += u'"';
        line += kFieldSeparator;
        AppendPlain(line, TextOf(r[ExtItems]));
        return;
    }
    // Ver.1 keeps hh:mm of each time, Ver.2 hh:mm:ss and the identifier in front.
    size_t timeLength = layout == ExchangeLayout::Ver1 ? 5 : 8;
    if (layout == ExchangeLayout::Ver2) AppendFields(line, start, {TextOf(r[ActId])});
    AppendFields(line, start,
                 {Part(r[StaDateTime], 0, 10), Part(r[StaDateTime], 11, timeLength), Part(r[EndDateTime], 0, 10),
                  Part(r[EndDateTime], 11, timeLength), TextOf(r[Place]), TextOf(r[Category1]), TextOf(r[Category2]),
                  TextOf(r[Memo])});
}

void AppendPlainField(std::u16string& line, std::u16string_view text) {
    AppendPlain(line, text);
}

std::u16string QuoteMemo(const OptText& memo) {
    return u"\"" + EscapeText(TextOf(memo)) + u"\"";
}

std::u16string UnquoteMemo(std::u16string_view field) {
    if (field.empty() || field.front() != u'"') return std::u16string(field);
    if (field.size() < 2) return std::u16string();
    std::u16string_view inner = field.substr(1);
    if (inner.back() == u'"') inner.remove_suffix(1);
    std::u16string memo;
    if (UnescapeText(inner, memo) != 0) return std::u16string(inner);
    return memo;
}

OptText ReadCoordinateField(std::u16string_view field) {
    size_t at = 0;
    while (at < field.size() && field[at] == u' ')
        ++at;
    size_t begin = at;
    if (at < field.size() && (field[at] == u'+' || field[at] == u'-')) ++at;
    size_t intEnd = SkipDigits(field, at);
    bool digits = intEnd > at;
    at = intEnd;
    if (at < field.size() && field[at] == u'.') {
        size_t fracEnd = SkipDigits(field, at + 1);
        digits = digits || fracEnd > at + 1;
        at = fracEnd;
    }
    if (!digits) return std::nullopt;
    const size_t fracOrEnd = at; // where an exponent would begin
    // An exponent counts only when digits follow it.
    if (at < field.size() && (field[at] == u'e' || field[at] == u'E')) {
        size_t sign = at + 1 < field.size() && (field[at + 1] == u'+' || field[at + 1] == u'-') ? at + 2 : at + 1;
        size_t expEnd = SkipDigits(field, sign);
        if (expEnd > sign) at = expEnd;
    }
    std::u16string number(field.substr(begin, at - begin));
    // A value beyond the range of a double is no position. Without an exponent that
    // takes more than 300 digits before the point, so usual values need no reading.
    bool surelyFinite = at == fracOrEnd && intEnd - begin <= 300;
    if (!surelyFinite && !std::isfinite(StrToDoubleC(ToUtf8(number).c_str()))) return std::nullopt;
    return number;
}
