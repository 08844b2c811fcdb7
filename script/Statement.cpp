// Programs, if statements and blocks of the memo language.
#include "script/Statement.h"

#include "script/Expression.h"
#include "script/ScriptCodes.h"

namespace {

char16_t PeekAt(std::u16string_view text, size_t pos) {
    return pos < text.size() ? text[pos] : u'\0';
}
void SkipBlanks(std::u16string_view text, size_t& pos) {
    while (pos < text.size() && text[pos] == u' ')
        ++pos;
}
bool StartsWith(std::u16string_view text, size_t pos, std::u16string_view word) {
    return text.substr(std::min(pos, text.size())).starts_with(word);
}

int Failed(EvalContext& cx, const char* format, int rc) {
    cx.Trace(format, rc);
    return rc;
}

// Whether the text at pos (blanks skipped) is "if" followed, after blanks, by "(".
bool StartsIfStatement(std::u16string_view text, size_t pos) {
    SkipBlanks(text, pos);
    if (!StartsWith(text, pos, u"if")) return false;
    pos += 2;
    SkipBlanks(text, pos);
    return PeekAt(text, pos) == u'(';
}

// One statement of a program or block: an if statement or else an expression. A text
// that begins with "if" but has no "(" after it is read as an expression, so names
// such as "iffy" stay usable. `wasIf` tells which one ran.
int EvalOneStatement(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack, bool& wasIf) {
    wasIf = false;
    if (!StartsIfStatement(text, pos)) return EvalExpr(cx, text, pos, stack);
    int rc = EvalStatement(cx, text, pos, stack);
    wasIf = rc == 0;
    return rc;
}

// The condition of one branch: an integer gives its judgement; a float, a string or a
// name counts as false (0).
int EvalCondition(EvalContext& cx, std::u16string_view text, size_t& pos, int& judgement) {
    ValueStack condition;
    int rc = EvalExpr(cx, text, pos, condition);
    if (rc != 0) return pos >= text.size() ? kScriptConditionEnd : kScriptCondition;
    judgement = !condition.empty() && condition.back().type == VtInt ? condition.back().intValue : 0;
    cx.Trace("jdg=%d", judgement);
    return 0;
}

// "(" condition ")" block, for one branch of the chain. `ran` tells whether an earlier
// branch ran already; it is set when this branch's judgement holds.
int EvalBranch(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack, bool& ran) {
    SkipBlanks(text, pos);
    if (PeekAt(text, pos) != u'(') return kScriptOpenParen;
    ++pos;
    int judgement = 0;
    int rc = EvalCondition(cx, text, pos, judgement);
    if (rc != 0) return rc;
    SkipBlanks(text, pos);
    if (PeekAt(text, pos) != u')') return kScriptCloseParen;
    ++pos;
    bool active = judgement != 0 && !ran;
    rc = active ? EvalStatExprBlock(cx, text, pos, stack) : SkipToRightPrnt(cx, text, pos);
    cx.Trace("THEN Exec AF:Un=%d,Jd=%d rs=%d", ran ? 1 : 0, judgement, rc);
    if (rc != 0) return kScriptBlock;
    if (judgement != 0) ran = true;
    return 0;
}

int EvalElseBlock(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack, bool ran) {
    int rc = ran ? SkipToRightPrnt(cx, text, pos) : EvalStatExprBlock(cx, text, pos, stack);
    cx.Trace("ELSE Exec AF:Un=%d,Jd=%d rs=%d", ran ? 1 : 0, ran ? 1 : 0, rc);
    return rc == 0 ? 0 : kScriptBlock;
}

int EvalIfChain(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    bool ran = false;
    while (true) {
        int rc = EvalBranch(cx, text, pos, stack, ran);
        if (rc != 0) return rc;
        SkipBlanks(text, pos);
        if (!StartsWith(text, pos, u"else")) return 0;
        pos += 4;
        SkipBlanks(text, pos);
        if (!StartsWith(text, pos, u"if")) return EvalElseBlock(cx, text, pos, stack, ran);
        pos += 2;
    }
}

// After a statement in a block: ";" (clears the block's stack), "}" or a failure.
int EvalBlockStatements(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& block) {
    while (true) {
        SkipBlanks(text, pos);
        if (PeekAt(text, pos) == u'}') return 0;
        bool wasIf = false;
        int rc = EvalOneStatement(cx, text, pos, block, wasIf);
        if (rc != 0) return rc;
        SkipBlanks(text, pos);
        char16_t c = PeekAt(text, pos);
        if (c == u';') {
            block.clear();
            ++pos;
        } else if (c != u'}' && !wasIf) {
            return pos >= text.size() ? kScriptNotThisLevel : kScriptBlockSeparator;
        }
        if (pos >= text.size()) return kScriptNotThisLevel;
    }
}

// The program's statements; after an expression ";" goes on, anything else ends it.
int EvalStatements(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    while (true) {
        SkipBlanks(text, pos);
        if (pos >= text.size()) return 0;
        size_t start = pos;
        bool wasIf = false;
        int rc = EvalOneStatement(cx, text, pos, stack, wasIf);
        if (wasIf) continue; // the next statement or the closing "#" follows directly
        if (rc != 0) {
            // An empty program, or the end of one after an if statement.
            if (text[start] == u'#') {
                pos = start;
                return 0;
            }
            return kScriptProgram;
        }
        SkipBlanks(text, pos);
        if (PeekAt(text, pos) != u';' || pos >= text.size()) return 0;
        stack.clear();
        ++pos;
    }
}

} // namespace

int EvalStatement(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& stack) {
    DepthGuard guard(cx);
    cx.Trace("EvalStatement S:%d", static_cast<int>(pos));
    SkipBlanks(text, pos);
    if (!StartsWith(text, pos, u"if")) return kScriptNotThisLevel;
    if (guard.Deep()) return Failed(cx, "EvalStatement E Err %d", kScriptTooDeep);
    cx.Trace("EvalIfStatement S:%d M:%d", static_cast<int>(pos), 0);
    pos += 2;
    size_t before = stack.size();
    int rc = EvalIfChain(cx, text, pos, stack);
    cx.Trace("stk n=%d", static_cast<int>(stack.size()));
    if (rc != 0) {
        stack.resize(std::min(before, stack.size()));
        return Failed(cx, "EvalStatement E Err %d", rc);
    }
    return 0;
}

int EvalStatExprBlock(EvalContext& cx, std::u16string_view text, size_t& pos, ValueStack& outer) {
    DepthGuard guard(cx);
    if (guard.Deep()) return Failed(cx, "EvalStatExprBlock E Err %d", kScriptTooDeep);
    SkipBlanks(text, pos);
    if (PeekAt(text, pos) != u'{') return Failed(cx, "EvalStatExprBlock E Err %d", kScriptNotThisLevel);
    ++pos;
    ValueStack block;
    int rc = EvalBlockStatements(cx, text, pos, block);
    if (rc != 0) return Failed(cx, "EvalStatExprBlock E Err %d", rc);
    ++pos; // the "}"
    if (!block.empty()) outer.push_back(std::move(block.back()));
    return 0;
}

int SkipToRightPrnt(EvalContext& cx, std::u16string_view text, size_t& pos) {
    cx.Trace("SkipToRightPrnt S:%d", static_cast<int>(pos));
    SkipBlanks(text, pos);
    if (PeekAt(text, pos) != u'{') return Failed(cx, "SkipToRightPrnt E Err %d", kScriptNotThisLevel);
    int open = 0;
    bool inString = false;
    for (; pos < text.size(); ++pos) {
        char16_t c = text[pos];
        if (inString) {
            if (c == u'\\')
                ++pos; // the escaped character cannot end the string
            else if (c == u'"')
                inString = false;
        } else if (c == u'"') {
            inString = true;
        } else if (c == u'{') {
            ++open;
        } else if (c == u'}' && --open == 0) {
            ++pos;
            return 0;
        }
    }
    pos = text.size();
    return Failed(cx, "SkipToRightPrnt E Err %d", inString ? kScriptOpenParen : kScriptNotThisLevel);
}

std::optional<std::u16string> ShownValue(EvalContext& cx, ValueStack& stack) {
    if (stack.empty()) return std::nullopt;
    Value v = std::move(stack.back());
    stack.pop_back();
    if (cx.Resolve(v) != 0) return std::nullopt;
    switch (v.type) {
    case VtInt:
        return FormatInt(v.intValue);
    case VtFloat:
        return FormatGeneral(v.floatValue);
    case VtString:
        return std::move(v.text);
    default:
        return std::nullopt;
    }
}

int EvalProgram(EvalContext& cx, std::u16string_view text, size_t& pos, std::optional<std::u16string>& shown) {
    ValueStack stack;
    shown.reset();
    int rc = EvalStatements(cx, text, pos, stack);
    cx.Trace("end Ix=%d stat=%d", static_cast<int>(pos), rc);
    if (rc != 0) return rc;
    shown = ShownValue(cx, stack);
    return 0;
}
