// Expressions of the memo language, one function per precedence level. Operands and
// operators go on the value stack; each level reduces what it pushed left to right.
#include "script/Expression.h"

#include "script/Functions.h"
#include "script/Operators.h"
#include "script/ScriptCodes.h"

namespace {

bool AtEnd(std::u16string_view text, size_t pos) {
    return pos >= text.size();
}
char16_t PeekAt(std::u16string_view text, size_t pos) {
    return pos < text.size() ? text[pos] : u'\0';
}
void SkipBlanks(std::u16string_view text, size_t& pos) {
    while (pos < text.size() && text[pos] == u' ')
        ++pos;
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int Failed(EvalContext& cx, const char* format, int rc) {
    cx.Trace(format, rc);
    return rc;
}

// The comparison operator at pos (two-character ones first), or 0.
std::int32_t ComparisonAt(std::u16string_view text, size_t pos, size_t& length) {
    char16_t a = PeekAt(text, pos), b = PeekAt(text, pos + 1);
    length = 2;
    if (a == u'=' && b == u'=') return OpEq;
    if (a == u'!' && b == u'=') return OpNe;
    if (a == u'<' && b == u'=') return OpLe;
    if (a == u'>' && b == u'=') return OpGe;
    length = 1;
    if (a == u'<') return OpLt;
    if (a == u'>') return OpGt;
    return 0;
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Digits with at most one ".": an integer, or a float when a point was read.
int ReadNumber(std::u16string_view text, size_t& pos, ValueStack& stack) {
    size_t start = pos;
    bool point = false;
    for (; !AtEnd(text, pos); ++pos) {
        char16_t c = text[pos];
        if (c == u'.') {
            if (point) return kScriptSyntax;
            point = true;
        } else if (!IsDigit(c)) {
            break;
        }
    }
    std::u16string_view number = text.substr(start, pos - start);
    stack.push_back(point ? Value::Float(TextToFloat(number)) : Value::Int(TextToInt(number)));
    return 0;
}

// After a backslash in a literal: one escape appended to out.
int ReadLiteralEscape(std::u16string_view text, size_t& pos, std::u16string& out) {
    if (AtEnd(text, pos)) return kScriptStringLiteral;
    char16_t c = text[pos++];
    switch (c) {
    case u'n':
        out.push_back(u'\n');
        return 0;
    case u'r':
        out.push_back(u'\r');
        return 0;
    case u't':
        out.push_back(u'\t');
        return 0;
    case u'\\':
    case u'"':
    case u'\'':
        out.push_back(c);
        return 0;
    case u'x': {
        unsigned code = 0;
        for (int digits = 0; digits < 4 && HexValue(PeekAt(text, pos)) >= 0; ++digits)
            code = code * 16 + static_cast<unsigned>(HexValue(text[pos++]));
        out.push_back(static_cast<char16_t>(code));
        return 0;
    }
    default:
        --pos;
        return kScriptSyntax;
    }
}

// From the opening quote to the closing one, which is consumed.
int ReadStringLiteral(std::u16string_view text, size_t& pos, ValueStack& stack) {
    ++pos;
    std::u16string literal;
    while (!AtEnd(text, pos)) {
        char16_t c = text[pos];
        if (c == u'"') {
            ++pos;
            stack.push_back(Value::String(std::move(literal)));
            return 0;
        }
        if (c < 0x20) return kScriptStringLiteral;
        ++pos;
        if (c != u'\\') {
            literal.push_back(c);
            continue;
        }
        int rc = ReadLiteralEscape(text, pos, literal);
        if (rc != 0) return rc;
    }
    return kScriptStringLiteral;
}

// "-" factor: integers and floats negated, a name resolved first, strings unchanged.
void Negate(EvalContext& cx, ValueStack& stack, size_t base) {
    if (stack.size() != base + 1) return;
    Value& v = stack.back();
    cx.Resolve(v);
    if (v.type == VtInt) v.intValue = static_cast<std::int32_t>(-static_cast<std::int64_t>(v.intValue));
    if (v.type == VtFloat) v.floatValue = -v.floatValue;
}

// "(" expression ")": the marker keeps the expression's cells apart from what lies below.
int ReadParenthesised(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    size_t marker = stack.size();
    stack.push_back(Value::Op(OpParen));
    ++pos;
    if (EvalExpr(cx, text, pos, stack) != 0) return kScriptParenExpr;
    SkipBlanks(text, pos);
    if (PeekAt(text, pos) != u')') return kScriptParenClose;
    ++pos;
    stack.erase(stack.begin() + static_cast<std::ptrdiff_t>(marker));
    return 0;
}

int ReadIdentifier(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    size_t start = pos;
    while (!AtEnd(text, pos) && IsIdentifierChar(text[pos]))
        ++pos;
    std::u16string_view name = text.substr(start, pos - start);
    int number = IsFunc(cx, name);
    if (number < 0) {
        stack.push_back(Value::Name(std::u16string(name)));
        return 0;
    }
    return EvalFunc(cx, text, pos, stack, number) == 0 ? 0 : kScriptFunctionCall;
}

int ReadFactor(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    char16_t c = text[pos];
    if (IsDigit(c)) return ReadNumber(text, pos, stack);
    if (c == u'"') return ReadStringLiteral(text, pos, stack);
    if (c == u'(') return ReadParenthesised(cx, text, pos, stack);
    if (IsIdentifierStart(c)) return ReadIdentifier(cx, text, pos, stack);
    if (c == u'+' || c == u'-') {
        ++pos;
        size_t base = stack.size();
        int rc = EvalFact(cx, text, pos, stack);
        if (rc == 0 && c == u'-') Negate(cx, stack, base);
        return rc;
    }
    return kScriptNotThisLevel;
}

} // namespace

bool IsIdentifierStart(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || (c >= 0x3041 && c <= 0x30FE) ||
           (c >= 0x4E00 && c <= 0x9FA5);
}

bool IsIdentifierChar(char16_t c) {
    return IsIdentifierStart(c) || IsDigit(c);
}

int EvalFact(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    DepthGuard guard(cx);
    cx.Trace("EvalFact S:%d", static_cast<int>(pos));
    if (guard.Deep()) return Failed(cx, "EvalFact E Err %d", kScriptTooDeep);
    SkipBlanks(text, pos);
    if (AtEnd(text, pos)) return Failed(cx, "EvalFact E Err %d", kScriptTextEnds);
    int rc = ReadFactor(cx, text, pos, stack);
    if (rc != 0) return Failed(cx, "EvalFact E Err %d", rc);
    return 0;
}

int EvalTerm(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    cx.Trace("EvalTerm S:%d", static_cast<int>(pos));
    size_t base = stack.size();
    int rc = EvalFact(cx, text, pos, stack);
    while (rc == 0) {
        SkipBlanks(text, pos);
        char16_t c = PeekAt(text, pos);
        if (c != u'*' && c != u'/') return 0;
        size_t opIndex = stack.size();
        stack.push_back(Value::Op(c == u'*' ? OpMul : OpDiv));
        ++pos;
        rc = EvalFact(cx, text, pos, stack);
        if (rc == 0) ReduceArithmetic(cx, stack, base, opIndex);
    }
    return Failed(cx, "EvalTerm E Err %d", rc);
}

int EvalSimpleExpr(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    cx.Trace("EvalSimpleExpr S:%d", static_cast<int>(pos));
    size_t base = stack.size();
    int rc = EvalTerm(cx, text, pos, stack);
    while (rc == 0) {
        SkipBlanks(text, pos);
        char16_t c = PeekAt(text, pos);
        if (c != u'+' && c != u'-') return 0;
        size_t opIndex = stack.size();
        stack.push_back(Value::Op(c == u'+' ? OpAdd : OpSub));
        ++pos;
        rc = EvalTerm(cx, text, pos, stack);
        if (rc == 0) ReduceArithmetic(cx, stack, base, opIndex);
    }
    return Failed(cx, "EvalSimpleExpr E Err %d", rc);
}

int EvalLogiExpr(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    cx.Trace("EvalLogiExpr S:%d", static_cast<int>(pos));
    size_t base = stack.size();
    int rc = EvalSimpleExpr(cx, text, pos, stack);
    while (rc == 0) {
        SkipBlanks(text, pos);
        size_t length = 0;
        std::int32_t op = ComparisonAt(text, pos, length);
        if (op == 0) return 0;
        size_t opIndex = stack.size();
        stack.push_back(Value::Op(op));
        pos += length;
        rc = EvalSimpleExpr(cx, text, pos, stack);
        if (rc == 0) ReduceComparison(cx, stack, base, opIndex);
    }
    return Failed(cx, "EvalLogiExpr E Err %d", rc);
}

int EvalExpr(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    cx.Trace("EvalExpr S:%d", static_cast<int>(pos));
    size_t base = stack.size();
    int rc = EvalLogiExpr(cx, text, pos, stack);
    while (rc == 0) {
        SkipBlanks(text, pos);
        // "=" assigns; "==" belongs to the comparison, which has already taken it.
        if (PeekAt(text, pos) != u'=' || PeekAt(text, pos + 1) == u'=') return 0;
        size_t opIndex = stack.size();
        stack.push_back(Value::Op(OpAssign));
        ++pos;
        rc = EvalLogiExpr(cx, text, pos, stack);
        if (rc == 0) ReduceAssignment(cx, stack, base, opIndex);
    }
    return Failed(cx, "EvalExpr E Err %d", rc);
}
