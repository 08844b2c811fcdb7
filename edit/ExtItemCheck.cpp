// Character classes, the value grammars (small state machines over the characters)
// and the editor's field checks of extended items.
#include "edit/ExtItemCheck.h"

namespace {

bool InRange(char16_t c, char16_t lo, char16_t hi) {
    return c >= lo && c <= hi;
}

// The Japanese ranges shared by display names and string values.
bool IsJapaneseRange(char16_t c) {
    return InRange(c, 0x2000, 0x303D) || InRange(c, 0x3041, 0x30FF) || InRange(c, 0x3190, 0x33FE) ||
           InRange(c, 0x3402, 0x3FDC) || InRange(c, 0x4039, 0x4D77) || InRange(c, 0x4E00, 0x9FA5) ||
           InRange(c, 0xFF01, 0xFFEE);
}

// Walks a run of digits from pos; returns whether at least one was read.
bool ReadDigits(std::u16string_view text, size_t& pos) {
    size_t start = pos;
    while (pos < text.size() && IsAsciiDigit(text[pos]))
        ++pos;
    return pos > start;
}

void SkipBlanks(std::u16string_view text, size_t& pos) {
    while (pos < text.size() && text[pos] == u' ')
        ++pos;
}

// digits, blanks, the separator, blanks: returns false at a character that does not fit.
bool ReadSeparated(std::u16string_view text, size_t& pos, char16_t a, char16_t b) {
    SkipBlanks(text, pos);
    if (pos >= text.size() || (text[pos] != a && text[pos] != b)) return false;
    ++pos;
    SkipBlanks(text, pos);
    return true;
}

// A date at the start of the text; pos ends after the day's digits.
bool ReadDate(std::u16string_view text, size_t& pos) {
    return ReadDigits(text, pos) && ReadSeparated(text, pos, u'/', u'.') && ReadDigits(text, pos) &&
           ReadSeparated(text, pos, u'/', u'.') && ReadDigits(text, pos);
}

bool ReadTime(std::u16string_view text, size_t& pos) {
    return ReadDigits(text, pos) && ReadSeparated(text, pos, u':', u':') && ReadDigits(text, pos) &&
           ReadSeparated(text, pos, u':', u':') && ReadDigits(text, pos);
}

size_t WholeText(std::u16string_view text, bool read, size_t pos) {
    return read && pos == text.size() ? kTextMatches : pos;
}

} // namespace

bool IsAsciiLetter(char16_t c) {
    return InRange(c, u'a', u'z') || InRange(c, u'A', u'Z');
}
bool IsAsciiDigit(char16_t c) {
    return InRange(c, u'0', u'9');
}
bool IsNameChar(char16_t c) {
    return IsAsciiLetter(c) || IsAsciiDigit(c) || c == u'_';
}
bool IsDisplayNameChar(char16_t c) {
    return IsNameChar(c) || IsJapaneseRange(c);
}
bool IsStringChar(char16_t c) {
    return InRange(c, 0x20, 0x7E) || InRange(c, 0x0300, 0x1F73) || IsJapaneseRange(c);
}

size_t CheckNameText(std::u16string_view text) {
    if (text.empty() || !IsAsciiLetter(text[0])) return 0;
    for (size_t i = 1; i < text.size(); ++i)
        if (!IsNameChar(text[i])) return i;
    return kTextMatches;
}

size_t CheckDisplayNameText(std::u16string_view text) {
    if (text.empty()) return 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (!IsDisplayNameChar(text[i])) return i;
    return kTextMatches;
}

size_t CheckIntegerText(std::u16string_view text) {
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) ++pos;
    SkipBlanks(text, pos);
    bool read = ReadDigits(text, pos);
    return WholeText(text, read, pos);
}

size_t CheckFloatText(std::u16string_view text) {
    size_t pos = 0;
    bool signedText = pos < text.size() && (text[pos] == u'+' || text[pos] == u'-');
    if (signedText) ++pos;
    size_t afterSign = pos;
    SkipBlanks(text, pos);
    bool whole = ReadDigits(text, pos);
    // A point may follow digits, or directly a leading sign (-.5); a bare ".5" is not a float.
    bool pointAllowed = whole || (signedText && pos == afterSign);
    bool fraction = false;
    if (pos < text.size() && text[pos] == u'.' && pointAllowed) {
        ++pos;
        fraction = ReadDigits(text, pos);
    }
    if (!whole && !fraction) return pos;
    if (pos < text.size() && text[pos] == u'e') {
        ++pos;
        // The exponent needs its sign: 1e5 is not a float, 1e+5 is.
        if (pos >= text.size() || (text[pos] != u'+' && text[pos] != u'-')) return pos;
        ++pos;
        if (!ReadDigits(text, pos)) return pos;
    }
    return pos == text.size() ? kTextMatches : pos;
}

size_t CheckDateText(std::u16string_view text) {
    size_t pos = 0;
    bool read = ReadDate(text, pos);
    return WholeText(text, read, pos);
}

size_t CheckTimeText(std::u16string_view text) {
    size_t pos = 0;
    bool read = ReadTime(text, pos);
    return WholeText(text, read, pos);
}

size_t CheckDateTimeText(std::u16string_view text) {
    size_t pos = 0;
    if (!ReadDate(text, pos)) return pos;
    if (pos >= text.size() || text[pos] != u' ') return pos;
    SkipBlanks(text, pos);
    bool read = ReadTime(text, pos);
    return WholeText(text, read, pos);
}

size_t CheckFilePathText(std::u16string_view text) {
    // Texts made on the handheld keep their "\" paths, so both separators begin a path.
    if (text.empty() || (text[0] != u'/' && text[0] != u'\\')) return 0;
    for (size_t i = 1; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'"' || c == u'*' || c == u'<' || c == u'>' || c == u'?' || c == u'|') return i;
    }
    if (text.back() == u' ') return text.size() - 1;
    return kTextMatches;
}

size_t CheckValueText(int typeIndex, std::u16string_view value) {
    switch (typeIndex) {
    case ExtTypeInt:
        return CheckIntegerText(value);
    case ExtTypeFloat:
        return CheckFloatText(value);
    case ExtTypeString:
    case ExtTypeMlString:
        return kTextMatches;
    case ExtTypeDate:
        return CheckDateText(value);
    case ExtTypeTime:
        return CheckTimeText(value);
    case ExtTypeDateTime:
        return CheckDateTimeText(value);
    case ExtTypeFile:
        return CheckFilePathText(value);
    default:
        return 0;
    }
}

int CheckExtItem(const ExtItem& item, size_t& position) {
    static constexpr int kValueCodes[ExtTypeCount] = {kExtFieldInt,  kExtFieldFloat,   kExtFieldString,
                                                      kExtFieldDate, kExtFieldTime,    kExtFieldDateTime,
                                                      kExtFieldFile, kExtFieldMlString};
    position = 0;
    size_t at = CheckNameText(item.name);
    if (at != kTextMatches) return position = at, kExtFieldName;
    at = CheckDisplayNameText(item.displayName);
    if (at != kTextMatches) return position = at, kExtFieldDisplayName;
    int type = ExtTypeIndex(item.typeName);
    if (type < 0) return kExtFieldType;
    at = CheckValueText(type, item.value);
    if (at != kTextMatches) return position = at, kValueCodes[type];
    return 0;
}

std::u16string_view ExtFieldLabel(int code) {
    switch (code) {
    case kExtFieldName:
        return u"名前";
    case kExtFieldDisplayName:
        return u"表示名称";
    case kExtFieldReserved:
        return u"(予備)";
    case kExtFieldInt:
        return u"値(int)";
    case kExtFieldFloat:
        return u"値(float)";
    case kExtFieldString:
        return u"値(string)";
    case kExtFieldDate:
        return u"値(date)";
    case kExtFieldTime:
        return u"値(time)";
    case kExtFieldDateTime:
        return u"値(datetime)";
    case kExtFieldFile:
        return u"値(File)";
    case kExtFieldMlString:
        return u"値(mlstring)";
    case kExtFieldType:
        return u"タイプ";
    default:
        return u"いずれかの";
    }
}
