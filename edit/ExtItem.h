// Extended items: the typed, named values an action carries besides its fixed fields,
// and the list that holds them sorted by name. The editor, the edit dialog and the
// memo language all work on this list; ExtItemText.h reads and writes its text form.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One item: four texts. The value is held unescaped; an empty value stands for none.
struct ExtItem {
    std::u16string name;        // ASCII letters, digits and "_", beginning with a letter
    std::u16string displayName; // the label shown to the user
    std::u16string typeName;    // one of the eight type names below
    std::u16string value;

    bool operator==(const ExtItem&) const = default;
};

// The eight value types, by their index in the editor's type list.
enum ExtItemType : int {
    ExtTypeInt = 0,
    ExtTypeFloat = 1,
    ExtTypeString = 2,
    ExtTypeDate = 3,
    ExtTypeTime = 4,
    ExtTypeDateTime = 5,
    ExtTypeFile = 6,
    ExtTypeMlString = 7,
    ExtTypeCount = 8
};

// The index of a type name (exact, case-sensitive), or -1 for an unknown name.
int ExtTypeIndex(std::u16string_view typeName);
// "int", "float", "string", "date", "time", "datetime", "File", "mlstring".
std::u16string_view ExtTypeName(int index);
// The editor's label of a type's value field, "値(int)" …; empty for an unknown index.
std::u16string_view ExtTypeLabel(int index);

// The items sorted by name in UTF-16 code-unit order, names unique.
class ExtItemList {
public:
    // Inserts at the sorted place. Returns false (and keeps the list) when an item of
    // that name is already present: the first item read under a name stays.
    bool Insert(ExtItem item);
    // Inserts many items at once, as if one by one in their order (an item whose name
    // is present or came earlier is dropped), in O(n log n) whatever their order.
    void Merge(std::vector<ExtItem> items);
    // The item of that name, or nullptr.
    const ExtItem* Find(std::u16string_view name) const;
    // The position of the item of that name, or -1.
    int IndexOf(std::u16string_view name) const;
    // Removes the item at a position (a position outside the list does nothing).
    void RemoveAt(size_t position);
    void Clear() { items_.clear(); }

    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const ExtItem& operator[](size_t i) const { return items_[i]; }
    std::vector<ExtItem>::const_iterator begin() const { return items_.begin(); }
    std::vector<ExtItem>::const_iterator end() const { return items_.end(); }
    bool operator==(const ExtItemList&) const = default;

private:
    // First position whose name is not less than the given one.
    size_t LowerBound(std::u16string_view name) const;

    std::vector<ExtItem> items_;
};
