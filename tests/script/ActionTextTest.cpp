// The memo language by grammar level: each case is a memo and the text it shows.
#include "ScriptTestSupport.h"

#include "core/Clock.h"
#include "core/Random.h"
#include "core/Trace.h"
#include "tests/support/CommaLocale.h"

#include <gtest/gtest.h>

namespace {

struct MemoCase {
    const char* memo;
    const char* shown;
    const char* extItems = "";
};

class MemoTest : public ::testing::TestWithParam<MemoCase> {};

TEST_P(MemoTest, ShowsTheEvaluatedMemo) {
    SetFixedClock(2010, 11, 14, 9, 5, 3);
    EXPECT_EQ(ShowUtf8(GetParam().memo, GetParam().extItems), GetParam().shown) << GetParam().memo;
}

// The scan over the memo: "##", programs between "#", what a failing program leaves.
INSTANTIATE_TEST_SUITE_P(Template, MemoTest,
                         ::testing::Values(MemoCase{"", ""}, MemoCase{"plain memo", "plain memo"},
                                           MemoCase{"a##b", "a#b"}, MemoCase{"###1#", "#1"},
                                           MemoCase{"x#1#y#2#z", "x1y2z"}, MemoCase{"ends in #", "ends in "},
                                           MemoCase{"# #after", "after"}, MemoCase{"#1+2", "3"},
                                           MemoCase{"#\"a#b\"#", "a#b"}, MemoCase{"体重#1#kg", "体重1kg"}));

// A program: statements, ";", its value and how it ends.
INSTANTIATE_TEST_SUITE_P(Program, MemoTest,
                         ::testing::Values(MemoCase{"#1;2#", "2"}, MemoCase{"#1;#", ""}, MemoCase{"#\"abc\"#", "abc"},
                                           MemoCase{"#nothing#", ""}, MemoCase{"#7.0/2#", "3.5"},
                                           MemoCase{"#1.0/3#", "0.333333"}, MemoCase{"#1000000.0*10#", "1e+07"},
                                           // Any other character ends the program; it is consumed like a closing "#".
                                           MemoCase{"#1 2#3#", "13"},
                                           // A failing program shows nothing; the rest of it appears as typed.
                                           MemoCase{"#1+;2#", "2"}, MemoCase{"#1+#x", "x"}, MemoCase{"#(1#x", "x"},
                                           MemoCase{"#1.2.3#", "3"},
                                           // At the top level ";" does not follow an if statement.
                                           MemoCase{"#if(1<2){\"a\"};\"b\"#", "\"b\""}, MemoCase{"#if(1){2} 3#", "3"}));

// Assignment and variables, kept across the programs of one memo.
INSTANTIATE_TEST_SUITE_P(Assignment, MemoTest,
                         ::testing::Values(MemoCase{"#x=5; x*2#", "10"}, MemoCase{"#x=5# and #x#", "5 and 5"},
                                           MemoCase{"#x=2;x=x+1;x#", "3"}, MemoCase{"#X=1;x#", ""},
                                           MemoCase{"#x = 1 == 1#", "-1"}, MemoCase{"#a=1=2;a#", "1"},
                                           MemoCase{"#a=1=2#", "2"}, MemoCase{"#a=zz;a#", ""},
                                           MemoCase{"#体重=3;体重*2#", "6"}, MemoCase{"#あ1=2;あ1#", "2"},
                                           MemoCase{"#n=1;n#", "1", "n:数:int:7:"}, MemoCase{"#iffy=3;iffy*2#", "6"}));

// Comparisons: the right operand takes the left operand's type; true is -1.
INSTANTIATE_TEST_SUITE_P(Comparison, MemoTest,
                         ::testing::Values(MemoCase{"#1<2#", "-1"}, MemoCase{"#2<1#", "0"}, MemoCase{"#2<=2#", "-1"},
                                           MemoCase{"#3>=4#", "0"}, MemoCase{"#3>2#", "-1"}, MemoCase{"#1==1#", "-1"},
                                           MemoCase{"#1!=1#", "0"}, MemoCase{"#\"abc\"<\"abd\"#", "-1"},
                                           MemoCase{"#\"b\"<\"abc\"#", "0"}, MemoCase{"#\"10\"==10#", "-1"},
                                           MemoCase{"#10==\"10abc\"#", "-1"}, MemoCase{"#1.5==1#", "0"},
                                           MemoCase{"#1==1.9#", "-1"}, MemoCase{"#\"1.5\"==1.5#", "0"},
                                           MemoCase{"#\"1.500000\"==1.5#", "-1"}, MemoCase{"#1<2<3#", "-1"},
                                           MemoCase{"#3>2>1#", "0"}, MemoCase{"#zz==zz#", "0"},
                                           MemoCase{"#1==Length(5)#", "0"}));

// + - * / by the types of the operands; the left operand decides the result's type.
INSTANTIATE_TEST_SUITE_P(
    Arithmetic, MemoTest,
    ::testing::Values(MemoCase{"#1+2*3#", "7"}, MemoCase{"#(1+2)*3#", "9"}, MemoCase{"#7/2#", "3"},
                      MemoCase{"#-7/2#", "-3"}, MemoCase{"#7/2.0#", "3"}, MemoCase{"#1+2.9#", "3"},
                      MemoCase{"#10-2-3#", "5"}, MemoCase{"#2*3/4#", "1"}, MemoCase{"#5+\"3x\"#", "8"},
                      MemoCase{"#1.5+\"2.25\"#", "3.75"}, MemoCase{"#1.5*2#", "3"}, MemoCase{"#\"ab\"+3#", "ab3"},
                      MemoCase{"#\"ab\"+1.5#", "ab1.500000"}, MemoCase{"#\"a\"+\"b\"#", "ab"},
                      MemoCase{"#\"ab\"-1#", "(can't operator in add/sub sequence.)"},
                      MemoCase{"#\"ab\"*2#", "(mul/div can't in string.)"},
                      MemoCase{"#\"ab\"/0#", "(mul/div can't in string.)"}, MemoCase{"#1/0#", "(can't 0 div.)"},
                      MemoCase{"#1/0.0#", "(can't 0 div.)"}, MemoCase{"#1.5/0#", "(can't 0 div.)"},
                      MemoCase{"#1/\"x\"#", "(can't 0 div.)"}, MemoCase{"#\"x\"+(1/0)#", "x(can't 0 div.)"},
                      MemoCase{"#(1/0)+1#", "(can't 0 div.)1"}, MemoCase{"#2147483647+1#", "-2147483648"},
                      MemoCase{"#0-2147483647-1#", "-2147483648"}, MemoCase{"#(0-2147483647-1)/(0-1)#", "-2147483648"},
                      MemoCase{"#1+zz#", ""}, MemoCase{"#zz+1#", ""}, MemoCase{"#zz+1+2#", ""},
                      MemoCase{"#Length(5)+1#", ""}, MemoCase{"#2*(Length(5)+1)#", ""}));

// Factors: numbers, literals with their escapes, signs, identifiers.
INSTANTIATE_TEST_SUITE_P(
    Factor, MemoTest,
    ::testing::Values(MemoCase{"#-5#", "-5"}, MemoCase{"#--5#", "5"}, MemoCase{"#+5#", "5"}, MemoCase{"#-1.5#", "-1.5"},
                      MemoCase{"#-\"a\"#", "a"}, MemoCase{"#x=3;-x#", "-3"}, MemoCase{"#12.#", "12"},
                      MemoCase{"#99999999999#", "2147483647"}, MemoCase{"#\"a\\tb\\\\c\\\"d\\'e\"#", "a\tb\\c\"d'e"},
                      MemoCase{"#\"\\x41\\x3042\\x7g\"#", "Aあ\x07g"}, MemoCase{"#\"\\q\"#", "\""},
                      MemoCase{"#\"a\tb\"#", "b\""}, MemoCase{"#\"abc", ""}, MemoCase{"#( 1 + 2 ) * 3#", "9"},
                      MemoCase{"#{1}#", "1}"}, MemoCase{"#*2#", "2"}));

// if statements: chains, inactive branches, conditions that are not integers.
INSTANTIATE_TEST_SUITE_P(
    IfStatement, MemoTest,
    ::testing::Values(
        MemoCase{"#if(1<2){\"yes\"}else{\"no\"}#", "yes"}, MemoCase{"#if(2<1){\"yes\"}else{\"no\"}#", "no"},
        MemoCase{"#x=1;if(x==1){\"a\"}else if(x==2){\"b\"}else{\"c\"}#", "a"},
        MemoCase{"#x=2;if(x==1){\"a\"}else if(x==2){\"b\"}else{\"c\"}#", "b"},
        MemoCase{"#x=3;if(x==1){\"a\"}else if(x==2){\"b\"}else{\"c\"}#", "c"},
        MemoCase{"#if(1){\"a\"}else if(1){\"b\"}else{\"c\"}#", "a"},
        MemoCase{"#if ( 5 ) { \"a\" } else { \"b\" }#", "a"}, MemoCase{"#if(0){\"a\"}#", ""},
        MemoCase{"#if(0){x=1}else{x=2}# #x#", "2 2"}, MemoCase{"#if(1){1}else if(y=5){2}# #y#", "1 5"},
        MemoCase{"#if(0){\"}\"}else{\"ok\"}#", "ok"}, MemoCase{"#if(0){\"\\\"}\" { } }else{\"ok\"}#", "ok"},
        MemoCase{"#if(0){Length(5) + * ) }else{\"ok\"}#", "ok"},
        // Conditions that are strings, names or floats count as false, in any branch.
        MemoCase{"#if(\"abc\"){\"a\"}else{\"b\"}#", "b"}, MemoCase{"#if(zz){\"a\"}else{\"b\"}#", "b"},
        MemoCase{"#if(1.5){\"a\"}else{\"b\"}#", "b"}, MemoCase{"#if(0){\"a\"}else if(\"s\"){\"b\"}else{\"c\"}#", "c"},
        // Blocks: ";" clears the block's stack, the last value is the statement's.
        MemoCase{"#if(1){x=1;x+1}#", "2"}, MemoCase{"#if(1){1;}#", ""}, MemoCase{"#if(1){}#", ""},
        MemoCase{"#if(1){if(0){\"a\"}else{\"b\"}}#", "b"}, MemoCase{"#if(1){if(1){2};3}#", "3"},
        MemoCase{"#if(1){if(1){2} 3}#", "3"},
        // Broken statements.
        MemoCase{"#if(1{\"a\"}#rest", "\"a\"}"}, MemoCase{"#if(0){1}else 2#", ""}, MemoCase{"#if(1){1", ""},
        MemoCase{"#if(0){1", ""}, MemoCase{"#if(1){1 2}#", "}"}, MemoCase{"#if(1){1#}#", "}"},
        MemoCase{"#if(1){1}else if 2#", ""}, MemoCase{"#if (1) {7}#", "7"}, MemoCase{"#if x#", ""}));

// Built-in functions; a function that fails pushes nothing.
INSTANTIATE_TEST_SUITE_P(
    Functions, MemoTest,
    ::testing::Values(
        MemoCase{"#Length(\"abc\")#", "3"}, MemoCase{"#Length(SISubject)#", "3"}, MemoCase{"#Length(\"\")#", "0"},
        MemoCase{"#Length(5)#", ""}, MemoCase{"#Length()#", ""}, MemoCase{"#Length(\"a\",\"b\")#", ""},
        MemoCase{"#Length((\"ab\"+\"c\"))#", "3"}, MemoCase{"#Length(\"a\"+\"b\")#", "\"b\")"},
        MemoCase{"#Length ( \"ab\" )#", "2"}, MemoCase{"#Length#", ""}, MemoCase{"#Substring(\"abcdef\",2,3)#", "cde"},
        MemoCase{"#Substring(\"abcdef\",2)#", "cdef"}, MemoCase{"#Substring(\"abcdef\",2,-1)#", "cdef"},
        MemoCase{"#Substring(\"abcdef\",4,10)#", "ef"}, MemoCase{"#Substring(\"abcdef\",0,0)#", ""},
        MemoCase{"#Substring(\"abcdef\",6)#", ""}, MemoCase{"#Substring(\"abcdef\",-1)#", ""},
        MemoCase{"#Substring(\"abc\")#", ""}, MemoCase{"#Substring(\"abc\",\"1\")#", ""},
        MemoCase{"#Substring(\"abcdef\",1,2)+\"!\"#", "bc!"}, MemoCase{"#Length(Substring(\"abcdef\",1,3))#", "3"},
        MemoCase{"#IndexOf(\"abcabc\",\"b\")#", "1"}, MemoCase{"#IndexOf(\"abcabc\",\"b\",2)#", "4"},
        MemoCase{"#IndexOf(\"abc\",\"z\")#", "-1"}, MemoCase{"#IndexOf(\"abc\",\"\")#", "-1"},
        MemoCase{"#IndexOf(\"abc\",\"c\",-1)#", "-1"}, MemoCase{"#IndexOf(\"abc\",\"c\",4)#", "-1"},
        MemoCase{"#IndexOf(\"abc\",\"c\",3)#", "-1"}, MemoCase{"#IndexOf(\"abc\",1)#", ""},
        MemoCase{"#s=\"a-b-c\";IndexOf(s,\"-\",IndexOf(s,\"-\")+1)#", "1)"},
        MemoCase{"#s=\"a-b-c\";IndexOf(s,\"-\",(IndexOf(s,\"-\")+1))#", "3"},
        MemoCase{"#LocalTime()#", "2010/11/14 09:05:03"}, MemoCase{"#LocalTime(1)#", ""}, MemoCase{"#Rand(\"a\")#", ""},
        MemoCase{"#Rand(1.5)#", ""}, MemoCase{"#Rand()#", ""}, MemoCase{"#Rand(0)#", "0"}));

// Names: extended items with their types, and the pseudo-items of the fixed fields.
INSTANTIATE_TEST_SUITE_P(
    Items, MemoTest,
    ::testing::Values(MemoCase{"#w*2#", "131", "w:体重:float:65.5:"}, MemoCase{"#w+1#", "66.5", "w:体重:float:65.5:"},
                      MemoCase{"#n+1#", "8", "n:数:int:7:"}, MemoCase{"#n/2#", "3", "n:数:int:7:"},
                      MemoCase{"#s+1#", "abc1", "s:文:string:\"abc\":"},
                      MemoCase{"#Length(s)#", "3", "s:文:string:\"abc\":"},
                      MemoCase{"#d#", "2010/11/14", "d:日:date:\"2010/11/14\":"},
                      MemoCase{"#f#", "\\CF\\a.txt", "f:ファイル:File:\"\\\\CF\\\\a.txt\":"},
                      MemoCase{"#a# #b#", "1 ", "a:x:int:1:b"}, MemoCase{"#SISubject#", "日本語"},
                      MemoCase{"#SIPlace+SICategory1#", "港仕事"}, MemoCase{"#SICategory2#", ""},
                      MemoCase{"#SIActId#", ""}, MemoCase{"#SIStaDateTime#", "2010/11/14 09:00:00"},
                      MemoCase{"#Substring(SIEndDateTime,11)#", "10:30:00"}, MemoCase{"#SILatitude#", "1.79769e+308"},
                      MemoCase{"#SILongitude>1000#", "-1"}, MemoCase{"#SIMemo#", "#SIMemo#"},
                      MemoCase{"#Length(SIMemo)#", "16"},
                      MemoCase{"#SISubject#", "mine", "SISubject:x:string:\"mine\":"}, MemoCase{"#sisubject#", ""}));

TEST(ActionTextTest, PositionTextsBecomeFloatItems) {
    ActionRecord record = TestAction(u"#SILatitude# #SILongitude*2#").record;
    record[ActionField::Latitude] = u"35.681236";
    record[ActionField::Longitude] = u"139.767125";
    std::u16string shown;
    EXPECT_EQ(ParseActionText(record, shown), 0);
    EXPECT_EQ(shown, u"35.6812 279.534");
    record[ActionField::Latitude].reset();
    EXPECT_EQ(ParseActionText(record, shown), 0);
    EXPECT_EQ(shown, u"1.79769e+308 279.534");
}

TEST(ActionTextTest, RandScalesTheGeneratorsValue) {
    SeedRandom(12345);
    std::vector<int> expected;
    for (int i = 0; i < 50; ++i)
        expected.push_back(NextRandom() * 10 / 32768);
    SeedRandom(12345);
    std::u16string memo;
    for (int i = 0; i < 50; ++i)
        memo += u"#Rand(10)#,";
    std::u16string shown = Show(TestAction(memo));
    std::u16string want;
    for (int v : expected)
        want += FormatText("%d,", v);
    EXPECT_EQ(shown, want);

    SeedRandom(99);
    int r = NextRandom();
    SeedRandom(99);
    EXPECT_EQ(Show(TestAction(u"#Rand(-1000)#")), FormatText("%d", static_cast<int>(r / 32768.0 * -1000)));
}

TEST(ActionTextTest, TracesTheEndOfTheScan) {
    ClearTrace();
    EXPECT_EQ(Show(TestAction(u"ab#1#")), u"ab1");
    EXPECT_EQ(ToUtf8(TraceBuffer()), "ParseActionText Parse end Ix=5 stat=0");
}

TEST(ActionTextTest, TheStoredActionIsNotChanged) {
    ActionTextInput action = TestAction(u"#x=1#", u"x:x:int:9:");
    ActionTextInput copy = action;
    Show(action);
    EXPECT_EQ(action.record, copy.record);
    EXPECT_EQ(Show(action), u"1");
}

} // namespace

namespace {

// The desktop's locale may write a comma; the memo language reads and writes a point.
TEST(MemoNumbers, SameUnderACommaLocale) {
    ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    SetFixedClock(2010, 11, 14, 9, 5, 3);
    EXPECT_EQ(ShowUtf8("#1.5+1#"), "2.5");
    EXPECT_EQ(ShowUtf8("#x=0.25*2#x is #x#"), "0.5x is 0.5");
    EXPECT_EQ(ShowUtf8("#w+1#", "w:体重:float:65.5:"), "66.5");
}

} // namespace
