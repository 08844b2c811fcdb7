// The state of one evaluation of a memo: the function table, the variables assigned so
// far (kept across the programs of one memo), the action's items with the pseudo-items
// of its fixed fields, and the nesting depth. It is passed down through every level.
#pragma once

#include "script/ScriptValue.h"

#include "edit/ExtItem.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

// Built-in function numbers.
enum FunctionNumber : int { FnLocalTime = 8, FnRand = 9, FnLength = 12, FnSubstring = 13, FnIndexOf = 14 };

struct FunctionEntry {
    std::u16string_view name;
    int number;
};

// Name resolution codes.
inline constexpr int kResolveUnknownName = -102; // neither a variable nor an item
inline constexpr int kResolveNotAName = -103;    // the cell holds no name
inline constexpr int kResolveItemType = -104;    // an item whose type name gives no value

class EvalContext {
public:
    // Takes the item table: the action's extended items and the pseudo-items.
    explicit EvalContext(ExtItemList items);

    std::span<const FunctionEntry> functions() const { return functions_; }
    const ExtItemList& items() const { return items_; }

    // The variable of that name, or nullptr.
    const Value* FindVariable(std::u16string_view name) const;
    // Stores a variable, replacing one of the same name.
    void SetVariable(std::u16string_view name, Value value);

    // Turns a name cell into its value (variables first, then items); other operands
    // stay as they are. Returns 0 or a resolution code; the cell is unchanged on failure.
    int Resolve(Value& cell) const;

    // Records a diagnostic step ("EvalExpr S:%d" …). Only the latest one reaches the
    // program's trace buffer, when the context ends or FlushTrace() runs: each trace
    // overwrites the buffer anyway, and formatting every step would cost most of the
    // evaluation time.
    void Trace(const char* format, int a = 0, int b = 0, int c = 0);
    void TraceName(const char* format, std::u16string_view name);
    void FlushTrace();
    ~EvalContext();
    EvalContext(const EvalContext&) = delete;
    EvalContext& operator=(const EvalContext&) = delete;

    // Nesting depth of the levels now running.
    int depth = 0;

private:
    // First variable position whose name is not less than the given one.
    size_t VariablePosition(std::u16string_view name) const;

    std::span<const FunctionEntry> functions_;
    std::vector<std::pair<std::u16string, Value>> variables_;
    ExtItemList items_;
    const char* traceFormat_ = nullptr;
    int traceArgs_[3] = {0, 0, 0};
    std::u16string traceName_;
    bool traceHasName_ = false;
};

// Counts one level of nesting while it lives; Deep() tells when the bound is passed.
class DepthGuard {
public:
    explicit DepthGuard(EvalContext& cx) : cx_(cx) { ++cx_.depth; }
    ~DepthGuard() { --cx_.depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    bool Deep() const;

private:
    EvalContext& cx_;
};
