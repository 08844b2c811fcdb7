// The built-in functions of the memo language and their calls.
#pragma once

#include "script/EvalContext.h"
#include "script/ScriptValue.h"

#include <string_view>

// The function number of a name, or -1 when it names no function.
int IsFunc(EvalContext& cx, std::u16string_view name);

// Reads the argument list of a call to function `number`, from just after its name,
// and runs the function. Returns 0 when the call could be read (a function that fails
// on its arguments pushes nothing and still returns 0), or the failing code.
int EvalFunc(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack, int number);

// Runs a function on the arguments args[0 … n-1] (already resolved where they could
// be). Returns 0 with the result, or the function's failure code; IndexOf with an
// empty part fails with -103 and still gives -1.
int RunFunction(int number, std::span<Value> args, Value& result);
