// Arithmetic, comparison and assignment of the memo language, by the types of the
// operands: the left operand decides the type of the result.
#include "script/Operators.h"

#include <optional>

namespace {

// Integer arithmetic wraps around like the 32-bit machine it comes from; INT_MIN / -1
// wraps too instead of trapping.
Value IntArithmetic(std::int32_t a, std::int32_t op, std::int32_t b) {
    std::int64_t x = a, y = b, r = 0;
    switch (op) {
    case OpAdd:
        r = x + y;
        break;
    case OpSub:
        r = x - y;
        break;
    case OpMul:
        r = x * y;
        break;
    default:
        if (y == 0) return Value::String(std::u16string(kTextZeroDivide));
        r = x / y;
        break;
    }
    return Value::Int(static_cast<std::int32_t>(r));
}

std::optional<double> FloatArithmetic(double a, std::int32_t op, double b) {
    switch (op) {
    case OpAdd:
        return a + b;
    case OpSub:
        return a - b;
    case OpMul:
        return a * b;
    default:
        if (b == 0.0) return std::nullopt;
        return a / b;
    }
}

Value StringArithmetic(const Value& left, std::int32_t op, const Value& right) {
    if (op == OpMul || op == OpDiv) return Value::String(std::u16string(kTextMulDivString));
    if (op == OpSub) return Value::String(std::u16string(kTextAddSubString));
    std::u16string tail = right.type == VtInt     ? FormatInt(right.intValue)
                          : right.type == VtFloat ? FormatFixed(right.floatValue)
                                                  : right.text;
    // A text that would outgrow the limit is refused like a failed allocation.
    if (left.text.size() + tail.size() > kMaxStringLength) return Value{};
    return Value::String(left.text + tail);
}

Value IntLeftArithmetic(std::int32_t a, std::int32_t op, const Value& right) {
    if (right.type == VtFloat) {
        std::optional<double> r = FloatArithmetic(a, op, right.floatValue);
        if (!r) return Value::String(std::u16string(kTextZeroDivide));
        return Value::Int(TruncateToInt(*r));
    }
    std::int32_t b = right.type == VtInt ? right.intValue : TextToInt(right.text);
    return IntArithmetic(a, op, b);
}

Value FloatLeftArithmetic(double a, std::int32_t op, const Value& right) {
    double b = right.type == VtInt     ? right.intValue
               : right.type == VtFloat ? right.floatValue
                                       : TextToFloat(right.text);
    std::optional<double> r = FloatArithmetic(a, op, b);
    if (!r) return Value::String(std::u16string(kTextZeroDivide));
    return Value::Float(*r);
}

template <typename T> std::int32_t Judge(const T& a, std::int32_t op, const T& b) {
    bool r = false;
    switch (op) {
    case OpEq:
        r = a == b;
        break;
    case OpNe:
        r = a != b;
        break;
    case OpLt:
        r = a < b;
        break;
    case OpLe:
        r = a <= b;
        break;
    case OpGt:
        r = a > b;
        break;
    default:
        r = a >= b;
        break;
    }
    return r ? -1 : 0;
}

// Resolves both operands in place; false when one is missing or cannot be resolved.
bool TakeOperands(EvalContext& cx, ValueStack& stack, size_t base, size_t opIndex, Value& left, std::int32_t& op,
                  Value& right) {
    bool hasLeft = opIndex == base + 1;
    bool hasRight = stack.size() == opIndex + 2;
    op = stack[opIndex].type;
    if (hasLeft) left = std::move(stack[base]);
    if (hasRight) right = std::move(stack[opIndex + 1]);
    stack.resize(base);
    return hasLeft && hasRight && cx.Resolve(left) == 0 && cx.Resolve(right) == 0;
}

} // namespace

Value Arithmetic(const Value& left, std::int32_t op, const Value& right) {
    switch (left.type) {
    case VtInt:
        return IntLeftArithmetic(left.intValue, op, right);
    case VtFloat:
        return FloatLeftArithmetic(left.floatValue, op, right);
    default:
        return StringArithmetic(left, op, right);
    }
}

std::int32_t Compare(const Value& left, std::int32_t op, const Value& right) {
    switch (left.type) {
    case VtInt: {
        std::int32_t b = right.type == VtInt     ? right.intValue
                         : right.type == VtFloat ? TruncateToInt(right.floatValue)
                                                 : TextToInt(right.text);
        return Judge(left.intValue, op, b);
    }
    case VtFloat: {
        double b = right.type == VtInt     ? right.intValue
                   : right.type == VtFloat ? right.floatValue
                                           : TextToFloat(right.text);
        return Judge(left.floatValue, op, b);
    }
    default: {
        std::u16string b = right.type == VtInt     ? FormatInt(right.intValue)
                           : right.type == VtFloat ? FormatFixed(right.floatValue)
                                                   : right.text;
        return Judge(std::u16string_view(left.text), op, std::u16string_view(b));
    }
    }
}

void ReduceArithmetic(EvalContext& cx, ValueStack& stack, size_t base, size_t opIndex) {
    Value left, right;
    std::int32_t op = 0;
    if (!TakeOperands(cx, stack, base, opIndex, left, op, right)) return;
    Value result = Arithmetic(left, op, right);
    if (result.type != VtNone) stack.push_back(std::move(result));
}

void ReduceComparison(EvalContext& cx, ValueStack& stack, size_t base, size_t opIndex) {
    Value left, right;
    std::int32_t op = 0;
    bool resolved = TakeOperands(cx, stack, base, opIndex, left, op, right);
    stack.push_back(Value::Int(resolved ? Compare(left, op, right) : 0));
}

void ReduceAssignment(EvalContext& cx, ValueStack& stack, size_t base, size_t opIndex) {
    bool hasLeft = opIndex == base + 1;
    bool hasRight = stack.size() == opIndex + 2;
    if (!hasRight) {
        stack.resize(base);
        return;
    }
    Value right = std::move(stack[opIndex + 1]);
    Value left = hasLeft ? std::move(stack[base]) : Value{};
    stack.resize(base);
    if (cx.Resolve(right) != 0) return;
    if (left.type == VtName) cx.SetVariable(left.text, right);
    stack.push_back(std::move(right));
}
