// The extended item list and the table of value types.
#include "edit/ExtItem.h"

#include "core/BinarySearch.h"

#include <algorithm>
#include <array>

namespace {

struct TypeEntry {
    std::u16string_view name;
    std::u16string_view label;
};

constexpr std::array<TypeEntry, ExtTypeCount> kTypes = {{
    {u"int", u"値(int)"},
    {u"float", u"値(float)"},
    {u"string", u"値(string)"},
    {u"date", u"値(date)"},
    {u"time", u"値(time)"},
    {u"datetime", u"値(datetime)"},
    {u"File", u"値(File)"},
    {u"mlstring", u"値(mlstring)"},
}};

} // namespace

int ExtTypeIndex(std::u16string_view typeName) {
    for (size_t i = 0; i < kTypes.size(); ++i)
        if (kTypes[i].name == typeName) return static_cast<int>(i);
    return -1;
}

std::u16string_view ExtTypeName(int index) {
    if (index < 0 || index >= ExtTypeCount) return {};
    return kTypes[static_cast<size_t>(index)].name;
}

std::u16string_view ExtTypeLabel(int index) {
    if (index < 0 || index >= ExtTypeCount) return {};
    return kTypes[static_cast<size_t>(index)].label;
}

size_t ExtItemList::LowerBound(std::u16string_view name) const {
    // std::u16string_view compares by code unit, the order the list is kept in.
    return BinarySearch(items_.size(), SearchMode::Lower,
                        [&](size_t i) { return std::u16string_view(items_[i].name).compare(name); });
}

bool ExtItemList::Insert(ExtItem item) {
    size_t at = LowerBound(item.name);
    if (at < items_.size() && items_[at].name == item.name) return false;
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    return true;
}

void ExtItemList::Merge(std::vector<ExtItem> items) {
    std::vector<ExtItem> all = std::move(items_);
    all.insert(all.end(), std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
    // A stable sort keeps the items of one name in reading order, so the first stays.
    std::stable_sort(all.begin(), all.end(), [](const ExtItem& a, const ExtItem& b) { return a.name < b.name; });
    auto last =
        std::unique(all.begin(), all.end(), [](const ExtItem& a, const ExtItem& b) { return a.name == b.name; });
    all.erase(last, all.end());
    items_ = std::move(all);
}

const ExtItem* ExtItemList::Find(std::u16string_view name) const {
    size_t at = LowerBound(name);
    if (at < items_.size() && items_[at].name == name) return &items_[at];
    return nullptr;
}

int ExtItemList::IndexOf(std::u16string_view name) const {
    size_t at = LowerBound(name);
    if (at < items_.size() && items_[at].name == name) return static_cast<int>(at);
    return -1;
}

void ExtItemList::RemoveAt(size_t position) {
    if (position < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
}
