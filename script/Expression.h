// The expression levels of the memo language, loosest first. Each takes the context,
// the text and a position it advances, pushes its value (at most one cell) on the
// stack, and returns 0 or the negative code of the state it failed in.
#pragma once

#include "script/EvalContext.h"
#include "script/ScriptValue.h"

#include <string_view>

int EvalExpr(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack);       // assignment
int EvalLogiExpr(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack);   // comparison
int EvalSimpleExpr(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack); // + -
int EvalTerm(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack);       // * /
int EvalFact(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack);       // one factor

// Identifier characters: ASCII letters, "_", hiragana and katakana, CJK ideographs;
// after the first also ASCII digits.
bool IsIdentifierStart(char16_t c);
bool IsIdentifierChar(char16_t c);
