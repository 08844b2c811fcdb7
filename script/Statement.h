// The statement levels of the memo language: a program (the text between two "#"),
// the if statement with its else-if/else chain, and the blocks its branches run or
// pass over.
#pragma once

#include "script/EvalContext.h"
#include "script/ScriptValue.h"

#include <optional>
#include <string>
#include <string_view>

// Evaluates one program from pos (the character after its opening "#"). Returns 0 with
// the program's shown value (nullopt when it gives no text), or a failing code. pos
// rests on the character where the program stopped: its closing "#" normally.
int EvalProgram(EvalContext& cx, std::u16string_view text, size_t& pos, std::optional<std::u16string>& shown);

// if "(" expression ")" block { else if "(" expression ")" block } [ else block ].
// -101 when the text here is not an if (only blanks consumed). The value of the block
// that ran is left on the stack.
int EvalStatement(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack);

// "{" statements separated by ";" "}": runs them on a stack of its own and moves the
// last value onto `outer`.
int EvalStatExprBlock(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& outer);

// Passes over a block without evaluating it, to after the "}" that closes its "{";
// braces inside string literals do not count.
int SkipToRightPrnt(EvalContext& cx, std::u16string_view text, size_t& pos);

// The text a program shows for its final value: "%d", "%g", the string itself; nullopt
// for a name that cannot be resolved or an empty stack.
std::optional<std::u16string> ShownValue(EvalContext& cx, ValueStack& stack);
