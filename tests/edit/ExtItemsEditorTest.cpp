// The extended items editor without its window: opening, sorted create, change with a
// name another item has, delete and where the selection goes, the field check message,
// the 2000-character limit, discard, and the value fields moving between types.
#include "edit/ExtItemsEditor.h"

#include "core/Utf.h"
#include "edit/ExtItemText.h"
#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

namespace {

std::string Names(const ExtItemsEditor& editor) {
    std::string out;
    for (const ExtItem& item : editor.items())
        out += (out.empty() ? "" : ",") + ToUtf8(item.name);
    return out;
}

class ExtItemsEditorTest : public ::testing::Test {
protected:
    ScriptedMessages messages;
    ExtItemsEditor editor{nullptr};
};

TEST_F(ExtItemsEditorTest, AbsentOrEmptyTextOpensWithNothingSelectedAndAppliesTheEmptyText) {
    for (const OptText& text : {OptText{}, OptText{u""}, OptText{u"   "}}) {
        editor.Open(text);
        EXPECT_TRUE(editor.items().empty());
        EXPECT_EQ(editor.selected(), -1);
        std::u16string out = u"x";
        EXPECT_EQ(editor.Apply(out), kExtEdDone);
        EXPECT_EQ(out, u"");
    }
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(ExtItemsEditorTest, OpeningABrokenTextKeepsTheItemsReadAndSelectsTheFirst) {
    editor.Open(u"b:b:int:2:a:a:int:1:c:c:string:\"unterminated");
    EXPECT_EQ(Names(editor), "a,b");
    EXPECT_EQ(editor.selected(), 0);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(ExtItemsEditorTest, CreateInsertsSortedAndSelectsTheNewItem) {
    editor.Open({});
    ASSERT_EQ(editor.Create(u"b", ExtTypeInt, u"2"), kExtEdDone);
    ASSERT_EQ(editor.Create(u"a", ExtTypeString, u"x"), kExtEdDone);
    EXPECT_EQ(Names(editor), "a,b");
    EXPECT_EQ(editor.selected(), 0);
    EXPECT_EQ(editor.SelectedItem()->displayName, u"a");
    std::u16string out;
    ASSERT_EQ(editor.Apply(out), kExtEdDone);
    EXPECT_EQ(out, u"a:a:string:\"x\":b:b:int:2:");
}

TEST_F(ExtItemsEditorTest, CreateRefusesEmptyNameTakenNameAndBadValueWithTheirMessages) {
    editor.Open(u"w:w:float:65.5:");
    EXPECT_EQ(editor.Create(u"", ExtTypeInt, u"1"), kExtEdNoName);
    EXPECT_EQ(messages.last().text, u"名前が入力されていません。");
    EXPECT_EQ(messages.last().caption, u"名前未入力");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(editor.Create(u"w", ExtTypeInt, u"1"), kExtEdNameTaken);
    EXPECT_EQ(messages.last().text, u"すでに同じ名前の項目が登録されています。");
    EXPECT_EQ(messages.last().caption, u"同名項目が存在");
    EXPECT_EQ(editor.Create(u"9a", ExtTypeInt, u"1"), kExtEdInvalid);
    EXPECT_EQ(messages.last().text, u"名前の1文字目あたりに認識できない文字があります。値を見直してください。");
    EXPECT_EQ(messages.last().caption, u"値不正");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(Names(editor), "w");
}

TEST_F(ExtItemsEditorTest, FloatWithoutExponentSignIsRefusedAtItsPosition) {
    editor.Open({});
    EXPECT_EQ(editor.Create(u"f", ExtTypeFloat, u"1e5"), kExtEdInvalid);
    EXPECT_EQ(messages.last().text, u"値(float)の3文字目あたりに認識できない文字があります。値を見直してください。");
    EXPECT_EQ(editor.Create(u"f", ExtTypeFloat, u"1e+5"), kExtEdDone);
    EXPECT_EQ(messages.count(), 1u);
    EXPECT_EQ(editor.Create(u"t", ExtTypeTime, u"12:3x:00"), kExtEdInvalid);
    EXPECT_EQ(messages.last().text, u"値(time)の5文字目あたりに認識できない文字があります。値を見直してください。");
    // string values are taken as they are.
    EXPECT_EQ(editor.Create(u"s", ExtTypeString, u"\"'\\\t"), kExtEdDone);
}

TEST_F(ExtItemsEditorTest, ChangeReplacesTheSelectedItemAtItsNewSortedPlace) {
    editor.Open(u"a:a:int:1:m:m:int:2:");
    editor.Select(0);
    ASSERT_EQ(editor.Change(u"z", ExtTypeString, u"moved"), kExtEdDone);
    EXPECT_EQ(Names(editor), "m,z");
    EXPECT_EQ(editor.selected(), 1);
    EXPECT_EQ(editor.SelectedItem()->value, u"moved");
    // Keeping the name changes the item in place without a question.
    ASSERT_EQ(editor.Change(u"z", ExtTypeInt, u"3"), kExtEdDone);
    EXPECT_EQ(editor.SelectedItem()->typeName, u"int");
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(ExtItemsEditorTest, ChangeToAnotherItemsNameOverwritesThatItemOnYesAndCancelsOnNo) {
    editor.Open(u"a:a:int:1:b:b:int:2:c:c:int:3:");
    editor.Select(0);
    messages.Answer(IDNO);
    EXPECT_EQ(editor.Change(u"c", ExtTypeInt, u"9"), kExtEdDeclined);
    EXPECT_EQ(messages.last().text, u"同じ名前の項目があります。項目を切り替えて上書きしますか？");
    EXPECT_EQ(messages.last().caption, u"同名項目が存在");
    EXPECT_EQ(messages.last().flags, MB_YESNO | MB_ICONQUESTION);
    std::u16string out;
    ASSERT_EQ(editor.Apply(out), kExtEdDone);
    EXPECT_EQ(out, u"a:a:int:1:b:b:int:2:c:c:int:3:");
    EXPECT_EQ(editor.selected(), 0);

    messages.Answer(IDYES);
    ASSERT_EQ(editor.Change(u"c", ExtTypeInt, u"9"), kExtEdDone);
    ASSERT_EQ(editor.Apply(out), kExtEdDone);
    EXPECT_EQ(out, u"a:a:int:1:b:b:int:2:c:c:int:9:");
    EXPECT_EQ(editor.selected(), 2);
}

TEST_F(ExtItemsEditorTest, ChangeChecksSelectionNameAndValueBeforeAsking) {
    editor.Open(u"a:a:int:1:b:b:int:2:");
    editor.Select(-1);
    EXPECT_EQ(editor.Change(u"a", ExtTypeInt, u"1"), kExtEdNoSelection);
    EXPECT_EQ(messages.last().text, u"項目が指定されていません。");
    EXPECT_EQ(messages.last().caption, u"項目未指定");
    editor.Select(0);
    EXPECT_EQ(editor.Change(u"", ExtTypeInt, u"1"), kExtEdNoName);
    // A bad value is refused before the question about the name.
    EXPECT_EQ(editor.Change(u"b", ExtTypeDate, u"2024-01-01"), kExtEdInvalid);
    EXPECT_EQ(messages.last().caption, u"値不正");
    EXPECT_EQ(messages.count(), 3u);
}

TEST_F(ExtItemsEditorTest, DeleteAsksWithNoAsDefaultAndMovesTheSelection) {
    editor.Open(u"a:a:int:1:b:b:int:2:c:c:int:3:");
    editor.Select(1);
    messages.Answer(IDNO);
    EXPECT_EQ(editor.Delete(), kExtEdDeclined);
    EXPECT_EQ(messages.last().text, u"項目\"b\"を削除してもよろしいですか？");
    EXPECT_EQ(messages.last().caption, u"項目削除確認");
    EXPECT_EQ(messages.last().flags, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(Names(editor), "a,b,c");

    messages.Answer({IDYES, IDYES, IDYES});
    ASSERT_EQ(editor.Delete(), kExtEdDone);
    EXPECT_EQ(Names(editor), "a,c");
    EXPECT_EQ(editor.selected(), 1); // the item that moved up
    ASSERT_EQ(editor.Delete(), kExtEdDone);
    EXPECT_EQ(editor.selected(), 0); // the last was deleted: the new last
    ASSERT_EQ(editor.Delete(), kExtEdDone);
    EXPECT_EQ(editor.selected(), -1);
    EXPECT_EQ(editor.Delete(), kExtEdNoSelection);
    EXPECT_EQ(messages.last().caption, u"項目未指定");
}

TEST_F(ExtItemsEditorTest, ApplyRefusesATextLongerThanTheColumn) {
    editor.Open({});
    // "s:s:string:" + quoted value + ":" = 14 + value length.
    ASSERT_EQ(editor.Create(u"s", ExtTypeString, std::u16string(1986, u'x')), kExtEdDone);
    std::u16string out;
    ASSERT_EQ(editor.Apply(out), kExtEdDone);
    EXPECT_EQ(out.size(), 2000u);
    ASSERT_EQ(editor.Create(u"t", ExtTypeInt, u"1"), kExtEdDone);
    out = u"kept";
    EXPECT_EQ(editor.Apply(out), kExtEdTooLong);
    EXPECT_EQ(out, u"kept");
    EXPECT_EQ(messages.last().text,
              u"拡張項目の入力長さ(2010)が最大長さ(2000)を超えています。内容を見直してください。");
    EXPECT_EQ(messages.last().caption, u"拡張項目入力長さオーバー");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONERROR);
}

TEST_F(ExtItemsEditorTest, DiscardAlwaysAsksWithCancelAsDefault) {
    editor.Open({});
    messages.Answer({IDCANCEL, IDOK});
    EXPECT_FALSE(editor.ConfirmDiscard());
    EXPECT_TRUE(editor.ConfirmDiscard());
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.last().text, u"変更内容を破棄してよろしいですか？");
    EXPECT_EQ(messages.last().caption, u"変更内容破棄確認");
    EXPECT_EQ(messages.last().flags, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
}

TEST(ExtValueFieldsTest, DateTimeIsSplitAtTheGapBetweenDateAndTimeAndJoinedWithABlank) {
    ExtValueFields f = SplitExtValue(ExtTypeDateTime, u"2024/01/02 03:04:05");
    EXPECT_EQ(f.single, u"2024/01/02");
    EXPECT_EQ(f.time, u"03:04:05");
    EXPECT_EQ(JoinExtValue(ExtTypeDateTime, f), u"2024/01/02 03:04:05");
    // Blanks around the separators stay inside their part.
    f = SplitExtValue(ExtTypeDateTime, u"2024 / 1 / 2   3 : 4 : 5");
    EXPECT_EQ(f.single, u"2024 / 1 / 2");
    EXPECT_EQ(f.time, u"3 : 4 : 5");
    EXPECT_EQ(SplitExtValue(ExtTypeDateTime, u"2024/01/02").time, u"");
    EXPECT_EQ(SplitExtValue(ExtTypeTime, u"10:00:00").time, u"10:00:00");
    EXPECT_EQ(SplitExtValue(ExtTypeMlString, u"a\nb").lines, u"a\nb");
    EXPECT_EQ(JoinExtValue(ExtTypeFile, {u"/tmp/x", u"t", u"l"}), u"/tmp/x");
}

struct MoveCase {
    int from, to;
    ExtValueFields before;
    ExtValueFields after;
};

TEST(ExtValueFieldsTest, TypedTextMovesIntoTheFieldsOfTheNewType) {
    const MoveCase cases[] = {
        // datetime to a one-field type: joined; the time field keeps its text.
        {ExtTypeDateTime, ExtTypeString, {u"2024/01/02", u"10:00:00", u""}, {u"2024/01/02 10:00:00", u"10:00:00", u""}},
        {ExtTypeDateTime, ExtTypeDate, {u"2024/01/02", u"", u""}, {u"2024/01/02", u"", u""}},
        {ExtTypeDateTime,
         ExtTypeMlString,
         {u"2024/01/02", u"10:00:00", u""},
         {u"2024/01/02", u"10:00:00", u"2024/01/02 10:00:00"}},
        // datetime to time keeps the time where it is.
        {ExtTypeDateTime, ExtTypeTime, {u"2024/01/02", u"10:00:00", u""}, {u"2024/01/02", u"10:00:00", u""}},
        // a one-field text to datetime: split, or the date alone.
        {ExtTypeString, ExtTypeDateTime, {u"2024/01/02 10:00:00", u"", u""}, {u"2024/01/02", u"10:00:00", u""}},
        {ExtTypeDate, ExtTypeDateTime, {u"2024/01/02", u"09:00:00", u""}, {u"2024/01/02", u"", u""}},
        // time text between the time field and the single field.
        {ExtTypeTime, ExtTypeString, {u"old", u"10:00:00", u""}, {u"10:00:00", u"10:00:00", u""}},
        {ExtTypeString, ExtTypeTime, {u"10:00:00", u"old", u""}, {u"10:00:00", u"10:00:00", u""}},
        {ExtTypeTime, ExtTypeDateTime, {u"2024/01/02", u"10:00:00", u""}, {u"2024/01/02", u"10:00:00", u""}},
        // the box of lines and the single line.
        {ExtTypeMlString, ExtTypeString, {u"", u"", u"a\nb"}, {u"a\nb", u"", u"a\nb"}},
        {ExtTypeInt, ExtTypeFloat, {u"12", u"", u""}, {u"12", u"", u""}},
    };
    for (const MoveCase& c : cases)
        EXPECT_EQ(MoveExtValue(c.before, c.from, c.to), c.after) << c.from << " -> " << c.to;
}

} // namespace
