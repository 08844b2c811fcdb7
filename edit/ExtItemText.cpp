// Reading and writing the text form of extended items. The reader is a state machine
// over the characters; its state numbers are its error codes, negated.
#include "edit/ExtItemText.h"

#include "edit/ExtItemCheck.h"

#include "core/Trace.h"

#include <cstdio>

namespace {

enum State : int {
    StName = 100,
    StInName = 110,
    StNameColon = 120,
    StDisplay = 200,
    StInDisplay = 210,
    StDisplayColon = 220,
    StType = 300,
    StInType = 310,
    StTypeColon = 320,
    StValue = 400,
    StPlainValue = 500,
    StQuote = 600,
    StInString = 610,
    StEscape = 620,
    StHexEscape = 630,
    StAfterValue = 10100,
};

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// One pass over the text. Each Read* function consumes the characters of its field
// and returns 0, or the negated state it failed in.
class ValueReader {
public:
    ValueReader(std::u16string_view text, ExtItemList& list) : text_(text), list_(list) {}

    int Run() {
        int rc = 0;
        while (rc == 0) {
            state_ = StName;
            SkipBlanks();
            if (AtEnd()) break; // the text ends right after an item's final ":"
            rc = ReadItem();
        }
        // Per-character and per-value traces would each be overwritten by this one
        // before anyone could read the buffer, so only the outcome is traced.
        Trace("Loop Out:%03d:ST:%d", static_cast<int>(pos_), state_);
        return rc;
    }

private:
    bool AtEnd() const { return pos_ >= text_.size(); }
    char16_t Peek() const { return text_[pos_]; }
    void SkipBlanks() {
        while (!AtEnd() && Peek() == u' ')
            ++pos_;
    }
    int Fail() const { return -state_; }

    int ReadItem() {
        ExtItem item;
        int rc = ReadName(item.name);
        if (rc == 0) rc = ReadDisplayName(item.displayName);
        if (rc == 0) rc = ReadTypeName(item.typeName);
        bool valid = false;
        if (rc == 0) rc = ReadValue(item, valid);
        if (rc == 0) rc = ReadItemEnd();
        // An item whose value was read is kept even when its final ":" is missing.
        if (valid && (rc == 0 || rc == kPvFinalColon)) list_.Insert(std::move(item));
        return rc;
    }

    // name: a letter, then letters, digits and "_", ended by ":" or blanks and ":".
    int ReadName(std::u16string& name) {
        if (AtEnd() || !IsAsciiLetter(Peek())) return Fail();
        state_ = StInName;
        size_t start = pos_;
        while (!AtEnd() && IsNameChar(Peek()))
            ++pos_;
        name.assign(text_.substr(start, pos_ - start));
        return ReadFieldColon(StNameColon);
    }

    int ReadDisplayName(std::u16string& displayName) {
        state_ = StDisplay;
        SkipBlanks();
        if (AtEnd() || !IsDisplayNameChar(Peek())) return Fail();
        state_ = StInDisplay;
        size_t start = pos_;
        while (!AtEnd() && IsDisplayNameChar(Peek()))
            ++pos_;
        displayName.assign(text_.substr(start, pos_ - start));
        return ReadFieldColon(StDisplayColon);
    }

    // After the characters of a field: ":" directly, or blanks and then ":".
    int ReadFieldColon(int blankState) {
        if (AtEnd()) return Fail();
        if (Peek() == u' ') {
            state_ = blankState;
            SkipBlanks();
        }
        if (AtEnd() || Peek() != u':') return Fail();
        ++pos_;
        return 0;
    }

    int ReadTypeName(std::u16string& typeName) {
        state_ = StType;
        SkipBlanks();
        if (AtEnd() || !IsAsciiLetter(Peek())) return Fail();
        state_ = StInType;
        size_t start = pos_;
        while (!AtEnd() && IsNameChar(Peek()))
            ++pos_;
        typeName.assign(text_.substr(start, pos_ - start));
        if (AtEnd()) return Fail();
        if (Peek() == u' ') {
            // After a blank, everything up to the ":" is passed over.
            state_ = StTypeColon;
            while (!AtEnd() && Peek() != u':')
                ++pos_;
        }
        if (AtEnd() || Peek() != u':') return Fail();
        ++pos_;
        return 0;
    }

    // Reads the value by the type; valid tells whether it passed the type's grammar.
    int ReadValue(ExtItem& item, bool& valid) {
        state_ = StValue;
        int type = ExtTypeIndex(item.typeName);
        if (type < 0) return Fail();
        int rc = (type == ExtTypeInt || type == ExtTypeFloat) ? ReadPlainValue(item.value) : ReadQuoted(item.value);
        if (rc != 0) return rc;
        valid = CheckValueText(type, item.value) == kTextMatches;
        return 0;
    }

    // int and float: everything up to the next ":", which is left for the item's end.
    int ReadPlainValue(std::u16string& value) {
        state_ = StPlainValue;
        SkipBlanks();
        size_t start = pos_;
        while (!AtEnd() && Peek() != u':')
            ++pos_;
        if (AtEnd()) return Fail();
        value.assign(text_.substr(start, pos_ - start));
        return 0;
    }

    int ReadQuoted(std::u16string& value) {
        state_ = StQuote;
        SkipBlanks();
        if (AtEnd() || Peek() != u'"') return Fail();
        ++pos_;
        state_ = StInString;
        while (!AtEnd()) {
            char16_t c = Peek();
            if (c == u'"') {
                ++pos_;
                return 0;
            }
            if (c == u'\\') {
                int rc = ReadEscape(value);
                if (rc != 0) return rc;
                continue;
            }
            if (!IsStringChar(c)) return Fail();
            value.push_back(c);
            ++pos_;
        }
        return Fail();
    }

    // At a backslash: one escape, leaving the position after it.
    int ReadEscape(std::u16string& value) {
        state_ = StEscape;
        ++pos_;
        if (AtEnd()) return Fail();
        char16_t c = Peek();
        ++pos_;
        switch (c) {
        case u'\\':
        case u'"':
        case u'\'':
            value.push_back(c);
            break;
        case u't':
            value.push_back(u'\t');
            break;
        case u'n':
            value.push_back(u'\n');
            break;
        case u'r':
            value.push_back(u'\r');
            break;
        case u'x':
            return ReadHexEscape(value);
        default:
            --pos_;
            return Fail();
        }
        state_ = StInString;
        return 0;
    }

    // Up to four hexadecimal digits, ended early by the first other character.
    int ReadHexEscape(std::u16string& value) {
        state_ = StHexEscape;
        unsigned code = 0;
        for (int digits = 0; digits < 4; ++digits) {
            if (AtEnd()) return Fail();
            int h = HexValue(Peek());
            if (h < 0) break;
            code = code * 16 + static_cast<unsigned>(h);
            ++pos_;
        }
        value.push_back(static_cast<char16_t>(code));
        state_ = StInString;
        return 0;
    }

    int ReadItemEnd() {
        state_ = StAfterValue;
        SkipBlanks();
        if (AtEnd()) return kPvFinalColon;
        if (Peek() != u':') return Fail();
        ++pos_;
        return 0;
    }

    std::u16string_view text_;
    ExtItemList& list_;
    size_t pos_ = 0;
    int state_ = StName;
};

bool IsQuotedType(int type) {
    return type >= 0 && type != ExtTypeInt && type != ExtTypeFloat;
}

void AppendField(std::u16string& out, std::u16string_view field) {
    out.append(field);
    out.push_back(u':');
}

} // namespace

int ParseValue(std::u16string_view text, ExtItemList& list) {
    return ValueReader(text, list).Run();
}

std::u16string EscapeExtValue(std::u16string_view value) {
    std::u16string out;
    out.reserve(value.size() + 2);
    for (char16_t c : value) {
        switch (c) {
        case u'\\':
            out += u"\\\\";
            continue;
        case u'"':
            out += u"\\\"";
            continue;
        case u'\'':
            out += u"\\'";
            continue;
        case u'\t':
            out += u"\\t";
            continue;
        case u'\n':
            out += u"\\n";
            continue;
        case u'\r':
            out += u"\\r";
            continue;
        default:
            break;
        }
        if (IsStringChar(c)) {
            out.push_back(c);
            continue;
        }
        // Control characters and everything outside the readable ranges: the reader
        // takes them back from the escape, so a written value always reads again.
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%04x", static_cast<unsigned>(c));
        for (const char* p = hex; *p; ++p)
            out.push_back(static_cast<char16_t>(*p));
    }
    return out;
}

std::u16string FormatExtItemsText(const ExtItemList& list) {
    std::u16string out;
    for (const ExtItem& item : list) {
        AppendField(out, item.name);
        AppendField(out, item.displayName);
        AppendField(out, item.typeName);
        int type = ExtTypeIndex(item.typeName);
        if (IsQuotedType(type)) {
            // An empty value is written as an empty quoted text: an empty field here
            // would stop the reader and lose every item after this one.
            out.push_back(u'"');
            out += EscapeExtValue(item.value);
            out.push_back(u'"');
            out.push_back(u':');
        } else if (type >= 0) {
            AppendField(out, item.value);
        } else {
            AppendField(out, u"");
        }
    }
    return out;
}
