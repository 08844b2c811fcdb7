// The evaluation context: variable and item lookup by halving, name resolution.
#include "script/EvalContext.h"

#include "script/ScriptCodes.h"

#include "core/BinarySearch.h"
#include "core/Trace.h"
#include "core/Utf.h"

#include <array>

namespace {

// Sorted by name (code-unit order), as lookups by halving need.
constexpr std::array<FunctionEntry, 5> kFunctions = {{
    {u"IndexOf", FnIndexOf},
    {u"Length", FnLength},
    {u"LocalTime", FnLocalTime},
    {u"Rand", FnRand},
    {u"Substring", FnSubstring},
}};

} // namespace

EvalContext::EvalContext(ExtItemList items) : functions_(kFunctions), items_(std::move(items)) {}

EvalContext::~EvalContext() {
    FlushTrace();
}

void EvalContext::Trace(const char* format, int a, int b, int c) {
    traceFormat_ = format;
    traceArgs_[0] = a;
    traceArgs_[1] = b;
    traceArgs_[2] = c;
    traceHasName_ = false;
}

void EvalContext::TraceName(const char* format, std::u16string_view name) {
    traceFormat_ = format;
    traceName_.assign(name);
    traceHasName_ = true;
}

void EvalContext::FlushTrace() {
    if (!traceFormat_) return;
        // The formats are the evaluator's own literals; surplus integer arguments are ignored.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    if (traceHasName_)
        ::Trace(traceFormat_, ToUtf8(traceName_).c_str());
    else
        ::Trace(traceFormat_, traceArgs_[0], traceArgs_[1], traceArgs_[2]);
#pragma GCC diagnostic pop
    traceFormat_ = nullptr;
}

size_t EvalContext::VariablePosition(std::u16string_view name) const {
    return BinarySearch(variables_.size(), SearchMode::Lower,
                        [&](size_t i) { return std::u16string_view(variables_[i].first).compare(name); });
}

const Value* EvalContext::FindVariable(std::u16string_view name) const {
    size_t at = VariablePosition(name);
    if (at < variables_.size() && variables_[at].first == name) return &variables_[at].second;
    return nullptr;
}

void EvalContext::SetVariable(std::u16string_view name, Value value) {
    size_t at = VariablePosition(name);
    if (at < variables_.size() && variables_[at].first == name) {
        variables_[at].second = std::move(value);
        return;
    }
    variables_.insert(variables_.begin() + static_cast<std::ptrdiff_t>(at), {std::u16string(name), std::move(value)});
}

int EvalContext::Resolve(Value& cell) const {
    if (cell.type != VtName) return IsOperand(cell) ? 0 : kResolveNotAName;
    if (const Value* variable = FindVariable(cell.text)) {
        cell = *variable;
        return 0;
    }
    const ExtItem* item = items_.Find(cell.text);
    if (!item) return kResolveUnknownName;
    switch (ExtTypeIndex(item->typeName)) {
    case ExtTypeInt:
        cell = Value::Int(TextToInt(item->value));
        return 0;
    case ExtTypeFloat:
        cell = Value::Float(TextToFloat(item->value));
        return 0;
    case ExtTypeString:
    case ExtTypeDate:
    case ExtTypeTime:
    case ExtTypeDateTime:
    case ExtTypeFile:
    case ExtTypeMlString:
        cell = Value::String(item->value);
        return 0;
    default:
        return kResolveItemType;
    }
}

bool DepthGuard::Deep() const {
    return cx_.depth > kScriptMaxDepth;
}
