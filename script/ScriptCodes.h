// Result codes of the memo language's levels. Each level returns 0 or a negative code
// naming the state it failed in; the numbers repeat across levels on purpose (every
// level counts its own states).
#pragma once

inline constexpr int kScriptNotThisLevel = -101;   // not an if / no operand or brace here
inline constexpr int kScriptOpenParen = -201;      // "(" expected
inline constexpr int kScriptTextEnds = -201;       // the text ends where an operand is expected
inline constexpr int kScriptCondition = -211;      // the condition of an if failed
inline constexpr int kScriptConditionEnd = -2111;  // the text ended inside the condition
inline constexpr int kScriptCloseParen = -221;     // ")" expected after the condition
inline constexpr int kScriptBlock = -231;          // the block of a branch failed
inline constexpr int kScriptStringLiteral = -301;  // unterminated or invalid string literal
inline constexpr int kScriptBlockSeparator = -311; // neither ";" nor "}" after a block statement
inline constexpr int kScriptFunctionCall = -601;   // a call could not be read
inline constexpr int kScriptParenExpr = -701;      // the expression in parentheses failed
inline constexpr int kScriptParenClose = -711;     // ")" missing after a parenthesised expression
inline constexpr int kScriptProgram = -1000;       // neither a statement nor an expression
inline constexpr int kScriptTooDeep = -10000;      // nesting deeper than kScriptMaxDepth
inline constexpr int kScriptSyntax = -10011;       // a second "." in a number, an unknown escape

// Levels nest through parentheses, signs, calls, if statements and blocks; beyond this
// depth the program fails instead of exhausting the stack.
inline constexpr int kScriptMaxDepth = 200;
