// Values of the memo language: one cell of the value stack, holding an operand
// (integer, float, string or a name not yet resolved) or an operator marker, and the
// number and text conversions the language uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Cell types; operands below 1000, operator and marker cells from 1001.
enum ValueType : std::int32_t {
    VtNone = 0,
    VtInt = 1,
    VtFloat = 2,
    VtString = 11,
    VtName = 21,
    OpAssign = 1001,
    OpAdd = 1002,
    OpSub = 1003,
    OpMul = 1004,
    OpDiv = 1005,
    OpEq = 1006,
    OpNe = 1007,
    OpLt = 1008,
    OpLe = 1009,
    OpGt = 1010,
    OpGe = 1011,
    OpParen = 1101,
};

struct Value {
    std::int32_t type = VtNone;
    std::int32_t intValue = 0;
    double floatValue = 0.0;
    std::u16string text; // the string of VtString, the identifier of VtName

    static Value Int(std::int32_t v) { return Value{VtInt, v, 0.0, {}}; }
    static Value Float(double v) { return Value{VtFloat, 0, v, {}}; }
    static Value String(std::u16string v) { return Value{VtString, 0, 0.0, std::move(v)}; }
    static Value Name(std::u16string v) { return Value{VtName, 0, 0.0, std::move(v)}; }
    static Value Op(std::int32_t code) { return Value{code, 0, 0.0, {}}; }
};

inline bool IsOperand(const Value& v) {
    return v.type == VtInt || v.type == VtFloat || v.type == VtString || v.type == VtName;
}

// The stack of one program or block.
using ValueStack = std::vector<Value>;

// Longest string value; a result that would be longer is refused like an exhausted
// allocation, so a memo that keeps doubling a text cannot eat the memory.
inline constexpr size_t kMaxStringLength = 65536;

// Decimal conversion: optional blanks and sign, the leading digits; the rest is
// ignored and a text without leading digits gives 0. Out-of-range values saturate.
std::int32_t TextToInt(std::u16string_view text);
// The same with a fraction and an exponent ("e" or "E", optional sign).
double TextToFloat(std::u16string_view text);
// Float to integer, truncated toward zero; saturates outside the 32-bit range, NaN gives 0.
std::int32_t TruncateToInt(double v);

// printf formatting in the C locale, whatever locale the program runs in.
std::u16string FormatInt(std::int32_t v); // "%d"
std::u16string FormatFixed(double v);     // "%f"
std::u16string FormatGeneral(double v);   // "%g"
