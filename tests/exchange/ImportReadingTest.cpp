// Files large enough to be read on two threads: the rows arrive in file order with
// every line end form, a refused line is named by its number from the file's start
// (the first one wins), and an empty line in the first half ends the file there.
#include "tests/exchange/ExchangeTestSupport.h"

#include "core/Utf.h"
#include "exchange/ImportActions.h"
#include "exchange/ImportReading.h"

namespace {

// Ver.1 lines numbered 1 … count in the place field, with the given line end; the
// line numbered bad ends before it starts, the one numbered empty is empty.
std::string Lines(int count, const char* end, int bad = 0, int empty = 0) {
    std::string text;
    char line[160];
    for (int n = 1; n <= count; ++n) {
        if (n == empty) {
            text += end;
            continue;
        }
        std::snprintf(line, sizeof line, "2010/11/14\t%s\t2010/11/14\t10:00\tline %06d\tcategory\tother\tmemo\%s",
                      n == bad ? "11:00" : "09:00", n, end);
        text += line;
    }
    return text;
}

class TwoHalves : public ExchangeFixture {
protected:
    int Import(const std::string& bytes) {
        EXPECT_GE(static_cast<long long>(bytes.size()), kTwoThreadBytes);
        std::string input = dir.file("in.csv");
        TempDir::WriteBytes(input, bytes);
        return ImportActions(Target(), FromUtf8(input), ExchangeLayout::Ver1, ImportMode::Add);
    }
};

TEST_F(TwoHalves, RowsArriveInFileOrderWithEveryLineEnd) {
    const int count = 17000;
    for (const char* end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(static_cast<int>(end[0]) * 100 + end[1]);
        ASSERT_EQ(Import(Lines(count, end)), ImportResult::Done);
        EXPECT_EQ(Rows(), count);
        EXPECT_EQ(Value("select count(*) from t_UserData where f_nvcPlace <> printf('line %06d', rowid)"), "0");
        ASSERT_EQ(ExecuteSql(OpenTables()->db, "delete from t_UserData"), S_OK);
    }
    // A last line without a line end is read too.
    std::string text = Lines(count, "\r\n");
    text.resize(text.size() - 2);
    ASSERT_EQ(Import(text), ImportResult::Done);
    EXPECT_EQ(Rows(), count);
}

TEST_F(TwoHalves, ARefusedLineIsCountedFromTheStartAndTheFirstOneWins) {
    const int count = 17000;
    struct Case {
        int bad, otherBad;
    } cases[] = {{15000, 0}, {8501, 0}, {8499, 0}, {2, 16999}, {100, 9000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bad);
        messages.Clear();
        std::string text = Lines(count, "\r\n", c.bad);
        if (c.otherBad) text = Lines(c.otherBad - 1, "\r\n", c.bad) + Lines(count - c.otherBad + 1, "\r\n", 1);
        EXPECT_EQ(Import(text), ImportResult::LineRefused);
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.last().text,
                  FromUtf8(std::to_string(c.bad)) + u" 行目の値が不正です。(-106)\nインポートを中止します。");
        EXPECT_EQ(Rows(), 0);
    }
}

TEST_F(TwoHalves, AnEmptyLineInTheFirstHalfEndsTheFile) {
    const int count = 17000;
    // The second half's bad line lies after the end of the file.
    std::string text = Lines(count, "\r\n", 15000, 3000);
    EXPECT_EQ(Import(text), ImportResult::Done);
    EXPECT_EQ(messages.count(), 0u);
    EXPECT_EQ(Rows(), 2999);
    // An empty line in the second half keeps the first half and what precedes it.
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "delete from t_UserData"), S_OK);
    EXPECT_EQ(Import(Lines(count, "\n", 0, 12000)), ImportResult::Done);
    EXPECT_EQ(Rows(), 11999);
    EXPECT_EQ(Value("select max(f_nvcPlace) from t_UserData"), "line 011999");
}

} // namespace
