// LocalTime, Rand, Length, Substring and IndexOf, and the reading of a call's
// arguments (each argument is one factor).
#include "script/Functions.h"

#include "script/Expression.h"
#include "script/ScriptCodes.h"

#include "core/BinarySearch.h"
#include "core/Clock.h"
#include "core/Random.h"
#include "core/Utf.h"

namespace {

int LocalTimeFunction(std::span<Value> args, Value& result) {
    if (!args.empty()) return -101;
    LocalDateTime now = LocalNow();
    result = Value::String(
        FormatText("%04d/%02d/%02d %02d:%02d:%02d", now.year, now.month, now.day, now.hour, now.minute, now.second));
    return 0;
}

int RandFunction(std::span<Value> args, Value& result) {
    if (args.size() != 1) return -101;
    if (args[0].type == VtString) return -102;
    if (args[0].type != VtInt) return -103;
    // r / 32768 × n, truncated toward zero: 0 ≤ result < n for n > 0.
    double scaled = NextRandom() * (1.0 / 32768.0) * args[0].intValue;
    result = Value::Int(TruncateToInt(scaled));
    return 0;
}

int LengthFunction(std::span<Value> args, Value& result) {
    if (args.size() != 1) return -101;
    if (args[0].type != VtString) return -102;
    result = Value::Int(static_cast<std::int32_t>(args[0].text.size()));
    return 0;
}

int SubstringFunction(std::span<Value> args, Value& result) {
    if (args.size() < 2 || args.size() > 3) return -101;
    if (args[0].type != VtString || args[1].type != VtInt || (args.size() == 3 && args[2].type != VtInt)) return -102;
    const std::u16string& s = args[0].text;
    std::int64_t start = args[1].intValue;
    if (start < 0 || start >= static_cast<std::int64_t>(s.size())) return -103;
    std::int64_t length = args.size() == 3 ? args[2].intValue : -1;
    size_t count = length < 0 ? std::u16string::npos : static_cast<size_t>(length);
    result = Value::String(s.substr(static_cast<size_t>(start), count));
    return 0;
}

int IndexOfFunction(std::span<Value> args, Value& result) {
    if (args.size() < 2 || args.size() > 3) return -101;
    if (args[0].type != VtString || args[1].type != VtString || (args.size() == 3 && args[2].type != VtInt))
        return -102;
    const std::u16string& s = args[0].text;
    const std::u16string& part = args[1].text;
    std::int64_t from = args.size() == 3 ? args[2].intValue : 0;
    result = Value::Int(-1);
    if (part.empty()) return -103;
    if (from < 0 || from > static_cast<std::int64_t>(s.size())) return 0;
    size_t at = s.find(part, static_cast<size_t>(from));
    if (at != std::u16string::npos) result = Value::Int(static_cast<std::int32_t>(at));
    return 0;
}

// Skips blanks; the only white space of the language is the blank.
void SkipBlanks(std::u16string_view text, size_t& pos) {
    while (pos < text.size() && text[pos] == u' ')
        ++pos;
}

// Reads "(" factor { "," factor } ")" or "()", leaving the arguments on the stack.
int ReadArguments(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    SkipBlanks(text, pos);
    if (pos >= text.size() || text[pos] != u'(') return kScriptOpenParen;
    ++pos;
    SkipBlanks(text, pos);
    if (pos < text.size() && text[pos] == u')') {
        ++pos;
        return 0;
    }
    while (true) {
        int rc = EvalFact(cx, text, pos, stack);
        if (rc != 0) return rc;
        SkipBlanks(text, pos);
        if (pos >= text.size()) return kScriptFunctionCall;
        if (text[pos] == u')') {
            ++pos;
            return 0;
        }
        if (text[pos] != u',') return kScriptFunctionCall;
        ++pos;
    }
}

} // namespace

int IsFunc(EvalContext& cx, std::u16string_view name) {
    cx.TraceName("IsFunc S(%s)", name);
    std::span<const FunctionEntry> table = cx.functions();
    size_t at = BinarySearch(table.size(), SearchMode::Lower, [&](size_t i) { return table[i].name.compare(name); });
    int number = at < table.size() && table[at].name == name ? table[at].number : -1;
    if (number < 0) cx.Trace("IsFunc E(%d)", number);
    return number;
}

int RunFunction(int number, std::span<Value> args, Value& result) {
    switch (number) {
    case FnLocalTime:
        return LocalTimeFunction(args, result);
    case FnRand:
        return RandFunction(args, result);
    case FnLength:
        return LengthFunction(args, result);
    case FnSubstring:
        return SubstringFunction(args, result);
    case FnIndexOf:
        return IndexOfFunction(args, result);
    default:
        return -101;
    }
}

int EvalFunc(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack, int number) {
    size_t base = stack.size();
    int rc = ReadArguments(cx, text, pos, stack);
    if (rc != 0) {
        stack.resize(base);
        cx.Trace("EvalFunc E Err %d", rc);
        return rc;
    }
    std::span<Value> args(stack.data() + base, stack.size() - base);
    for (Value& arg : args)
        cx.Resolve(arg);
    Value result;
    int fn = RunFunction(number, args, result);
    stack.resize(base);
    if (result.type != VtNone) stack.push_back(std::move(result));
    cx.Trace("ExFn:Res=%d", fn);
    return 0;
}
