// Export and error lines of the salvage tool.
#include "salvage/SalvageLines.h"

#include "core/ActionId.h"
#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/Escape.h"
#include "exchange/ExchangeFormat.h"

namespace {

using namespace ActionField;

constexpr size_t kDateTimeLength = 19;

std::u16string_view Or(const OptText& text, std::u16string_view absent) {
    return text ? std::u16string_view(*text) : absent;
}

} // namespace

std::u16string IdentifierCounter::MakeIdentifier() {
    LocalDateTime now = LocalNow();
    std::u16string id = FormatActionId(now.year, now.month, now.day, now.hour, now.minute, now.second, next_);
    next_ = (next_ + 1) % 100;
    return id;
}

bool IsSalvageErrorRow(const ActionRecord& r) {
    if (!r[StaDateTime] || r[StaDateTime]->size() < kDateTimeLength) return true;
    if (!r[EndDateTime] || r[EndDateTime]->size() < kDateTimeLength) return true;
    return ValidateActionPeriod(r) != 0;
}

std::u16string SalvageIdentifier(const ActionRecord& r, IdentifierCounter& counter) {
    if (r[ActId] && r[ActId]->size() >= kActionIdLength) {
        std::u16string id = r[ActId]->substr(0, kActionIdLength);
        // An identifier the import refuses would stop the import of the whole file.
        if (CheckActionId(id) == 0) return id;
    }
    return counter.MakeIdentifier();
}

void AppendSalvageLine(const ActionRecord& r, IdentifierCounter& counter, std::u16string& line) {
    AppendPlainField(line, SalvageIdentifier(r, counter));
    const std::pair<int, std::u16string_view> fields[] = {
        {LastUpdate, u"(NULL)"}, {StaDateTime, u"(NULL)"}, {EndDateTime, u"(NULL)"},
        {Latitude, u""},         {Longitude, u""},         {Subject, u""},
        {Place, u"(NULL)"},      {Category1, u"(NULL)"},   {Category2, u"(NULL)"}};
    for (const auto& [field, absent] : fields) {
        line += u'\t';
        AppendPlainField(line, Or(r[field], absent));
    }
    line += u'\t';
    if (r[Memo]) {
        line += u'"';
        AppendEscaped(*r[Memo], line);
        line += u'"';
    }
    line += u'\t';
    if (r[ExtItems]) AppendPlainField(line, *r[ExtItems]);
}

void AppendErrorLine(const ActionRecord& r, std::u16string& line) {
    for (int f = 0; f < Count; ++f) {
        std::u16string_view absent = f == Latitude || f == Longitude || f == ExtItems ? u"" : u"(no data)";
        line.append(Or(r[f], absent));
        if (f + 1 < Count) line += u'\t';
    }
}
