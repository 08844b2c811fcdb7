// Hostile memos: deep nesting, long texts, runaway strings. None may crash, hang or
// take more than linear time; a program nested too deeply fails like any other.
#include "ScriptTestSupport.h"

#include "script/Expression.h"
#include "script/ScriptCodes.h"
#include "script/Statement.h"

#include "core/Trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

std::u16string Repeat(std::u16string_view part, size_t n) {
    std::u16string out;
    for (size_t i = 0; i < n; ++i)
        out += part;
    return out;
}

TEST(ScriptDepthTest, DeepParenthesesFailAtTheBoundAndShowTheRest) {
    std::u16string memo = u"#" + Repeat(u"(", 10000) + u"1" + Repeat(u")", 10000) + u"#";
    // The factor one level too deep stands on the 201st "(" (position 201); the scan
    // goes on after it.
    size_t resume = 1 + kScriptMaxDepth + 1;
    EXPECT_EQ(Show(TestAction(memo)), memo.substr(resume, memo.size() - resume - 1));
}

TEST(ScriptDepthTest, NestingWithinTheBoundStillWorks) {
    size_t n = kScriptMaxDepth - 1;
    EXPECT_EQ(Show(TestAction(u"#" + Repeat(u"(", n) + u"7" + Repeat(u")", n) + u"#")), u"7");
    EXPECT_EQ(Show(TestAction(u"#" + Repeat(u"-", n) + u"7#")), n % 2 ? u"-7" : u"7");
    size_t ifs = kScriptMaxDepth / 2 - 1;
    EXPECT_EQ(Show(TestAction(u"#" + Repeat(u"if(1){", ifs) + u"3" + Repeat(u"}", ifs) + u"#")), u"3");
}

TEST(ScriptDepthTest, HostileNestingNeverExhaustsTheStack) {
    const std::u16string parts[] = {u"-", u"+", u"if(1){", u"if(0){}else{", u"Length(", u"{", u"if(", u"(\""};
    for (const std::u16string& part : parts) {
        std::u16string memo = u"#" + Repeat(part, 10000) + u"1#tail";
        std::u16string shown = Show(TestAction(memo));
        EXPECT_LE(shown.size(), memo.size());
    }
}

TEST(ScriptDepthTest, TooDeepIsAFailureCode) {
    EvalContext cx{ExtItemList{}};
    cx.depth = kScriptMaxDepth;
    ValueStack stack;
    size_t pos = 0;
    EXPECT_EQ(EvalFact(cx, u"1", pos, stack), kScriptTooDeep);
    EXPECT_TRUE(stack.empty());
}

TEST(ScriptLimitTest, DoublingAStringStopsAtTheLimit) {
    std::u16string memo = u"#x=\"ab\";" + Repeat(u"x=x+x;", 40) + u"Length(x)#";
    // A doubling that would pass the limit gives no value and assigns nothing, so x
    // keeps the longest text it reached.
    EXPECT_EQ(Show(TestAction(memo)), u"16384");
    EXPECT_EQ(Show(TestAction(u"#x=\"ab\";" + Repeat(u"x=x+x;", 12) + u"Length((x+x))#")), u"16384");
    EXPECT_EQ(Show(TestAction(u"#x=\"ab\";" + Repeat(u"x=x+x;", 13) + u"Length((x+\"a\"))#")), u"");
}

TEST(ScriptLimitTest, ShowingALongTextManyTimesStopsAtTheShownLimit) {
    std::u16string memo = u"#x=\"ab\";" + Repeat(u"x=x+x;", 13) + u"\"\"#" + Repeat(u"#x#", 100) + u"end";
    std::u16string shown = Show(TestAction(memo));
    size_t copies = kMaxShownLength / kMaxStringLength;
    EXPECT_EQ(shown.size(), copies * kMaxStringLength + 3);
    EXPECT_TRUE(shown.ends_with(u"abend"));
}

// The best of three runs, so a busy machine's preemption does not count as work.
double SecondsToShow(const std::u16string& memo) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        auto start = std::chrono::steady_clock::now();
        Show(TestAction(memo));
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// Four times the memo may take about four times as long, not sixteen.
TEST(ScriptLimitTest, LongMemosTakeLinearTime) {
    const std::u16string parts[] = {
        u"#1+",
        u"#if(0){",
        u"#\"",
        u"# ",
        u"#x=x+\"a\";",
        u"(",
        u"#if(",
        u"#iff ",
        u"{",
        u"-",
        u"#x=\"abcdefghijklmnop\";x=x+x;x=x+x;x=x+x;x=x+x;x=x+x;x=x+x;x=x+x;x=x+x;x=x+x;x=x+x;x#"};
    for (const std::u16string& part : parts) {
        double small = SecondsToShow(Repeat(part, 500));
        double large = SecondsToShow(Repeat(part, 2000));
        EXPECT_LT(large, 8 * small + 0.05) << std::string(part.begin(), part.end());
    }
}

TEST(ScriptLimitTest, SkippedBlockRunningOutOfTextFails) {
    EvalContext cx{ExtItemList{}};
    struct Case {
        const char16_t* text;
        int rc;
    } cases[] = {{u"{ {} ", kScriptNotThisLevel},
                 {u"{ \"}", kScriptOpenParen},
                 {u"x", kScriptNotThisLevel},
                 {u"{\"\\\"}\"}", 0}};
    for (const Case& c : cases) {
        size_t pos = 0;
        EXPECT_EQ(SkipToRightPrnt(cx, c.text, pos), c.rc) << std::u16string_view(c.text).size();
    }
}

TEST(ScriptTraceTest, TheLastStepOfALevelReachesTheTraceBuffer) {
    ClearTrace();
    {
        EvalContext cx{ExtItemList{}};
        ValueStack stack;
        size_t pos = 0;
        EXPECT_EQ(EvalExpr(cx, u"1+", pos, stack), kScriptTextEnds);
    }
    EXPECT_EQ(ToUtf8(TraceBuffer()), "EvalExpr E Err -201");
    {
        EvalContext cx{ExtItemList{}};
        ValueStack stack;
        size_t pos = 0;
        EXPECT_EQ(EvalStatement(cx, u"if(1){2}", pos, stack), 0);
    }
    EXPECT_EQ(ToUtf8(TraceBuffer()), "stk n=1");
}

} // namespace
