// The reductions of the memo language: arithmetic, comparison and assignment over the
// cells a level pushed. A level records where it began (base) and where it pushed its
// operator; the cells from base are [left] operator [right], either operand possibly
// missing when a failing call pushed nothing. The reduction replaces them by at most
// one result cell.
#pragma once

#include "script/EvalContext.h"
#include "script/ScriptValue.h"

// The three texts that stand for operations the language cannot do.
inline constexpr std::u16string_view kTextMulDivString = u"(mul/div can't in string.)";
inline constexpr std::u16string_view kTextAddSubString = u"(can't operator in add/sub sequence.)";
inline constexpr std::u16string_view kTextZeroDivide = u"(can't 0 div.)";

// + - * /: the result type follows the left operand. An operand that is missing or a
// name that cannot be resolved leaves no result.
void ReduceArithmetic(EvalContext& cx, ValueStack& stack, size_t base, size_t opIndex);
// == != < <= > >=: integer -1 (true) or 0; 0 also when an operand is missing or unresolved.
void ReduceComparison(EvalContext& cx, ValueStack& stack, size_t base, size_t opIndex);
// name = value: stores the resolved value under the name and leaves the value. With a
// value instead of a name on the left, the value is left and nothing is stored.
void ReduceAssignment(EvalContext& cx, ValueStack& stack, size_t base, size_t opIndex);

// The two values computed directly (both resolved operands).
Value Arithmetic(const Value& left, std::int32_t op, const Value& right);
std::int32_t Compare(const Value& left, std::int32_t op, const Value& right);
